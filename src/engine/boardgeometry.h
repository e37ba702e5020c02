#pragma once

// The board's fixed sizes: a 320 x 240 screen of one-byte colour values, twelve
// picture slots and two font slots.
namespace BoardGeometry {

inline constexpr int Width = 320;
inline constexpr int Height = 240;
inline constexpr int PixelCount = Width * Height;
inline constexpr int PictureSlots = 12;
inline constexpr int FontSlots = 2;

} // namespace BoardGeometry
