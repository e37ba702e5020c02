#pragma once

#include <QPoint>
#include <QRect>

#include <array>
#include <optional>

// The keypad the board shows in keypad mode: four rows of four keys over the whole
// screen. A press on a key is reported as the key's label.
namespace Keypad {

struct Key {
    char label;
    QRect area; // in screen coordinates
};

inline constexpr int KeyCount = 16;

const std::array<Key, KeyCount>& keys();
// The key under a screen point, if any.
std::optional<Key> keyAt(QPoint point);
// The key with this label, if the keypad has one.
std::optional<Key> keyLabelled(char label);

} // namespace Keypad
