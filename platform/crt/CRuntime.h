#pragma once
// The C runtime's text conventions as the plug-in relies on them, pinned so that every build
// and every locale gives the same bytes: decimal conversion, fixed-point printing, truncation
// and the runtime's date and time texts.

#include <cstdint>
#include <string>
#include <string_view>

namespace platform::crt {

// atof: leading white space skipped, optional sign, digits, optional fraction and exponent;
// stops at the first character that cannot continue the number; no number gives 0. Only
// decimal numbers: "0x10" reads 0, "inf" and "nan" read 0. Always "." as decimal point.
double Atof(std::string_view text);

// printf("%.<decimals>f", value) in the "C" locale: exact binary value, ties to even.
std::string FormatFixed(double value, int decimals);

// Conversion of a double to a 64-bit integer toward zero. NaN, infinities and values outside
// the 64-bit range give 0x8000000000000000, as the processor's conversion does.
std::int64_t Trunc64(double value);

// The runtime's date text "MM/DD/YY" and time text "HH:MM:SS" of the local clock.
std::string StrDate();
std::string StrTime();

}  // namespace platform::crt
