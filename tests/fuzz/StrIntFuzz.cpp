// The SNVT_str_int text codec on any text: no read outside the text (the text lies in a heap
// block of exactly its size), the results that the field rules give, and the round trip of
// the text that StrIntToText makes.

#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/crt/CRuntime.h"
#include "plugin/codec/NvTextCodec.h"
#include "tests/fuzz/FuzzCheck.h"

namespace {

constexpr FuzzCheck Check{"str_int codec"};

// The field rules, written out on std::string: field f starts after f separators, each a
// comma and exactly one more character; a missing comma counts as one at -1.
long FieldOffset(const std::string& text, int f) {
    long position = 0;
    std::string rest = text;
    for (int n = 0; n < f; ++n) {
        const std::size_t found = rest.find(',');
        const long c = found == std::string::npos ? -1 : static_cast<long>(found);
        position += c + 2;
        rest = static_cast<std::size_t>(c + 2) <= rest.size() ? rest.substr(c + 2) : "";
    }
    return position;
}

std::uint8_t ByteOf(double x, int shift) {
    const auto n = static_cast<std::uint64_t>(platform::crt::Trunc64(x));
    return static_cast<std::uint8_t>((n >> shift) & 0xFF);
}

std::uint8_t ExpectedByte(const std::string& text, int i) {
    const auto from = [&](long offset) {
        return static_cast<std::size_t>(offset) < text.size() ? text.substr(offset) : "";
    };
    if (i == 0) {
        return ByteOf(platform::crt::Atof(text.substr(0, text.find(','))), 0);
    }
    if (i >= 1 && i <= 28) {
        const std::string rest = from(FieldOffset(text, (i + 1) / 2));
        const std::size_t comma = rest.find(',');
        const std::string field = comma == std::string::npos ? "" : rest.substr(0, comma);
        return ByteOf(platform::crt::Atof(field), i % 2 == 1 ? 8 : 0);
    }
    if (i == 29 || i == 30) {
        return ByteOf(platform::crt::Atof(from(FieldOffset(text, 15))), i == 29 ? 8 : 0);
    }
    return 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Layout: 31 value bytes, then the text; f and i come from the last bytes.
    FuzzedDataProvider input(data, size);
    const int f = input.ConsumeIntegralInRange(-2, 20);
    const int i = input.ConsumeIntegralInRange(-2, 33);
    std::array<std::uint8_t, 31> value{};
    input.ConsumeData(value.data(), value.size());
    const std::string copy = input.ConsumeRemainingBytesAsString();
    // The codec sees the text in a block of exactly its size: ASan catches any read beyond it.
    const auto block = std::make_unique<char[]>(copy.size());
    copy.copy(block.get(), copy.size());
    const std::string_view text(block.get(), copy.size());

    const NvTextCodec codec;
    const int offset = codec.StrIntFieldOffset(text, f);
    Check(offset == (f < 1 ? 0 : FieldOffset(copy, f)), "StrIntFieldOffset breaks the rule");
    Check(codec.TextToStrInt(text, i) == ExpectedByte(copy, i), "TextToStrInt breaks the rule");
    for (int k = 0; k <= 30; ++k) {
        Check(codec.TextToStrInt(text, k) == ExpectedByte(copy, k), "TextToStrInt breaks the rule");
    }

    // Any 31 bytes survive the trip through their text.
    const std::string made = codec.StrIntToText(value);
    for (int k = 0; k <= 30; ++k) {
        Check(codec.TextToStrInt(made, k) == value[static_cast<std::size_t>(k)],
              "StrIntToText does not read back");
    }
    return 0;
}
