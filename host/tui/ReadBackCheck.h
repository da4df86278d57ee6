#pragma once
// What the user typed into a dialog's fields, held until a Write reads the values back. The
// node's codecs keep a value in their range by wrapping it (300 % in a field of 0 to 127.5 %
// comes back as 44 %), so a field whose value came back different from what was typed is marked
// until it is typed into again. A value rounded to the digits shown ("40.5" shown as "40") is
// not different.

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>

namespace host::tui {

class ReadBackCheck {
  public:
    // The user typed text into a field (by its index in the dialog).
    void Typed(int field, std::u32string text);
    // A Read: what was typed is dropped, and so are the marks.
    void Discard();
    // After a Write: compares what was typed with what each field shows now (nothing: the
    // field is gone) and marks those that differ. The count of those, or nothing when nothing
    // was typed.
    std::optional<int> Compare(
        const std::function<std::optional<std::u32string>(int field)>& shown);
    bool Marked(int field) const { return m_marked.contains(field); }
    // How many fields were typed into since the last Write or Read.
    int Pending() const { return static_cast<int>(m_typed.size()); }

    // Whether a value shown differs from the one typed by more than one unit of the shown
    // value's last digit; texts that are not numbers differ when they are not the same.
    static bool Differs(std::u32string_view typed, std::u32string_view shown);

  private:
    std::map<int, std::u32string> m_typed;
    std::set<int> m_marked;
};

}  // namespace host::tui
