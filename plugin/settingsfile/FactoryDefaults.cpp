#include "plugin/settingsfile/FactoryDefaults.h"

namespace settingsfile {

ItemBytes FactoryPartBytes(int part) {
    if (part < 1 || part > kPartCount) {
        return {};
    }
    return kPluginCnf.BytesOf(kFactoryPartTexts[static_cast<std::size_t>(part - 1)]);
}

ItemBytes FactoryItemBytes(std::size_t order) {
    if (order >= kFactoryItems.size()) {
        return {};
    }
    const FactoryItem& entry = kFactoryItems[order];
    return entry.item->BytesOf(entry.text);
}

}  // namespace settingsfile
