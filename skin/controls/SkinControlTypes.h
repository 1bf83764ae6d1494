#pragma once

// Value types published by the skinned controls. Layouts store them by
// name, and the ordinals are compared, so the order is fixed.

#include <QObject>
#include <QtGlobal>

namespace DeckvaneControls {
Q_NAMESPACE

// How an image panel draws its picture.
enum class TskDrawStyle : quint8 { skNormal = 0, skStretch = 1, skTile = 2 };
Q_ENUM_NS(TskDrawStyle)

// Horizontal alignment of a panel caption.
enum class TAlignment : quint8 { taLeftJustify = 0, taRightJustify = 1, taCenter = 2 };
Q_ENUM_NS(TAlignment)

// Where a push button puts its glyph relative to the caption.
enum class TButtonLayout : quint8 {
    blGlyphLeft = 0,
    blGlyphRight = 1,
    blGlyphTop = 2,
    blGlyphBottom = 3
};
Q_ENUM_NS(TButtonLayout)

enum class TCheckBoxState : quint8 { cbUnchecked = 0, cbChecked = 1, cbGrayed = 2 };
Q_ENUM_NS(TCheckBoxState)

enum class TBiDiMode : quint8 {
    bdLeftToRight = 0,
    bdRightToLeft = 1,
    bdRightToLeftNoAlign = 2,
    bdRightToLeftReadingOnly = 3
};
Q_ENUM_NS(TBiDiMode)

} // namespace DeckvaneControls

using DeckvaneControls::TAlignment;
using DeckvaneControls::TBiDiMode;
using DeckvaneControls::TButtonLayout;
using DeckvaneControls::TCheckBoxState;
using DeckvaneControls::TskDrawStyle;
