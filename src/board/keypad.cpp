#include "board/keypad.h"

#include "engine/boardgeometry.h"

namespace Keypad {
namespace {

constexpr int Columns = 4;
constexpr int Rows = 4;
constexpr char Labels[Rows][Columns + 1] = {"123A", "456B", "789C", "*0#D"};

} // namespace

const std::array<Key, KeyCount>& keys() {
    static const std::array<Key, KeyCount> layout = [] {
        std::array<Key, KeyCount> keys{};
        const int width = BoardGeometry::Width / Columns;
        const int height = BoardGeometry::Height / Rows;
        for (int row = 0; row < Rows; ++row) {
            for (int column = 0; column < Columns; ++column)
                keys[row * Columns + column] = {Labels[row][column],
                                                QRect(column * width, row * height, width, height)};
        }
        return keys;
    }();
    return layout;
}

std::optional<Key> keyAt(QPoint point) {
    for (const Key& key : keys()) {
        if (key.area.contains(point))
            return key;
    }
    return std::nullopt;
}

std::optional<Key> keyLabelled(char label) {
    for (const Key& key : keys()) {
        if (key.label == label)
            return key;
    }
    return std::nullopt;
}

} // namespace Keypad
