#include "plugin/codec/NvTextCodec.h"

#include <algorithm>

#include "platform/crt/CRuntime.h"
#include "plugin/codec/NvCodec.h"

using platform::crt::Atof;
using platform::crt::FormatFixed;
using platform::crt::Trunc64;

namespace {

constexpr int kLastField = 15;

std::string_view From(std::string_view text, int offset) {
    return text.substr(std::min<std::size_t>(static_cast<std::size_t>(offset), text.size()));
}

}  // namespace

std::string NvTextCodec::StrIntToText(std::span<const std::uint8_t> bytes) const {
    const NvCodec codec;
    const auto at = [&](int i) -> std::uint8_t {
        return i < static_cast<int>(bytes.size()) ? bytes[static_cast<std::size_t>(i)] : 0;
    };
    std::string text = FormatFixed(codec.SignedByteOf(at(0)), 0);
    for (int k = 1; k <= kLastField; ++k) {
        text += ", ";
        text += FormatFixed(codec.MakeWord(at(2 * k - 1), at(2 * k)), 0);
    }
    text += "\n\n";
    return text;
}

int NvTextCodec::StrIntFieldOffset(std::string_view text, int f) const {
    int position = 0;
    std::string_view rest = text;
    for (int n = 0; n < f; ++n) {
        const std::size_t found = rest.find(',');
        const int c = found == std::string_view::npos ? -1 : static_cast<int>(found);
        position += c + 2;
        rest = From(rest, c + 2);
    }
    return position;
}

std::uint8_t NvTextCodec::TextToStrInt(std::string_view text, int i) const {
    const NvCodec codec;
    if (i == 0) {
        const std::string_view first = text.substr(0, text.find(','));
        return static_cast<std::uint8_t>(static_cast<std::uint64_t>(Trunc64(Atof(first))) & 0xFF);
    }
    if (i >= 1 && i <= 28) {
        const int f = (i + 1) / 2;
        const std::string_view rest = From(text, StrIntFieldOffset(text, f));
        const std::size_t comma = rest.find(',');
        const std::string_view field =
            comma == std::string_view::npos ? std::string_view{} : rest.substr(0, comma);
        const double x = Atof(field);
        return i % 2 == 1 ? codec.HighByteOf(x) : codec.LowByteOf(x);
    }
    if (i == 29 || i == 30) {
        const double x = Atof(From(text, StrIntFieldOffset(text, kLastField)));
        return i == 29 ? codec.HighByteOf(x) : codec.LowByteOf(x);
    }
    return 0;
}

std::string NvTextCodec::WordText(std::uint8_t b0, std::uint8_t b1) const {
    return FormatFixed(NvCodec().MakeWord(b0, b1), 0) + "\n\n";
}

std::string NvTextCodec::TenthsText(std::uint8_t b0, std::uint8_t b1) const {
    return FormatFixed(NvCodec().TenthsOf(b0, b1), 1) + "\n\n";
}

std::string NvTextCodec::PercentText(std::uint8_t b0, std::uint8_t b1) const {
    return FormatFixed(NvCodec().PercentFromBytes(b0, b1), 3) + "\n\n";
}

std::uint8_t NvTextCodec::ByteFromText(std::string_view text, bool low) const {
    const NvCodec codec;
    const double x = Atof(text);
    return low ? codec.LowByteOf(x) : codec.HighByteOf(x);
}

std::uint8_t NvTextCodec::ByteFromTenthsText(std::string_view text, bool low) const {
    const NvCodec codec;
    const double x = Atof(text);
    return low ? codec.ScaledLowByte(x, 10) : codec.ScaledHighByte(x, 10);
}

std::uint8_t NvTextCodec::ByteFromPercentText(std::string_view text, bool low) const {
    const NvCodec codec;
    const double x = Atof(text);
    return low ? codec.ScaledLowByte(x, 200) : codec.ScaledHighByte(x, 200);
}

std::string NvTextCodec::DateStamp() const {
    // The runtime's date text is "MM/DD/YY".
    const std::string date = platform::crt::StrDate();
    const std::string_view d(date);
    return FormatFixed(Atof(d.substr(3, 2)), 0) + "/" + FormatFixed(Atof(d.substr(0, 2)), 0) + "-" +
           FormatFixed(2000 + Atof(d.substr(6, 2)), 0) + " ";
}

std::string NvTextCodec::TimeStamp() const {
    // The runtime's time text is "HH:MM:SS".
    const std::string time = platform::crt::StrTime();
    const std::string_view t(time);
    const auto twoDigits = [](double v) { return (v < 10 ? "0" : "") + FormatFixed(v, 0); };
    return FormatFixed(Atof(t.substr(0, 2)), 0) + ":" + twoDigits(Atof(t.substr(3, 2))) + ":" +
           twoDigits(Atof(t.substr(6, 2)));
}
