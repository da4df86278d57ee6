#include "platform/gdi/LoadBitmap.h"

#include <atomic>

#include "platform/gdi/Png.h"

namespace {

std::atomic<BitmapResourceLookup> g_lookup{nullptr};

}  // namespace

void SetBitmapResources(BitmapResourceLookup lookup) {
    g_lookup = lookup;
}

std::optional<Bitmap> LoadBitmap(int id) {
    const BitmapResourceLookup lookup = g_lookup;
    if (lookup == nullptr) {
        return std::nullopt;
    }
    return DecodePng(lookup(id));
}
