#pragma once
// Bitmap resources: PNG files that a module carries as bytes. The module makes its resources
// known once (as a Windows module's resource handle is known to the framework), and LoadBitmap
// finds them by id.

#include <cstdint>
#include <optional>
#include <span>

#include "platform/gdi/Bitmap.h"

// The bytes of a module's bitmap resource id; empty when the module has no such resource.
using BitmapResourceLookup = std::span<const std::uint8_t> (*)(int id);

// Sets the module whose bitmap resources LoadBitmap loads from now on; null: none.
void SetBitmapResources(BitmapResourceLookup lookup);

// Decodes bitmap resource id; nullopt when there is no such resource or it cannot be decoded.
std::optional<Bitmap> LoadBitmap(int id);
