#pragma once

#include <QRect>

// Lengths of the window designs are in twips (1/1440 inch): 15 twips make one pixel at 100 %.
constexpr int twips(int value) {
    return value / 15;
}
constexpr QRect twipsRect(int left, int top, int width, int height) {
    return QRect(twips(left), twips(top), twips(width), twips(height));
}
