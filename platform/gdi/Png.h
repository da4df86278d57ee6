#pragma once
// PNG files for bitmaps. A palette PNG of at most 16 colours is a 16-colour bitmap; every other
// PNG is a true-colour one (transparency is dropped: transparent pixels show black).

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "platform/gdi/Bitmap.h"

// The bitmap of a PNG held in memory; nullopt when the bytes are not a PNG that can be decoded.
std::optional<Bitmap> DecodePng(std::span<const std::uint8_t> bytes);

// Writes bitmap as a PNG file: 4-bit palette for a 16-colour bitmap, 8-bit RGB otherwise.
// Returns nullopt on success, else a message naming the file and the fault; no partial file
// is left behind.
std::optional<std::string> WritePng(const Bitmap& bitmap, const std::string& path);
