#pragma once

#include <QFont>
#include <QImage>
#include <QSize>

// The canvas a character is captured from: the drawing area of the picture box, sized
// from the character's extent as the measuring label takes it.
namespace GlyphCanvas {

// Added to the label's width: the size pass measures on a canvas 2 pixels narrower
// than the glyph pass.
inline constexpr int SizePassMargin = 18;
inline constexpr int GlyphPassMargin = 20;
// The picture box's frame takes this much on each side of its drawing area.
inline constexpr int FrameWidth = 2;
// The drawing area is this much taller than the character's cell, so that descenders
// and underscores reach the canvas whole.
inline constexpr int CellSlack = 2;

// The extent of one character in the font: what a self-sizing label showing just that
// character measures ("&" included, which labels show as it is).
QSize characterExtent(const QFont& font, char code);
// The picture box's outer size for the character: the label's width plus the margin,
// and room for the label's height plus the slack inside the frame.
QSize pictureBoxSize(const QFont& measureFont, char code, int margin);
// The picture box's drawing area for the character: white, with the character drawn
// in black in drawFont (without smoothing), the top-left corner of its cell at (1, 0).
QImage render(char code, const QFont& measureFont, const QFont& drawFont, int margin);

} // namespace GlyphCanvas
