#pragma once

#include <QColor>
#include <QtGlobal>

class QWidget;

// Skin colour values: 32 bits laid out 0x00BBGGRR (red in the low byte). A
// high byte of 0xFF names a system colour by its index, taken from the
// application palette (0xFF000007 menu text, 0xFF000003 inactive caption...).
class TskColor {
public:
    static constexpr qint32 MenuText = qint32(0xFF000007u);
    static constexpr qint32 InactiveCaption = qint32(0xFF000003u);
    static constexpr qint32 ButtonFace = qint32(0xFF00000Fu);
    static constexpr qint32 Highlight = qint32(0xFF00000Du);
    static constexpr qint32 Window = qint32(0xFF000005u);

    static bool isSystemColor(qint32 value) { return (quint32(value) >> 24) == 0xFF; }
    static constexpr qint32 fromRgb(int r, int g, int b) {
        return qint32((quint32(b & 0xFF) << 16) | (quint32(g & 0xFF) << 8) | quint32(r & 0xFF));
    }
    // Opaque colour of a plain value (high byte ignored unless it is 0xFF);
    // a system index without a counterpart gives black.
    static QColor toQColor(qint32 value);
    static qint32 fromQColor(const QColor& color);
    // The plain 0x00BBGGRR value, system colours resolved.
    static qint32 resolve(qint32 value);
    // A widget's colour: its Color property when it publishes one, else the
    // colour its palette gives its background.
    static qint32 ofWidget(const QWidget* widget);
};
