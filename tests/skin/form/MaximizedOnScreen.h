#pragma once

// What a screen shows of a maximized skinned window: the window laid over
// the work area widened by 4 pixels left, top and right and narrowed by 1 at
// the bottom, so its frame is out of sight on three sides, the title bar
// starts at the area's top edge, and the area's last row shows what lies
// behind the window. Read from the screen's own pixels, within the rounding
// a compositor's blending adds.

#include "tests/skin/DrawnPixels.h"

#include "skin/form/TskForm.h"
#include "skin/form/TskTitleBar.h"

#include <QImage>
#include <QRect>
#include <QStringList>

namespace maximizedtest {

// The frame colour the window is given, so that any of it on the screen shows.
constexpr qint32 kBorder = 0x000000FF; // red

// Everything found wrong, empty when the screen shows the maximized bounds.
// Behind is what the screen showed along the area's last row before the
// window covered it.
inline QStringList Check(const QImage& screen, const QRect& area, TskForm* form,
                         const QImage& behind) {
    QStringList wrong;
    const QRgb border = qRgb(255, 0, 0);
    const auto shows = [&](int x, int y, QRgb colour) {
        return sameWithinRounding(screen.pixel(x, y) | 0xFF000000, colour | 0xFF000000);
    };
    for (int y = area.top() + 30; y < area.bottom() - 10; y += 7) {
        if (shows(area.left(), y, border))
            wrong << QStringLiteral("the left frame shows at y %1").arg(y);
        if (shows(area.right(), y, border))
            wrong << QStringLiteral("the right frame shows at y %1").arg(y);
    }
    for (int x = area.left() + 20; x < area.right() - 20; x += 13) {
        if (!shows(x, area.bottom() - 1, border))
            wrong << QStringLiteral("no frame line 1 pixel above the bottom at x %1").arg(x);
        if (!shows(x, area.bottom(), behind.pixel(x, 0)))
            wrong << QStringLiteral("the bottom row is not what lies behind at x %1").arg(x);
    }
    // The panel starts 1 pixel left of and above the area (4 less the 3 of
    // the ring): the area's top row is the title bar's second row.
    const QImage bar = form->TitleBar()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    for (int x = 0; x < 60 && x + 1 < bar.width(); ++x)
        if (!shows(area.left() + x, area.top(), bar.pixel(x + 1, 1))) {
            wrong << QStringLiteral("the top row is not the title bar's second at x %1").arg(x);
            break;
        }
    return wrong;
}

} // namespace maximizedtest
