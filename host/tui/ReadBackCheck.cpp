#include "host/tui/ReadBackCheck.h"

#include <charconv>
#include <cmath>

namespace host::tui {

namespace {

std::u32string_view Trim(std::u32string_view text) {
    const auto first = text.find_first_not_of(U' ');
    if (first == std::u32string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(U' ') - first + 1);
}

// A decimal number with a point, as the fields show them: its value and its digits after the
// point; nothing for any other text.
struct Number {
    double value = 0;
    int decimals = 0;
};
std::optional<Number> ParseNumber(std::u32string_view text) {
    text = Trim(text);
    if (!text.empty() && text.front() == U'+') {
        text.remove_prefix(1);
    }
    std::string ascii;
    for (const char32_t c : text) {
        if (!(c >= U'0' && c <= U'9') && c != U'.' && c != U'-') {
            return std::nullopt;
        }
        ascii += static_cast<char>(c);
    }
    Number number;
    const char* end = ascii.data() + ascii.size();
    const auto [stop, error] = std::from_chars(ascii.data(), end, number.value);
    if (ascii.empty() || error != std::errc{} || stop != end) {
        return std::nullopt;
    }
    if (const auto point = ascii.find('.'); point != std::string::npos) {
        number.decimals = static_cast<int>(ascii.size() - point - 1);
    }
    return number;
}

}  // namespace

void ReadBackCheck::Typed(int field, std::u32string text) {
    m_typed[field] = std::move(text);
    m_marked.erase(field);
}

void ReadBackCheck::Discard() {
    m_typed.clear();
    m_marked.clear();
}

std::optional<int> ReadBackCheck::Compare(
    const std::function<std::optional<std::u32string>(int field)>& shown) {
    if (m_typed.empty()) {
        return std::nullopt;
    }
    m_marked.clear();
    for (const auto& [field, typed] : m_typed) {
        const std::optional<std::u32string> now = shown(field);
        if (now && Differs(typed, *now)) {
            m_marked.insert(field);
        }
    }
    m_typed.clear();
    return static_cast<int>(m_marked.size());
}

bool ReadBackCheck::Differs(std::u32string_view typed, std::u32string_view shown) {
    const std::optional<Number> wanted = ParseNumber(typed);
    const std::optional<Number> got = ParseNumber(shown);
    if (!wanted || !got) {
        return Trim(typed) != Trim(shown);
    }
    const double unit = std::pow(10.0, -got->decimals);
    // A little slack: both values went through binary floating point.
    return std::fabs(wanted->value - got->value) > unit * (1 + 1e-9);
}

}  // namespace host::tui
