#include "plugin/settingsfile/SettingsItem.h"

#include "plugin/codec/NvTextCodec.h"

namespace settingsfile {

namespace {

// Spaces after the header text: the configuration items pad theirs, the parts follow their
// number with one.
constexpr std::size_t kConfigHeaderPadding = 15;
constexpr std::size_t kPartHeaderPadding = 1;

// The codecs end each value text with its line end and the empty line after it.
constexpr std::string_view kCodecLineEnds = "\n\n";

constexpr bool SizeFitsEncoding(const SettingsItem& item) {
    return item.size == (item.encoding == Encoding::Structured ? kStrIntSize : kWordSize);
}
static_assert(std::ranges::all_of(kConfigItems, SizeFitsEncoding) && SizeFitsEncoding(kPluginCnf));

std::string WithoutLineEnds(std::string text) {
    if (text.ends_with(kCodecLineEnds)) {
        text.resize(text.size() - kCodecLineEnds.size());
    }
    return text;
}

}  // namespace

std::string SettingsItem::HeaderLine(int part) const {
    std::string line(header);
    if (isPart) {
        line += std::to_string(part);
        line.append(kPartHeaderPadding, ' ');
    } else {
        line.append(kConfigHeaderPadding, ' ');
    }
    return line;
}

std::string SettingsItem::ValueLine(std::span<const std::uint8_t> bytes) const {
    const NvTextCodec codec;
    std::array<std::uint8_t, kStrIntSize> b{};
    std::copy_n(bytes.begin(), std::min(bytes.size(), size), b.begin());
    switch (encoding) {
        case Encoding::Percent:
            return WithoutLineEnds(codec.PercentText(b[0], b[1]));
        case Encoding::Seconds:
            return WithoutLineEnds(codec.TenthsText(b[0], b[1]));
        case Encoding::Minutes:
            return WithoutLineEnds(codec.WordText(b[0], b[1]));
        case Encoding::Structured:
            return WithoutLineEnds(codec.StrIntToText(b));
    }
    return {};
}

ItemBytes SettingsItem::BytesOf(std::string_view valueLine) const {
    const NvTextCodec codec;
    ItemBytes bytes;
    bytes.size = size;
    switch (encoding) {
        case Encoding::Percent:
            bytes.data[0] = codec.ByteFromPercentText(valueLine, false);
            bytes.data[1] = codec.ByteFromPercentText(valueLine, true);
            break;
        case Encoding::Seconds:
            bytes.data[0] = codec.ByteFromTenthsText(valueLine, false);
            bytes.data[1] = codec.ByteFromTenthsText(valueLine, true);
            break;
        case Encoding::Minutes:
            bytes.data[0] = codec.ByteFromText(valueLine, false);
            bytes.data[1] = codec.ByteFromText(valueLine, true);
            break;
        case Encoding::Structured:
            for (std::size_t i = 0; i < kStrIntSize; ++i) {
                bytes.data[i] = codec.TextToStrInt(valueLine, static_cast<int>(i));
            }
            break;
    }
    return bytes;
}

const SettingsItem* FindItem(std::string_view name) {
    if (name == kPluginCnf.Name()) {
        return &kPluginCnf;
    }
    const auto found = std::ranges::find(kConfigItems, name, &SettingsItem::Name);
    return found == kConfigItems.end() ? nullptr : &*found;
}

}  // namespace settingsfile
