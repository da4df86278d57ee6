#include "host/tui/FileFilter.h"

#include <fnmatch.h>

namespace host::tui {

namespace {

constexpr char kAllFiles[] = "All files";

std::vector<std::string> Split(std::string_view text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find(separator, start);
        parts.emplace_back(text.substr(start, end - start));
        if (end == std::string_view::npos) {
            return parts;
        }
        start = end + 1;
    }
}

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) {
        return "";
    }
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

std::vector<FileFilter> FileFilter::Parse(std::string_view filter) {
    std::vector<FileFilter> filters;
    const std::vector<std::string> parts = Split(filter, '|');
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].empty() && parts[i + 1].empty()) {
            continue;
        }
        std::vector<std::string> patterns;
        for (const std::string& pattern : Split(parts[i + 1], ';')) {
            if (!Trim(pattern).empty()) {
                patterns.push_back(Trim(pattern));
            }
        }
        filters.emplace_back(parts[i], std::move(patterns));
    }
    if (filters.empty()) {
        filters.emplace_back(kAllFiles, std::vector<std::string>{"*"});
    }
    return filters;
}

bool FileFilter::Matches(const std::string& fileName) const {
    for (const std::string& pattern : m_patterns) {
        // "*.*" means every file, also one without a dot.
        if (pattern == "*.*" || fnmatch(pattern.c_str(), fileName.c_str(), FNM_CASEFOLD) == 0) {
            return true;
        }
    }
    return false;
}

}  // namespace host::tui
