#pragma once
// The module's bitmap resources: PNG files built into the module (resources/EmbedBitmaps.cmake).
// Bitmap 1, a 31 x 31 16-colour air-handling unit, is the control's toolbox picture and can
// serve as its icon too.

#include <cstdint>
#include <span>

// The PNG bytes of bitmap resource id; empty when the module has none with that id.
std::span<const std::uint8_t> BitmapResource(int id);
