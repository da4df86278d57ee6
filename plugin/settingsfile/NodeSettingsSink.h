#pragma once
// What a node settings file does to a node while it is read: the Import / Export page
// implements this with its questions, NV writes, part selection and error count.

#include <cstdint>
#include <span>
#include <string_view>

#include "plugin/settingsfile/SettingsItem.h"

namespace settingsfile {

class NodeSettingsSink {
  public:
    virtual ~NodeSettingsSink() = default;

    // A program ID line names programId, which is not ours: true to accept the items that
    // follow (until the next program ID line), false to ignore them.
    virtual bool AcceptForeignProgramId(std::string_view programId) = 0;
    // An accepted configuration item: write bytes (item.size of them) to item.nv.
    virtual void WriteItem(const SettingsItem& item, std::span<const std::uint8_t> bytes) = 0;
    // The part-th accepted nviPluginCnf item of the file (1, 2, ...; may exceed 12): select
    // part, write bytes (31) to nviPluginCnf, select part 0.
    virtual void WritePart(int part, std::span<const std::uint8_t> bytes) = 0;
    // An accepted item without a usable value line: nothing is to be written for it. part is
    // its part number for nviPluginCnf (that number is used up), 0 otherwise.
    virtual void ItemWithoutValue(const SettingsItem& item, int part) = 0;
};

}  // namespace settingsfile
