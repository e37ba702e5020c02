#pragma once

#include <QImage>
#include <QRgb>

// The colour picker's palette: the board's 256 colours as 8 rows by 32 columns of
// swatches. Row i has green level i; column j has red level j div 4 and blue level
// j mod 4. The bottom-right swatch is pure white.
namespace Palette {

inline constexpr int Rows = 8;
inline constexpr int Columns = 32;
inline constexpr int SwatchWidth = 12;
inline constexpr int SwatchHeight = 18;
inline constexpr int Width = Columns * SwatchWidth; // 384
inline constexpr int Height = Rows * SwatchHeight;  // 144

// The colour of the swatch in row 0..7 (top first) and column 0..31 (left first).
QRgb swatchColor(int row, int column);
// The whole palette, Width x Height pixels.
QImage picture();

} // namespace Palette
