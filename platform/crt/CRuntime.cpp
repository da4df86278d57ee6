#include "platform/crt/CRuntime.h"

#include <locale.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "platform/crt/Clock.h"

namespace platform::crt {

namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

locale_t CLocale() {
    static const locale_t c = newlocale(LC_ALL_MASK, "C", nullptr);
    return c;
}

}  // namespace

double Atof(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsSpace(text[i])) {
        ++i;
    }
    const std::size_t start = i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        ++i;
    }
    std::size_t digits = 0;
    while (i < text.size() && IsDigit(text[i])) {
        ++i;
        ++digits;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && IsDigit(text[i])) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0) {
        return 0.0;
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) {
            ++j;
        }
        if (j < text.size() && IsDigit(text[j])) {
            while (j < text.size() && IsDigit(text[j])) {
                ++j;
            }
            i = j;
        }
    }
    // The validated prefix is plain decimal, so strtod in the "C" locale reads exactly it,
    // rounding correctly and giving infinity or zero beyond the double range.
    const std::string number(text.substr(start, i - start));
    return strtod_l(number.c_str(), nullptr, CLocale());
}

std::string FormatFixed(double value, int decimals) {
    if (!std::isfinite(value)) {
        return std::isnan(value) ? "nan" : (value < 0 ? "-inf" : "inf");
    }
    // 309 digits before the point at most, plus the decimals asked for.
    char buffer[400];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    return std::string(buffer, result.ptr);
}

std::int64_t Trunc64(double value) {
    constexpr double kLimit = 9223372036854775808.0;  // 2^63
    if (!std::isfinite(value) || value >= kLimit || value < -kLimit) {
        return std::numeric_limits<std::int64_t>::min();
    }
    return static_cast<std::int64_t>(value);
}

std::string StrDate() {
    const LocalDateTime t = CurrentClock().Local();
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02d/%02d/%02d", t.month % 100, t.day % 100,
                  t.year % 100);
    return buffer;
}

std::string StrTime() {
    const LocalDateTime t = CurrentClock().Local();
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d", t.hour % 100, t.minute % 100,
                  t.second % 100);
    return buffer;
}

}  // namespace platform::crt
