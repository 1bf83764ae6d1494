// skin-image-gen OUTDIR: draws every built-in skin image and writes it as
// OUTDIR/<NAME>.png. The images are compiled into the program from
// resources/skin; run this again after changing a drawing.
// skin-image-gen --themes DIR: draws the sample theme folders (theme.txt and
// BMP images) that skin-theme packs into resources/themes.

#include "SkinArt.h"
#include "skin/theme/SkinImageCatalog.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QMap>
#include <QPainter>
#include <cstdio>

using namespace SkinArt;

namespace {

using Images = QMap<QString, QImage>;

// ---------------------------------------------------------------- palettes

struct Palette {
    QString prefix;
    QColor backdrop;  // what controls usually sit on
    Gel face;         // a resting button face
    Gel hover;        // under the mouse
    Gel pressed;      // held down
    Gel accent;       // selections, progress, checked radio
    QColor glyph;     // arrows and check marks
    QColor boxBorder; // check box and radio outline
    QColor boxTop, boxBottom;
    QColor mark;              // check mark and radio dot
    qreal boxRadius = 1;      // corner radius of check boxes
    bool accentRadio = false; // a checked radio is a filled accent gel
    qreal radius;             // corner radius of push faces
    bool flat = false;        // flat styles draw no gloss
    bool keyCorners = false;  // push faces keyed at the corners
};

// A gel from 0xRRGGBB colours.
Gel gelOf(QRgb top, QRgb bottom, QRgb border, qreal gloss, qreal glow) {
    return {
        QColor::fromRgb(top), QColor::fromRgb(bottom), QColor::fromRgb(border), gloss, glow, 1.0};
}

Palette macPalette() {
    Palette p;
    p.prefix = "MACOS";
    p.backdrop = QColor(0xE7, 0xE7, 0xE7);
    p.face = gelOf(0xFBFBFB, 0xC9C9CC, 0x86868A, 0.75, 0.45);
    p.hover = gelOf(0xC9E0FB, 0x5E9BE6, 0x3A67A8, 0.75, 0.5);
    p.pressed = gelOf(0x8FB7EA, 0x2E6CC4, 0x244E8C, 0.55, 0.45);
    p.accent = p.hover;
    p.glyph = QColor(0x3C, 0x3C, 0x40);
    p.boxBorder = QColor(0x80, 0x80, 0x86);
    p.boxTop = QColor(0xFF, 0xFF, 0xFF);
    p.boxBottom = QColor(0xD4, 0xD4, 0xD8);
    p.mark = QColor(0x25, 0x25, 0x2A);
    p.boxRadius = 3;
    p.accentRadio = true;
    p.radius = 11.5;
    p.keyCorners = true;
    return p;
}

Palette xpPalette() {
    Palette p;
    p.prefix = "WINXP";
    p.backdrop = QColor(0xEF, 0xEB, 0xDE);
    p.face = gelOf(0xFFFFFF, 0xE3E2DA, 0x003C74, 0.3, 0.0);
    p.hover = gelOf(0xFFFFFF, 0xE3E2DA, 0x003C74, 0.3, 0.0);
    p.pressed = gelOf(0xD9D8CF, 0xF3F2EC, 0x003C74, 0.0, 0.0);
    p.accent = gelOf(0x8BD86A, 0x2EA52B, 0x1F771D, 0.5, 0.2);
    p.glyph = QColor(0x4D, 0x61, 0x85);
    p.boxBorder = QColor(0x1C, 0x51, 0x80);
    p.boxTop = QColor(0xDC, 0xDC, 0xD7);
    p.boxBottom = QColor(0xFF, 0xFF, 0xFF);
    p.mark = QColor(0x21, 0xA1, 0x21);
    p.radius = 3.0;
    return p;
}

Palette deepBluePalette() {
    Palette p;
    p.prefix = "DEEPBLUE";
    p.backdrop = QColor(0xE8, 0xE8, 0xE8);
    p.face = gelOf(0xF4F7FC, 0xB9C9E4, 0x1A2F5E, 0.7, 0.2);
    p.hover = gelOf(0xE6F0FF, 0x93B6EC, 0x122C66, 0.75, 0.35);
    p.pressed = gelOf(0x9FB6DC, 0xD2DEF1, 0x0C1E48, 0.25, 0.1);
    p.accent = gelOf(0x4A75C4, 0x122E6E, 0x0A1A40, 0.55, 0.2);
    p.glyph = QColor(0x14, 0x2A, 0x5C);
    p.boxBorder = QColor(0x1A, 0x2F, 0x5E);
    p.boxTop = QColor(0xE4, 0xEA, 0xF4);
    p.boxBottom = QColor(0xFF, 0xFF, 0xFF);
    p.mark = p.glyph;
    p.radius = 3.0;
    return p;
}

Palette proteinPalette() {
    Palette p;
    p.prefix = "PROTEIN";
    p.backdrop = QColor(0xFB, 0xFB, 0xFB);
    p.face = gelOf(0xFFFFFF, 0xF1F1F1, 0xA8A8A8, 0, 0);
    p.hover = gelOf(0xF4F6FF, 0xE6EAFB, 0x2D30C4, 0, 0);
    p.pressed = gelOf(0xDDE2F7, 0xE8EBF9, 0x2D30C4, 0, 0);
    p.accent = gelOf(0x4E56D8, 0x2D30C4, 0x22259A, 0, 0);
    p.glyph = QColor(0x55, 0x55, 0x5A);
    p.boxBorder = QColor(0x9A, 0x9A, 0x9E);
    p.boxTop = QColor(0xFF, 0xFF, 0xFF);
    p.boxBottom = QColor(0xFF, 0xFF, 0xFF);
    p.mark = QColor(0x2D, 0x30, 0xC4);
    p.radius = 2.0;
    p.flat = true;
    return p;
}

Palette blueGlassPalette() {
    Palette p;
    p.prefix = "BLUEGLASS";
    p.backdrop = QColor(0xE7, 0xE7, 0xE7);
    p.face = gelOf(0xE4F0FD, 0x9FC6F0, 0x3B6EB4, 0.8, 0.55);
    p.hover = gelOf(0xE8FAFF, 0x7CCBF5, 0x2A7AC0, 0.85, 0.7);
    p.pressed = gelOf(0x8EB8E8, 0xC4DEF8, 0x23569C, 0.45, 0.4);
    p.accent = gelOf(0x7FB4F2, 0x2D6FD2, 0x1D4E9A, 0.7, 0.45);
    p.glyph = QColor(0x1F, 0x4A, 0x8A);
    p.boxBorder = QColor(0x3B, 0x6E, 0xB4);
    p.boxTop = QColor(0xF2, 0xF8, 0xFF);
    p.boxBottom = QColor(0xC7, 0xDD, 0xF6);
    p.mark = p.glyph;
    p.boxRadius = 3;
    p.accentRadio = true;
    p.radius = 13.0;
    p.keyCorners = true;
    return p;
}

QSize sizeOf(const QString& name) {
    const TskBuiltinImageInfo* info = FindBuiltinImage(name);
    return info ? QSize(info->width, info->height) : QSize();
}

void paintFace(QPainter& p, const QPainterPath& shape, const Gel& gel, bool flat) {
    if (flat)
        paintFlat(p, shape, gel.top, gel.border, QColor(255, 255, 255, 200));
    else
        paintGel(p, shape, gel);
}

const Gel& gelFor(const Palette& pal, State s) {
    return s == State::Hover ? pal.hover : s == State::Pressed ? pal.pressed : pal.face;
}

// Glass under the mouse brightens and glows; pressed, it darkens and dulls.
Gel glassLook(Gel g, State st) {
    if (st == State::Hover) {
        g.top = lighter(g.top, 0.4);
        g.bottom = lighter(g.bottom, 0.25);
        g.glow = 0.8;
    } else if (st == State::Pressed) {
        g.top = darker(g.bottom, 0.1);
        g.bottom = darker(g.bottom, 0.35);
        g.gloss = 0.35;
    }
    return g;
}

// ---------------------------------------------------------- push buttons

QImage pushButtonStrip(const Palette& pal, QSize size) {
    const int fw = size.width() / 3, h = size.height();
    return strip(3, fw, h, [&](int i) {
        const State s = State(i);
        QImage art = blank(fw, h);
        QPainter p;
        beginPaint(p, art);
        const QRectF r(0.5, 0.5, fw - 1, h - 1);
        const QPainterPath shape = roundRect(r, qMin(pal.radius, (h - 1) / 2.0));
        paintFace(p, shape, gelFor(pal, s), pal.flat);
        if (pal.prefix == "WINXP" && s == State::Hover) {
            // The bright orange hover ring inside the blue outline.
            p.setPen(QPen(QColor(0xF8, 0xB3, 0x30), 1.6));
            p.setBrush(Qt::NoBrush);
            p.drawPath(roundRect(r.adjusted(1.6, 1.6, -1.6, -1.6), 2));
        }
        if (pal.prefix == "WINXP" && s == State::Normal) {
            p.setPen(QPen(QColor(0xB6, 0xC8, 0xE3, 160), 1.0));
            p.setBrush(Qt::NoBrush);
            p.drawLine(QPointF(2, h - 2.5), QPointF(fw - 2, h - 2.5));
        }
        p.end();
        return pal.keyCorners ? flattenOnKey(art, pal.backdrop) : flattenOnColor(art, pal.backdrop);
    });
}

// ------------------------------------------------------ check box / radio

void paintCheck(QPainter& p, const QRectF& box, const QColor& color, qreal width) {
    QPainterPath tick;
    tick.moveTo(box.left() + box.width() * 0.2, box.top() + box.height() * 0.52);
    tick.lineTo(box.left() + box.width() * 0.42, box.top() + box.height() * 0.74);
    tick.lineTo(box.left() + box.width() * 0.8, box.top() + box.height() * 0.26);
    p.save();
    p.setPen(QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(tick);
    p.restore();
}

// A disabled box or radio sinks into the backdrop and loses most of its gloss.
Gel faded(Gel g, const QColor& backdrop) {
    g.top = mix(g.top, backdrop, 0.6);
    g.bottom = mix(g.bottom, backdrop, 0.6);
    g.border = mix(g.border, backdrop, 0.55);
    g.gloss *= 0.4;
    return g;
}

// Frames: checked, unchecked, checked disabled, unchecked disabled.
bool frameChecked(int i) {
    return i == 0 || i == 2;
}
bool frameEnabled(int i) {
    return i < 2;
}

QImage checkBoxStrip(const Palette& pal, QSize size) {
    const int fw = size.width() / 4, h = size.height();
    return strip(4, fw, h, [&](int i) {
        QImage art = blank(fw, h);
        QPainter p;
        beginPaint(p, art);
        const int side = qMin(fw, h) - (h > 13 ? 2 : 0);
        const QRectF box((fw - side) / 2.0 + 0.5, (h - side) / 2.0 + 0.5, side - 1, side - 1);
        const bool enabled = frameEnabled(i);
        Gel gel{pal.boxTop, pal.boxBottom, pal.boxBorder, 0.5, 0.2, 1.0};
        QColor mark = pal.mark;
        if (!enabled) {
            gel = faded(gel, pal.backdrop);
            mark = mix(mark, pal.backdrop, 0.6);
        }
        const QPainterPath shape = roundRect(box, pal.boxRadius);
        if (pal.flat)
            paintFlat(p, shape, gel.top, gel.border);
        else
            paintGel(p, shape, gel);
        if (frameChecked(i))
            paintCheck(p, box.adjusted(1, 1, -1, -1), mark, side > 13 ? 2.2 : 1.9);
        p.end();
        return flattenOnColor(art, pal.backdrop);
    });
}

QImage radioStrip(const Palette& pal, QSize size) {
    const int fw = size.width() / 4, h = size.height();
    return strip(4, fw, h, [&](int i) {
        QImage art = blank(fw, h);
        QPainter p;
        beginPaint(p, art);
        const qreal d = qMin(fw, h) - (h > 13 ? 2.0 : 0.5);
        const QRectF circle((fw - d) / 2.0, (h - d) / 2.0, d, d);
        QPainterPath shape;
        shape.addEllipse(circle.adjusted(0.5, 0.5, -0.5, -0.5));
        const bool enabled = frameEnabled(i);
        const bool checked = frameChecked(i);
        Gel gel{pal.boxTop, pal.boxBottom, pal.boxBorder, 0.5, 0.2, 1.0};
        QColor dot = pal.mark;
        if (checked && pal.accentRadio) {
            gel = pal.accent; // a filled gel with a white centre
            dot = QColor(255, 255, 255);
        }
        if (!enabled) {
            gel = faded(gel, pal.backdrop);
            dot = mix(dot, pal.backdrop, 0.55);
        }
        if (pal.flat)
            paintFlat(p, shape, gel.top, gel.border);
        else
            paintGel(p, shape, gel);
        if (checked) {
            const qreal dd = d * 0.42;
            p.setPen(Qt::NoPen);
            p.setBrush(dot);
            p.drawEllipse(
                QRectF(circle.center().x() - dd / 2, circle.center().y() - dd / 2, dd, dd));
        }
        p.end();
        return flattenOnKey(art, pal.backdrop);
    });
}

// ---------------------------------------------------------- title buttons

const Glyph TitleGlyphs[6] = {Glyph::ControlBox, Glyph::Help,     Glyph::Maximize,
                              Glyph::Restore,    Glyph::Minimize, Glyph::Close};

using TitleButtonArt = std::function<void(QPainter&, int size, Glyph, State)>;

// 18 frames: six buttons by three looks. Opaque strips take the title bar's
// own rows behind them; transparent ones the (245, 4, 250) background.
QImage titleButtonStrip(QSize size, const QImage& titleClient, int buttonTop, bool transparent,
                        const TitleButtonArt& art) {
    const int s = size.height();
    return strip(18, size.width() / 18, s, [&](int i) {
        QImage drawing = blank(s, s);
        QPainter p;
        beginPaint(p, drawing);
        art(p, s, TitleGlyphs[i / 3], State(i % 3));
        p.end();
        // The bar's own colour at the button's rows, three rows down because
        // the title images start inside the form's frame.
        // The bar's bottom rule stays out of the backdrop.
        const int lastRow = titleClient.height() - 2;
        const int row = qMin(lastRow, buttonTop + 3 + s / 2);
        const QColor behind = titleClient.pixelColor(titleClient.width() / 2, row);
        if (transparent)
            return flattenOnKey(drawing, behind, TitleButtonKey);
        QImage back(s, s, QImage::Format_RGB32);
        for (int y = 0; y < s; ++y) {
            const int src = qMin(lastRow, buttonTop + 3 + y);
            for (int x = 0; x < s; ++x)
                back.setPixel(x, y, titleClient.pixel(titleClient.width() / 2, src));
        }
        return flattenOver(drawing, back);
    });
}

QRectF glyphBox(int size, qreal inset) {
    return QRectF(inset, inset, size - 2 * inset, size - 2 * inset);
}

// The whole strip, less the outside of a rounded upper corner on the left
// (RoundSide < 0) or right (> 0) end.
QPainterPath titleShape(int w, int h, int roundSide, qreal radius) {
    QPainterPath shape;
    shape.addRect(QRectF(0, 0, w, h));
    if (roundSide == 0)
        return shape;
    QPainterPath corner;
    corner.addRect(QRectF(roundSide < 0 ? 0 : w - radius, 0, radius, radius));
    QPainterPath round;
    round.addEllipse(QRectF(roundSide < 0 ? 0 : w - 2 * radius, 0, 2 * radius, 2 * radius));
    return shape.subtracted(corner.subtracted(round));
}

// ------------------------------------------------------------ the styles

void macOS(Images& out) {
    // Brushed metal: a light grey gradient with faint pinstripes.
    auto titleArt = [](int w, int h, bool leftEdge, bool rightEdge) {
        QImage img(w, h, QImage::Format_RGB32);
        QPainter p(&img);
        fillVertical(p, QRectF(0, 0, w, h),
                     {{0, QColor(0xF6, 0xF6, 0xF6)},
                      {0.45, QColor(0xE2, 0xE2, 0xE2)},
                      {1, QColor(0xC4, 0xC4, 0xC6)}});
        for (int y = 1; y < h - 1; y += 2)
            p.fillRect(0, y, w, 1, QColor(255, 255, 255, 38));
        p.fillRect(0, 0, w, 1, QColor(0xFF, 0xFF, 0xFF));
        p.fillRect(0, h - 1, w, 1, QColor(0x8C, 0x8C, 0x90));
        if (leftEdge)
            p.fillRect(0, 0, 1, h, QColor(0xA8, 0xA8, 0xAC));
        if (rightEdge)
            p.fillRect(w - 1, 0, 1, h, QColor(0xA8, 0xA8, 0xAC));
        return img;
    };
    const QImage client = titleArt(49, 23, false, false);
    out["MACOS_TITLE_LEFT"] = titleArt(48, 23, true, false);
    out["MACOS_TITLE_CLIENT"] = client;
    out["MACOS_TITLE_RIGHT"] = titleArt(48, 23, false, true);
    out["MACOS_TITLEBTN"] = titleButtonStrip(
        sizeOf("MACOS_TITLEBTN"), client, 4, false, [](QPainter& p, int s, Glyph g, State st) {
            // One pixel up: on a skinned form the bar clips the button's last row.
            const QRectF ball(1, 0.5, s - 2.5, s - 2.5);
            QPainterPath shape;
            shape.addEllipse(ball);
            // A lit ball for the pointer, held down or not: this strip has
            // one picture for both.
            Gel gel = gelOf(0xD8DCE4, 0x868E9C, 0x5C626E, 0.8, 0.55);
            if (st != State::Normal)
                gel = g == Glyph::Close ? gelOf(0xFFB0A6, 0xD83A2E, 0x90221A, 0.8, 0.55)
                                        : gelOf(0xB8D6FA, 0x3973C4, 0x244E8C, 0.8, 0.55);
            paintGel(p, shape, gel);
            const QColor ink =
                st == State::Normal ? QColor(0x3A, 0x3E, 0x46) : QColor(255, 255, 255);
            paintGlyph(p, glyphBox(s, s * 0.3), g, ink, 1.5);
        });
    // Pinstriped form background.
    QImage bg(8, 8, QImage::Format_RGB32);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            bg.setPixel(x, y, (y % 2 == 0) ? qRgb(0xEC, 0xEC, 0xEC) : qRgb(0xE2, 0xE2, 0xE2));
    out["MACOS_FORM_BACKGROUND"] = bg;
    QImage bar(1, 22, QImage::Format_RGB32);
    {
        QPainter p(&bar);
        fillVertical(p, QRectF(0, 0, 1, 22),
                     {{0, QColor(0xFF, 0xFF, 0xFF)},
                      {0.5, QColor(0xEE, 0xEE, 0xEE)},
                      {1, QColor(0xD6, 0xD6, 0xD8)}});
    }
    out["MACOS_MENU_BAR"] = bar;
    QImage sel(1, 21, QImage::Format_RGB32);
    {
        QPainter p(&sel);
        fillVertical(p, QRectF(0, 0, 1, 21),
                     {{0, QColor(0x7D, 0xA9, 0xE8)},
                      {0.5, QColor(0x4A, 0x84, 0xD6)},
                      {0.52, QColor(0x39, 0x73, 0xC4)},
                      {1, QColor(0x2C, 0x62, 0xB2)}});
    }
    out["MACOS_MENU_SELECT"] = sel;
}

void winXP(Images& out) {
    auto titleArt = [&](int w, int h, int roundSide) {
        QImage art = blank(w, h);
        QPainter p;
        beginPaint(p, art);
        // Outside the window's rounded upper corner is the frame colour.
        const QPainterPath shape = titleShape(w, h, roundSide, 9);
        p.fillPath(shape, vertical(QRectF(0, 0, w, h), {{0, QColor(0x0A, 0x63, 0xF5)},
                                                        {0.08, QColor(0x3D, 0x95, 0xFF)},
                                                        {0.22, QColor(0x0A, 0x60, 0xF0)},
                                                        {0.6, QColor(0x00, 0x55, 0xE5)},
                                                        {0.88, QColor(0x00, 0x4E, 0xDB)},
                                                        {1, QColor(0x00, 0x3A, 0xB8)}}));
        p.setClipPath(shape);
        p.fillRect(QRectF(0, 1, w, 1), QColor(255, 255, 255, 90));
        p.end();
        return flattenOnColor(art, QColor(0x00, 0x2C, 0xC8));
    };
    const QImage client = titleArt(37, 29, 0);
    out["WINXP_TITLE_LEFT"] = titleArt(35, 29, -1);
    out["WINXP_TITLE_CLIENT"] = client;
    out["WINXP_TITLE_RIGHT"] = titleArt(35, 29, 1);
    out["WINXP_TITLEBTN"] = titleButtonStrip(
        sizeOf("WINXP_TITLEBTN"), client, 5, false, [](QPainter& p, int s, Glyph g, State st) {
            const QRectF r(0.5, 0.5, s - 1, s - 1);
            const bool close = g == Glyph::Close;
            QColor top = close ? QColor(0xF0, 0x9A, 0x82) : QColor(0x6C, 0xA6, 0xFF);
            QColor bottom = close ? QColor(0xD6, 0x41, 0x1A) : QColor(0x1F, 0x5C, 0xE8);
            if (st == State::Hover) {
                top = lighter(top, 0.3);
                bottom = lighter(bottom, 0.2);
            } else if (st == State::Pressed) {
                top = darker(bottom, 0.15);
                bottom = darker(bottom, 0.3);
            }
            const QPainterPath shape = roundRect(r, 3.5);
            p.fillPath(shape, vertical(r, {{0, top}, {1, bottom}}));
            p.setClipPath(shape);
            QRadialGradient shine(QPointF(s * 0.3, s * 0.25), s * 0.8);
            shine.setColorAt(0, QColor(255, 255, 255, st == State::Pressed ? 20 : 90));
            shine.setColorAt(1, QColor(255, 255, 255, 0));
            p.fillRect(r, shine);
            p.setClipping(false);
            p.setPen(QPen(QColor(255, 255, 255), 1));
            p.setBrush(Qt::NoBrush);
            p.drawPath(shape);
            paintGlyph(p, glyphBox(s, s * 0.29), g, QColor(255, 255, 255), 2.0);
        });
}

void deepBlue(Images& out) {
    auto titleArt = [](int w, int h, int glowSide) {
        QImage art(w, h, QImage::Format_ARGB32_Premultiplied);
        QPainter p(&art);
        p.setRenderHint(QPainter::Antialiasing);
        fillVertical(p, QRectF(0, 0, w, h),
                     {{0, QColor(0x2F, 0x4F, 0x94)},
                      {0.48, QColor(0x16, 0x30, 0x6C)},
                      {0.5, QColor(0x0E, 0x24, 0x58)},
                      {1, QColor(0x06, 0x12, 0x34)}});
        // A quiet sheen on the upper half.
        p.fillRect(QRectF(0, 0, w, h * 0.48),
                   vertical(QRectF(0, 0, w, h * 0.48),
                            {{0, QColor(255, 255, 255, 60)}, {1, QColor(255, 255, 255, 8)}}));
        if (glowSide != 0) {
            // Deep light behind the caption and at the far end.
            QRadialGradient glow(QPointF(glowSide < 0 ? w * 0.25 : w * 0.9, h * 0.5), w * 0.75);
            glow.setColorAt(0, QColor(0x6E, 0x9C, 0xFF, 70));
            glow.setColorAt(1, QColor(0x6E, 0x9C, 0xFF, 0));
            p.fillRect(QRectF(0, 0, w, h), glow);
        }
        p.fillRect(QRectF(0, 0, w, 1), QColor(0x7A, 0x9C, 0xE0));
        p.fillRect(QRectF(0, h - 1, w, 1), QColor(0x02, 0x08, 0x1C));
        p.end();
        return art.convertToFormat(QImage::Format_RGB32);
    };
    const QImage client = titleArt(98, 32, 0);
    out["DEEPBLUE_TITLE_LEFT"] = titleArt(97, 32, -1);
    out["DEEPBLUE_TITLE_CLIENT"] = client;
    out["DEEPBLUE_TITLE_RIGHT"] = titleArt(97, 32, 1);
    out["DEEPBLUE_TITLEBTN"] = titleButtonStrip(
        sizeOf("DEEPBLUE_TITLEBTN"), client, 2, false, [](QPainter& p, int s, Glyph g, State st) {
            const QRectF r(0.5, 0.5, s - 1, s - 1);
            Gel gel = gelOf(0x3A5CA6, 0x0E2256, 0x7C9CDC, 0.35, 0.15);
            if (st == State::Hover)
                gel = g == Glyph::Close ? gelOf(0xE86A5C, 0x9C1C12, 0xF2B0A8, 0.45, 0.2)
                                        : gelOf(0x5C86DA, 0x1C3E8E, 0xA8C4F4, 0.45, 0.2);
            else if (st == State::Pressed)
                gel = gelOf(0x06102E, 0x1A3270, 0x5A7AC0, 0.1, 0.1);
            paintGel(p, roundRect(r, 2.5), gel);
            paintGlyphShadowed(p, glyphBox(s, s * 0.3), g, QColor(255, 255, 255),
                               QColor(0, 0, 0, 120), 1.7);
        });
}

void protein(Images& out) {
    const QColor top(0x6E, 0x8F, 0xC6), bottom(0x4E, 0x70, 0xA9);
    auto titleArt = [&](int w, int h, bool sheen) {
        QImage art(w, h, QImage::Format_ARGB32_Premultiplied);
        QPainter p(&art);
        fillVertical(p, QRectF(0, 0, w, h), {{0, top}, {1, bottom}});
        if (sheen) {
            // A pale band behind the icon and caption that fades out long
            // before the stretched part begins.
            p.fillRect(QRectF(0, 0, w, h),
                       horizontal(QRectF(0, 0, w, h), {{0, QColor(255, 255, 255, 34)},
                                                       {0.55, QColor(255, 255, 255, 10)},
                                                       {0.9, QColor(255, 255, 255, 0)}}));
        }
        p.fillRect(QRectF(0, 0, w, 1), QColor(0x9C, 0xB6, 0xE0));
        p.fillRect(QRectF(0, h - 1, w, 1), QColor(0x3A, 0x58, 0x8C));
        p.end();
        return art.convertToFormat(QImage::Format_RGB32);
    };
    const QImage client = titleArt(1, 23, false);
    out["PROTEIN_TITLE_LEFT"] = titleArt(441, 23, true);
    out["PROTEIN_TITLE_CLIENT"] = client;
    out["PROTEIN_TITLE_RIGHT"] = titleArt(1, 23, false);
    out["PROTEIN_TITLEBTN"] = titleButtonStrip(
        sizeOf("PROTEIN_TITLEBTN"), client, 2, true, [](QPainter& p, int s, Glyph g, State st) {
            const QRectF r(1, 1, s - 2, s - 2);
            if (st == State::Hover)
                p.fillPath(roundRect(r, 2),
                           g == Glyph::Close ? QColor(0xD9, 0x46, 0x3B) : QColor(0x8A, 0xA6, 0xD6));
            else if (st == State::Pressed)
                p.fillPath(roundRect(r, 2),
                           g == Glyph::Close ? QColor(0xA8, 0x2C, 0x24) : QColor(0x3A, 0x58, 0x8C));
            paintGlyph(p, glyphBox(s, s * 0.3), g, QColor(255, 255, 255), 1.6);
        });
    // A clean ground with a faint dot lattice.
    QImage bg(8, 8, QImage::Format_RGB32);
    bg.fill(QColor(0xFB, 0xFB, 0xFB));
    bg.setPixel(0, 0, qRgb(0xF1, 0xF1, 0xF1));
    bg.setPixel(4, 4, qRgb(0xF1, 0xF1, 0xF1));
    out["PROTEIN_FORM_BACKGROUND"] = bg;
}

void blueGlass(Images& out) {
    auto titleArt = [](int w, int h, int roundSide, bool swirl) {
        QImage art = blank(w, h);
        QPainter p;
        beginPaint(p, art);
        const QPainterPath shape = titleShape(w, h, roundSide, 8);
        const QRectF all(0, 0, w, h);
        p.fillPath(shape, vertical(all, {{0, QColor(0xB4, 0xD4, 0xF8)},
                                         {0.46, QColor(0x7A, 0xAC, 0xEA)},
                                         {0.5, QColor(0x3E, 0x7C, 0xD6)},
                                         {1, QColor(0x6C, 0xA4, 0xEC)}}));
        p.setClipPath(shape);
        // Glass: a bright specular band and a soft refraction below it.
        p.fillRect(QRectF(0, 1, w, h * 0.42),
                   vertical(QRectF(0, 1, w, h * 0.42),
                            {{0, QColor(255, 255, 255, 150)}, {1, QColor(255, 255, 255, 30)}}));
        if (swirl) {
            QPainterPath wave;
            wave.moveTo(0, h * 0.72);
            wave.cubicTo(w * 0.3, h * 0.35, w * 0.6, h * 1.05, w, h * 0.62);
            wave.lineTo(w, h);
            wave.lineTo(0, h);
            wave.closeSubpath();
            p.fillPath(wave, horizontal(all, {{0, QColor(255, 255, 255, 60)},
                                              {1, QColor(255, 255, 255, 0)}}));
        }
        p.setClipping(false);
        p.setPen(QPen(QColor(0x2A, 0x58, 0xA0), 1));
        p.drawLine(QPointF(0, h - 0.5), QPointF(w, h - 0.5));
        p.end();
        // Outside the rounded corners: the frame's own dark blue.
        return flattenOnColor(art, QColor(0x2A, 0x58, 0xA0));
    };
    const QImage client = titleArt(179, 33, 0, false);
    out["BLUEGLASS_TITLE_LEFT"] = titleArt(162, 33, -1, true);
    out["BLUEGLASS_TITLE_CLIENT"] = client;
    out["BLUEGLASS_TITLE_RIGHT"] = titleArt(101, 33, 1, false);
    out["BLUEGLASS_TITLEBTN"] = titleButtonStrip(
        sizeOf("BLUEGLASS_TITLEBTN"), client, 6, true, [](QPainter& p, int s, Glyph g, State st) {
            const QRectF r(0.5, 0.5, s - 1, s - 1);
            const bool close = g == Glyph::Close;
            Gel base = close ? gelOf(0xF6B4A8, 0xD03A2A, 0x8A1E14, 0.8, 0.5)
                             : gelOf(0xD4E8FF, 0x5A94E0, 0x245096, 0.8, 0.5);
            paintGel(p, roundRect(r, 4), glassLook(base, st));
            paintGlyphShadowed(p, glyphBox(s, s * 0.3), g, QColor(255, 255, 255),
                               QColor(0, 0, 0, 90), 1.7);
        });
}

// ----------------------------------------- images no component draws here

enum class Arrow { Up, Down, Left, Right };

void paintArrow(QPainter& p, const QRectF& box, Arrow a, const QColor& color) {
    const QPointF c = box.center();
    const qreal s = qMin(box.width(), box.height()) * 0.22;
    QPainterPath tri;
    switch (a) {
    case Arrow::Up:
        tri.moveTo(c.x() - s * 1.3, c.y() + s * 0.7);
        tri.lineTo(c.x() + s * 1.3, c.y() + s * 0.7);
        tri.lineTo(c.x(), c.y() - s * 0.7);
        break;
    case Arrow::Down:
        tri.moveTo(c.x() - s * 1.3, c.y() - s * 0.7);
        tri.lineTo(c.x() + s * 1.3, c.y() - s * 0.7);
        tri.lineTo(c.x(), c.y() + s * 0.7);
        break;
    case Arrow::Left:
        tri.moveTo(c.x() + s * 0.7, c.y() - s * 1.3);
        tri.lineTo(c.x() + s * 0.7, c.y() + s * 1.3);
        tri.lineTo(c.x() - s * 0.7, c.y());
        break;
    case Arrow::Right:
        tri.moveTo(c.x() - s * 0.7, c.y() - s * 1.3);
        tri.lineTo(c.x() - s * 0.7, c.y() + s * 1.3);
        tri.lineTo(c.x() + s * 0.7, c.y());
        break;
    }
    tri.closeSubpath();
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawPath(tri);
    p.restore();
}

QImage faceImage(const Palette& pal, QSize size, State st, qreal radius, bool keyed,
                 const std::function<void(QPainter&, const QRectF&)>& extra = {}) {
    QImage art = blank(size.width(), size.height());
    QPainter p;
    beginPaint(p, art);
    const QRectF r(0.5, 0.5, size.width() - 1, size.height() - 1);
    paintFace(p, roundRect(r, radius), gelFor(pal, st), pal.flat);
    if (extra)
        extra(p, r);
    p.end();
    return keyed ? flattenOnKey(art, pal.backdrop) : flattenOnColor(art, pal.backdrop);
}

void controls(const Palette& pal, Images& out) {
    const QString pre = pal.prefix + "_";
    auto sz = [&](const char* part) { return sizeOf(pre + part); };

    out[pre + "BUTTON"] = pushButtonStrip(pal, sz("BUTTON"));
    out[pre + "CHECKBOX"] = checkBoxStrip(pal, sz("CHECKBOX"));
    out[pre + "RADIOBUTTON"] = radioStrip(pal, sz("RADIOBUTTON"));

    { // Progress bar: a segment of the filled bar.
        const QSize s = sz("PROGRESSBAR");
        QImage art = blank(s.width(), s.height());
        QPainter p;
        beginPaint(p, art);
        const QRectF r(0, 0, s.width(), s.height());
        if (pal.flat)
            p.fillRect(r, pal.accent.top);
        else
            p.fillRect(r, vertical(r, {{0, lighter(pal.accent.top, 0.3)},
                                       {0.5, pal.accent.top},
                                       {0.55, pal.accent.bottom},
                                       {1, lighter(pal.accent.bottom, 0.2)}}));
        if (s.width() > 4)
            p.fillRect(QRectF(s.width() - 2, 0, 2, s.height()), QColor(255, 255, 255, 110));
        p.end();
        out[pre + "PROGRESSBAR"] = flattenOnColor(art, pal.backdrop);
    }
    { // Track-bar groove.
        const QSize s = sz("TRACKBAR_BAR");
        QImage art = blank(s.width(), s.height());
        QPainter p;
        beginPaint(p, art);
        const QRectF r(0.5, 0.5, s.width() - 1, s.height() - 1);
        p.fillPath(roundRect(r, s.height() / 2.0),
                   vertical(r, {{0, darker(pal.backdrop, 0.25)}, {1, lighter(pal.backdrop, 0.5)}}));
        p.setPen(QPen(darker(pal.backdrop, 0.4), 1));
        p.drawPath(roundRect(r, s.height() / 2.0));
        p.end();
        out[pre + "TRACKBAR_BAR"] = flattenOnColor(art, pal.backdrop);
    }
    auto slider = [&](QSize s, bool vertical) {
        QImage art = blank(s.width(), s.height());
        QPainter p;
        beginPaint(p, art);
        QPainterPath shape;
        const qreal w = s.width() - 1, h = s.height() - 1;
        if (!vertical) {
            shape.moveTo(0.5, 2.5);
            shape.quadTo(0.5, 0.5, 2.5, 0.5);
            shape.lineTo(w - 2, 0.5);
            shape.quadTo(w, 0.5, w, 2.5);
            shape.lineTo(w, h * 0.68);
            shape.lineTo(s.width() / 2.0, h);
            shape.lineTo(0.5, h * 0.68);
        } else {
            shape.moveTo(2.5, 0.5);
            shape.quadTo(0.5, 0.5, 0.5, 2.5);
            shape.lineTo(0.5, h - 2);
            shape.quadTo(0.5, h, 2.5, h);
            shape.lineTo(w * 0.68, h);
            shape.lineTo(w, s.height() / 2.0);
            shape.lineTo(w * 0.68, 0.5);
        }
        shape.closeSubpath();
        paintFace(p, shape, pal.face, pal.flat);
        p.end();
        return flattenOnKey(art, pal.backdrop);
    };
    out[pre + "TRACKBAR_SLIDER"] = slider(sz("TRACKBAR_SLIDER"), false);
    out[pre + "TRACKBAR_SLIDER_V"] = slider(sz("TRACKBAR_SLIDER_V"), true);
    { // Scroll-bar arrow buttons: up, down, left, right, then up and down held.
        const QSize s = sz("SCROLLBAR_BUTTON");
        const int fw = s.width() / 6;
        const Arrow arrows[6] = {Arrow::Up,    Arrow::Down, Arrow::Left,
                                 Arrow::Right, Arrow::Up,   Arrow::Down};
        out[pre + "SCROLLBAR_BUTTON"] = strip(6, fw, s.height(), [&](int i) {
            return faceImage(pal, QSize(fw, s.height()), i < 4 ? State::Normal : State::Pressed,
                             qMin(3.0, pal.radius), false, [&](QPainter& p, const QRectF& r) {
                                 paintArrow(p, r, arrows[i], pal.glyph);
                             });
        });
    }
    { // Scroll-bar thumb: upper cap, middle, lower cap.
        const QSize s = sz("SCROLLBAR_TRACK");
        const int fw = s.width() / 3;
        const QImage whole =
            faceImage(pal, QSize(s.height(), fw * 3), State::Normal, fw / 2.0, false,
                      [&](QPainter& p, const QRectF& r) {
                          p.setPen(QPen(darker(pal.face.bottom, 0.3), 1));
                          for (int k = -1; k <= 1; ++k)
                              p.drawLine(QPointF(r.center().x() - 3, r.center().y() + 2 * k + 0.5),
                                         QPointF(r.center().x() + 3, r.center().y() + 2 * k + 0.5));
                      });
        QTransform rot;
        rot.rotate(-90);
        out[pre + "SCROLLBAR_TRACK"] = whole.transformed(rot).copy(0, 0, s.width(), s.height());
    }
    { // Check-list boxes: checked, unchecked, checked and unchecked disabled.
        const QSize s = sz("CHECKLIST");
        const int fw = s.width() / 4;
        out[pre + "CHECKLIST"] = strip(4, fw, s.height(), [&](int i) {
            QImage art = blank(fw, s.height());
            QPainter p;
            beginPaint(p, art);
            const int side = qMin(fw, s.height()) - 1;
            const QRectF box((fw - side) / 2.0 + 0.5, (s.height() - side) / 2.0 + 0.5, side - 1,
                             side - 1);
            const qreal fade = frameEnabled(i) ? 0.0 : 0.55;
            paintFlat(p, roundRect(box, 1), mix(pal.boxTop, pal.backdrop, fade),
                      mix(pal.boxBorder, pal.backdrop, fade));
            if (frameChecked(i))
                paintCheck(p, box.adjusted(0.5, 0.5, -0.5, -0.5),
                           mix(pal.glyph, pal.backdrop, fade), 1.6);
            p.end();
            return flattenOnColor(art, pal.backdrop);
        });
    }
    if (FindBuiltinImage(pre + "SCROLLBUTTON"))
        out[pre + "SCROLLBUTTON"] = [&] {
            const QSize s = sz("SCROLLBUTTON");
            const int fw = s.width() / 4;
            return strip(4, fw, s.height(), [&](int i) {
                QImage art = blank(fw, s.height());
                QPainter p;
                beginPaint(p, art);
                QPainterPath shape;
                shape.addEllipse(QRectF(1, 1, fw - 2.5, s.height() - 2.5));
                paintFace(p, shape, i % 2 ? pal.hover : pal.face, pal.flat);
                paintArrow(p, QRectF(0, 0, fw, s.height()), i < 2 ? Arrow::Left : Arrow::Right,
                           pal.glyph);
                p.end();
                return flattenOnKey(art, pal.backdrop);
            });
        }();
    { // Tab: left edge, middle and right edge of a tab, rounded on top.
        const QSize s = sz("TAB");
        const int fw = s.width() / 3;
        QImage art = blank(fw * 3, s.height());
        QPainter p;
        beginPaint(p, art);
        const QRectF r(0.5, 0.5, fw * 3 - 1, s.height() + 4);
        const qreal radius = qMin<qreal>(fw - 1, 4.5);
        const QPainterPath shape = roundRect(r, radius);
        if (pal.flat)
            paintFlat(p, shape, pal.boxTop, pal.boxBorder);
        else
            paintGel(p, shape,
                     {lighter(pal.face.top, 0.3), pal.backdrop, pal.face.border, 0.5, 0.0, 1.0});
        p.end();
        QImage tab = flattenOnKey(art, pal.backdrop);
        // Only the top corners are keyed: the bottom joins the tab line.
        QPainter fill(&tab);
        for (int y = s.height() / 2; y < s.height(); ++y)
            for (int x = 0; x < tab.width(); ++x)
                if ((tab.pixel(x, y) & 0xFFFFFF) == (Key & 0xFFFFFF))
                    tab.setPixel(x, y, pal.backdrop.rgb());
        out[pre + "TAB"] = tab;
    }
    { // Tab line: the rule under the tabs.
        const QSize s = sz("TAB_LINE");
        QImage line(s, QImage::Format_RGB32);
        line.fill(pal.backdrop);
        QPainter p(&line);
        p.fillRect(0, 0, s.width(), 1, pal.boxBorder);
        if (s.height() > 2)
            p.fillRect(0, 1, s.width(), s.height() - 1,
                       vertical(QRectF(0, 1, s.width(), s.height() - 1),
                                {{0, lighter(pal.face.top, 0.4)}, {1, pal.backdrop}}));
        out[pre + "TAB_LINE"] = line;
    }
    { // Side channel: a tall grip handle and the channel bar.
        const QSize s = sz("SIDECHENNEL_HANDLE");
        out[pre + "SIDECHENNEL_HANDLE"] =
            faceImage(pal, s, State::Normal, 2.5, false, [&](QPainter& p, const QRectF& r) {
                p.setPen(QPen(darker(pal.face.bottom, 0.35), 1));
                for (int k = -3; k <= 3; ++k)
                    p.drawLine(QPointF(r.left() + 2, r.center().y() + 3 * k + 0.5),
                               QPointF(r.right() - 2, r.center().y() + 3 * k + 0.5));
            });
        const QSize b = sz("SIDECHENNEL_BAR");
        QImage bar(b, QImage::Format_RGB32);
        QPainter p(&bar);
        fillVertical(p, QRectF(0, 0, b.width(), b.height()),
                     {{0, lighter(pal.face.top, 0.2)}, {1, pal.face.bottom}});
        p.fillRect(0, b.height() - 1, b.width(), 1, pal.face.border);
        out[pre + "SIDECHENNEL_BAR"] = bar;
    }
    if (FindBuiltinImage(pre + "COMBOBOX_BUTTON")) {
        const QSize s = sz("COMBOBOX_BUTTON");
        out[pre + "COMBOBOX_BUTTON"] = faceImage(
            pal, s, State::Normal, qMin(3.0, pal.radius), false,
            [&](QPainter& p, const QRectF& r) { paintArrow(p, r, Arrow::Down, pal.glyph); });
    }
}

void shared(Images& out) {
    { // Round scroll buttons shared by DeepBlue, Protein and BlueGlass.
        const Palette pal = deepBluePalette();
        const int fw = 18, h = 17;
        out["MORE_SCROLLBUTTON"] = strip(4, fw, h, [&](int i) {
            QImage art = blank(fw, h);
            QPainter p;
            beginPaint(p, art);
            QPainterPath shape;
            shape.addEllipse(QRectF(1.5, 0.5, fw - 3, h - 1.5));
            paintGel(p, shape, i % 2 ? pal.hover : pal.face);
            paintArrow(p, QRectF(0, 0, fw, h), i < 2 ? Arrow::Left : Arrow::Right, pal.glyph);
            p.end();
            return flattenOnKey(art, QColor(0xEC, 0xEC, 0xEC));
        });
    }
    { // The menu check mark: black on white (white is its transparent colour).
        QImage art = blank(16, 16);
        QPainter p;
        beginPaint(p, art);
        paintCheck(p, QRectF(2, 2, 12, 12), QColor(0, 0, 0), 2.0);
        p.end();
        QImage mark = flattenOnColor(art, QColor(255, 255, 255));
        // Pale fringe pixels would show as a halo once white is cut out.
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                if (qGray(mark.pixel(x, y)) > 200)
                    mark.setPixel(x, y, qRgb(255, 255, 255));
        out["MENU_CHECKED"] = mark;
    }
}

// ------------------------------------------------------- sample themes

struct ThemeArt {
    QString folder;
    QString text;  // theme.txt
    Images images; // by key name
};

// A title strip: vertical stops, a top highlight line, a dark bottom rule,
// and optionally a rounded upper corner on one side (outside it: Frame).
QImage titleStrip(int w, int h, const std::vector<Stop>& stops, int roundSide, qreal radius,
                  const QColor& frame) {
    QImage art = blank(w, h);
    QPainter p;
    beginPaint(p, art);
    const QPainterPath shape = titleShape(w, h, roundSide, radius);
    p.fillPath(shape, vertical(QRectF(0, 0, w, h), stops));
    p.setClipPath(shape);
    p.fillRect(QRectF(0, 0.5, w, h * 0.45),
               vertical(QRectF(0, 0, w, h * 0.45),
                        {{0, QColor(255, 255, 255, 70)}, {1, QColor(255, 255, 255, 10)}}));
    p.fillRect(QRectF(0, h - 1, w, 1), darker(frame, 0.2));
    p.end();
    return flattenOnColor(art, frame);
}

// The side border: a vertical bevel, light inside, dark outside.
QImage sideBorder(int w, int h, const QColor& base) {
    QImage img(w, h, QImage::Format_RGB32);
    QPainter p(&img);
    p.fillRect(QRectF(0, 0, w, h),
               horizontal(QRectF(0, 0, w, h),
                          {{0, darker(base, 0.35)}, {0.4, base}, {1, lighter(base, 0.35)}}));
    return img;
}

// The bottom border in three parts; the outer parts round the lower corners
// with the fuchsia key outside.
QImage bottomBorder(int partWidth, int h, const QColor& base) {
    QImage art = blank(partWidth * 3, h);
    QPainter p;
    beginPaint(p, art);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(0, -h, partWidth * 3, 2 * h), h, h);
    p.fillPath(shape, vertical(QRectF(0, 0, partWidth * 3, h),
                               {{0, lighter(base, 0.3)}, {1, darker(base, 0.35)}}));
    p.end();
    QImage out = flattenOnKey(art, base);
    // The middle part is stretched: it must be one solid column pattern.
    for (int x = partWidth; x < 2 * partWidth; ++x)
        for (int y = 0; y < h; ++y)
            out.setPixel(x, y, out.pixel(partWidth + partWidth / 2, y));
    return out;
}

QString themeText(const QString& name, const QStringList& lines) {
    return QStringLiteral("# %1: a sample Deckvane skin theme. Pack it with\n"
                          "#   skin-theme pack <this folder> <theme file>\n"
                          "Name=%1\nAuthor=Deckvane\n")
               .arg(name) +
           lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

// What tells one sample theme from another; buildTheme draws the rest.
struct ThemeRecipe {
    QString folder;
    QString name;
    Palette palette;
    int titleHeight;
    int leftWidth, clientWidth, rightWidth;
    qreal corner; // radius of the title bar's upper corners
    std::vector<Stop> titleStops;
    QColor frame; // outside the rounded corners
    int buttonTop;
    bool transparentButtons;
    TitleButtonArt buttonArt;
    int sideWidth;
    int bottomPart, bottomHeight;
    QColor borderBase;    // side and bottom border colour
    QStringList settings; // theme.txt lines for the non-image keys
};

ThemeArt buildTheme(const ThemeRecipe& r) {
    ThemeArt t;
    t.folder = r.folder;
    auto bar = [&](int w, int side) {
        return titleStrip(w, r.titleHeight, r.titleStops, side, r.corner, r.frame);
    };
    const QImage client = bar(r.clientWidth, 0);
    t.images["TitleBarLeftImage"] = bar(r.leftWidth, -1);
    t.images["TitleBarClientImage"] = client;
    t.images["TitleBarRightImage"] = bar(r.rightWidth, 1);
    t.images["TitleBarButtonImage"] = titleButtonStrip(QSize(18 * 19, 19), client, r.buttonTop,
                                                       r.transparentButtons, r.buttonArt);
    t.images["ButtonImage"] = pushButtonStrip(r.palette, QSize(3 * 80, 25));
    t.images["CheckBoxImage"] = checkBoxStrip(r.palette, QSize(4 * 15, 15));
    t.images["RadioButtonImage"] = radioStrip(r.palette, QSize(4 * 15, 15));
    t.images["FormLeftBorderImage"] = sideBorder(r.sideWidth, 40, r.borderBase);
    t.images["FormBottomBorderImage"] = bottomBorder(r.bottomPart, r.bottomHeight, r.borderBase);
    t.text = themeText(r.name, r.settings);
    return t;
}

ThemeArt graphiteTheme() {
    Palette pal = macPalette();
    pal.prefix = "GRAPHITE";
    pal.backdrop = QColor(0xEC, 0xEC, 0xEC);
    pal.face = gelOf(0xFAFAFA, 0xD4D5D8, 0x4A4C52, 0.6, 0.2);
    pal.hover = gelOf(0xFFF6E6, 0xF2C97E, 0xB86E10, 0.6, 0.3);
    pal.pressed = gelOf(0xE8B058, 0xF6D9A6, 0x8E5208, 0.2, 0.1);
    pal.accent = gelOf(0xF7B94A, 0xD97C0C, 0x8E5208, 0.6, 0.3);
    pal.mark = QColor(0xD0, 0x72, 0x08);
    pal.boxBorder = QColor(0x4A, 0x4C, 0x52);
    pal.radius = 4;
    pal.keyCorners = false;
    auto buttons = [](QPainter& p, int s, Glyph g, State st) {
        if (st != State::Normal) {
            // Flat charcoal at rest; amber (red for close) under the mouse.
            QColor fill = g == Glyph::Close ? QColor(0xD9, 0x4A, 0x38) : QColor(0xE8, 0x93, 0x1A);
            if (st == State::Pressed)
                fill = darker(fill, 0.25);
            paintGel(p, roundRect(QRectF(1.5, 1.5, s - 3, s - 3), 3),
                     {lighter(fill, 0.25), fill, darker(fill, 0.4), 0.45, 0.1, 1.0});
        }
        paintGlyph(p, glyphBox(s, s * 0.3), g,
                   st == State::Normal ? QColor(0xE6, 0xE6, 0xE6) : QColor(255, 255, 255), 1.7);
    };
    return buildTheme({"graphite",
                       "Graphite",
                       pal,
                       28,
                       60,
                       40,
                       60,
                       7,
                       {{0, QColor(0x55, 0x59, 0x60)},
                        {0.5, QColor(0x3A, 0x3D, 0x42)},
                        {0.52, QColor(0x2E, 0x30, 0x35)},
                        {1, QColor(0x22, 0x24, 0x28)}},
                       QColor(0x1E, 0x1F, 0x22),
                       4,
                       false,
                       buttons,
                       4,
                       8,
                       5,
                       QColor(0x3A, 0x3D, 0x42),
                       {"ButtonTransparentBool=false",
                        "TitleBarButtonTransparentBool=false",
                        "TitleBarButtonLeftOffsetInt=4",
                        "TitleBarButtonRightOffsetInt=-4",
                        "TitleBarButtonTopInt=4",
                        "FormMinWidthInt=160",
                        "FormRoundCornerInt=7",
                        "FormBottomRoundCornerInt=5",
                        "FormBackgroundColor=#ECECEC",
                        "FormBorderColor=#1E1F22",
                        "FormBorderWidthInt=1",
                        "MenuSelectedBorderColor=#B86E10",
                        "MenuSelectedBackgroundColor=#F2C97E",
                        "MenuSelectedFontColor=#000000",
                        "MenuBackgroundColor=#F7F7F7",
                        "MenuFontColor=#202124",
                        "MenuBarColor=#3A3D42",
                        "MenuMenuBarColor=#E2E2E2",
                        "ControlBorderColor=#4A4C52",
                        "ControlBackgroundColor=#ECECEC",
                        "ControlFontColor=#000000",
                        "ScrollBarBackgroundColor=#E4E4E4",
                        "ToolBarButtonBorderColor=#B86E10",
                        "ToolBarButtonBackgroundColor=#FFF6E6",
                        "ToolBarButtonDownBackgroundColor=#F2C97E",
                        "TitleBarFontColor=#F2F2F2"}});
}

ThemeArt meadowTheme() {
    Palette pal = blueGlassPalette();
    pal.prefix = "MEADOW";
    pal.backdrop = QColor(0xF1, 0xF6, 0xEE);
    pal.face = gelOf(0xF4FBEE, 0xB6DD9C, 0x3C7D2E, 0.8, 0.5);
    pal.hover = gelOf(0xFAFFEC, 0x9ADC6A, 0x2E741E, 0.85, 0.7);
    pal.pressed = gelOf(0x8CC46A, 0xC8E8B0, 0x255E1A, 0.4, 0.3);
    pal.accent = gelOf(0x9CD86E, 0x3E9A2C, 0x255E1A, 0.7, 0.4);
    pal.mark = QColor(0x2E, 0x74, 0x1E);
    pal.boxBorder = QColor(0x3C, 0x7D, 0x2E);
    pal.boxTop = QColor(0xFB, 0xFF, 0xF7);
    pal.boxBottom = QColor(0xD4, 0xEC, 0xC4);
    pal.radius = 12;
    pal.keyCorners = true;
    auto buttons = [](QPainter& p, int s, Glyph g, State st) {
        // Round glass drops: green, the close one red.
        QPainterPath ball;
        ball.addEllipse(QRectF(1, 1, s - 2.5, s - 2.5));
        const Gel base = g == Glyph::Close ? gelOf(0xFFC4B4, 0xD84C30, 0x8A2614, 0.8, 0.5)
                                           : gelOf(0xE8FAD8, 0x6CB04A, 0x2A621E, 0.8, 0.5);
        paintGel(p, ball, glassLook(base, st));
        paintGlyphShadowed(p, glyphBox(s, s * 0.32), g, QColor(255, 255, 255), QColor(0, 0, 0, 90),
                           1.6);
    };
    return buildTheme({"meadow",
                       "Meadow",
                       pal,
                       30,
                       70,
                       40,
                       70,
                       9,
                       {{0, QColor(0x9E, 0xD8, 0x84)},
                        {0.48, QColor(0x6C, 0xB8, 0x52)},
                        {0.5, QColor(0x4E, 0x9C, 0x3C)},
                        {1, QColor(0x3A, 0x86, 0x30)}},
                       QColor(0x2F, 0x6B, 0x2C),
                       5,
                       true,
                       buttons,
                       3,
                       9,
                       4,
                       QColor(0x4E, 0x9C, 0x3C),
                       {"ButtonTransparentBool=true",
                        "TitleBarButtonTransparentBool=true",
                        "TitleBarButtonLeftOffsetInt=4",
                        "TitleBarButtonRightOffsetInt=-4",
                        "TitleBarButtonTopInt=5",
                        "FormMinWidthInt=180",
                        "FormRoundCornerInt=9",
                        "FormBottomRoundCornerInt=4",
                        "FormBackgroundColor=#F1F6EE",
                        "FormBorderColor=#2F6B2C",
                        "FormBorderWidthInt=1",
                        "MenuSelectedBorderColor=#2E741E",
                        "MenuSelectedBackgroundColor=#6CB852",
                        "MenuSelectedFontColor=#FFFFFF",
                        "MenuBackgroundColor=#FBFEF8",
                        "MenuFontColor=#1C2A18",
                        "MenuBarColor=#D4ECC4",
                        "MenuMenuBarColor=#E4F2DA",
                        "ControlBorderColor=#3C7D2E",
                        "ControlBackgroundColor=#F1F6EE",
                        "ControlFontColor=#000000",
                        "ScrollBarBackgroundColor=#EAF3E4",
                        "ToolBarButtonBorderColor=#2E741E",
                        "ToolBarButtonBackgroundColor=#E8F6DC",
                        "ToolBarButtonDownBackgroundColor=#B6DD9C",
                        "TitleBarFontColor=#FFFFFF"}});
}

int writeThemes(const QString& dir) {
    int failures = 0;
    for (const ThemeArt& t : {graphiteTheme(), meadowTheme()}) {
        const QString folder = dir + QLatin1Char('/') + t.folder;
        QDir().mkpath(folder);
        for (auto it = t.images.cbegin(); it != t.images.cend(); ++it) {
            const QString path = folder + QLatin1Char('/') + it.key() + QStringLiteral(".bmp");
            if (!it.value().convertToFormat(QImage::Format_RGB888).save(path, "BMP")) {
                std::fprintf(stderr, "skin-image-gen: cannot write %s\n", qPrintable(path));
                ++failures;
            }
        }
        QFile text(folder + QStringLiteral("/theme.txt"));
        if (!text.open(QIODevice::WriteOnly | QIODevice::Text) || text.write(t.text.toUtf8()) < 0) {
            std::fprintf(stderr, "skin-image-gen: cannot write %s\n", qPrintable(text.fileName()));
            ++failures;
        }
    }
    std::printf("sample theme folders written to %s\n", qPrintable(dir));
    return failures ? 1 : 0;
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc == 3 && QByteArray(argv[1]) == "--themes")
        return writeThemes(QString::fromLocal8Bit(argv[2]));
    if (argc != 2) {
        std::fprintf(stderr, "usage: skin-image-gen OUTDIR\n       skin-image-gen --themes DIR\n");
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(dir)) {
        std::fprintf(stderr, "skin-image-gen: cannot create %s\n", argv[1]);
        return 1;
    }
    Images images;
    macOS(images);
    winXP(images);
    deepBlue(images);
    protein(images);
    blueGlass(images);
    for (const Palette& pal :
         {macPalette(), xpPalette(), deepBluePalette(), proteinPalette(), blueGlassPalette()})
        controls(pal, images);
    shared(images);

    int failures = 0;
    for (const TskBuiltinImageInfo& info : BuiltinImageCatalog()) {
        const auto it = images.constFind(info.name);
        if (it == images.constEnd()) {
            std::fprintf(stderr, "skin-image-gen: %s was not drawn\n", qPrintable(info.name));
            ++failures;
            continue;
        }
        const QImage image = it->convertToFormat(QImage::Format_RGB32);
        if (image.size() != QSize(info.width, info.height)) {
            std::fprintf(stderr, "skin-image-gen: %s is %dx%d, not %dx%d\n", qPrintable(info.name),
                         image.width(), image.height(), info.width, info.height);
            ++failures;
            continue;
        }
        const QString path = dir + QLatin1Char('/') + info.name + QStringLiteral(".png");
        if (!image.save(path, "PNG")) {
            std::fprintf(stderr, "skin-image-gen: cannot write %s\n", qPrintable(path));
            ++failures;
        }
    }
    std::printf("%d images written to %s\n", int(BuiltinImageCatalog().size()) - failures, argv[1]);
    return failures ? 1 : 0;
}
