#pragma once
// One entry of a file dialog's filter ("Settings (*.txt)|*.txt;*.cfg|"): the name shown and the
// patterns a file's name must match, in any case.

#include <string>
#include <string_view>
#include <vector>

namespace host::tui {

class FileFilter {
  public:
    FileFilter(std::string name, std::vector<std::string> patterns)
        : m_name(std::move(name)), m_patterns(std::move(patterns)) {}

    // The entries of a filter text: name and patterns in turn, each followed by "|"; patterns
    // are separated by ";". Without an entry, one for all files.
    static std::vector<FileFilter> Parse(std::string_view filter);

    const std::string& Name() const { return m_name; }
    const std::vector<std::string>& Patterns() const { return m_patterns; }
    bool Matches(const std::string& fileName) const;

  private:
    std::string m_name;
    std::vector<std::string> m_patterns;
};

}  // namespace host::tui
