#pragma once

#include <QImage>
#include <algorithm>
#include <cstdlib>

// Drawing whose rounding depends on the processor and the libraries (smooth
// edges, gradients, blending) comes out a unit apart here and there on
// another machine; a wrong colour, a missing line or a shifted shape is tens
// of units out. Pictures drawn by such code are compared within this many
// units per channel, never exactly.
constexpr int kRoundingTolerance = 2;

// The largest difference of one channel (alpha included) between the two.
inline int channelDifference(QRgb a, QRgb b) {
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                     std::abs(qBlue(a) - qBlue(b)), std::abs(qAlpha(a) - qAlpha(b))});
}

inline bool sameWithinRounding(QRgb a, QRgb b) {
    return channelDifference(a, b) <= kRoundingTolerance;
}
