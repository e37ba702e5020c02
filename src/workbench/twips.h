#pragma once

#include "workbench/named.h"

#include <QRect>
#include <QSize>
#include <QString>
#include <QWidget>

// The drawing windows are laid out in twips, 15 to the pixel.
namespace Twips {

inline constexpr int PerPixel = 15;

inline constexpr QRect rect(int left, int top, int width, int height) {
    return {left / PerPixel, top / PerPixel, width / PerPixel, height / PerPixel};
}
inline constexpr QSize size(int width, int height) {
    return {width / PerPixel, height / PerPixel};
}

// Names a widget and puts it at its place (in pixels, see rect()).
template <typename T> T* placed(T* widget, const char* name, QRect place) {
    named(widget, name)->setGeometry(place);
    return widget;
}

} // namespace Twips
