#pragma once

// The frame of a skinned form's window: the 3-pixel ring that stands for the
// native frame (border lines in BorderColor, the rest in the form's Color,
// the title images continued up into it, the glass arcs), or, with a theme
// that has side and bottom border images, those images. All drawing is in
// window coordinates; the form calls Paint from its window's paint event and
// the panel covers everything inside the ring.

#include <QImage>
#include <QMargins>
#include <QRect>

class QPainter;

class SkinFormBorder {
public:
    // The thickness of the native frame the ring stands for.
    static constexpr int kFrame = 3;

    struct Input {
        int width = 0;  // the window's W
        int height = 0; // the window's H
        qint32 borderColor = 0;
        int borderWidth = 1;
        qint32 color = 0;
        // Title bar
        bool titleBarVisible = true;
        int titleBarHeight = 0;
        bool standardSections = false;
        QImage leftImage, rightImage, clientImage;
        int roundCorner = 0;
        // The owner form's own colour, under the panel.
        qint32 formColor = 0;
        // Menu bar (panel coordinates start below the title bar)
        bool menuBarExists = false;
        bool menuBarVisible = false;
        qint32 menuBarColor = 0;
        int menuBarHeight = 0;
        // Theme images: FormLeftBorderImage as the theme gives it, the same
        // turned by 180 degrees for the right side, FormBottomBorderImage.
        QImage sideImage, sideImageTurned, bottomImage;
        bool designMode = false;
    };

    static void Paint(QPainter& canvas, const Input& input);

    // Where the panel goes inside the window: the 3-pixel ring, or the side
    // and bottom border images of a theme.
    static QMargins ClientMargins(int sideBorderWidth, int bottomBorderHeight);

private:
    static void PaintRing(QPainter& canvas, const Input& in);
    static void PaintThemeBorder(QPainter& canvas, const Input& in);
    static void PaintGlassArcs(QPainter& canvas, const Input& in);
};
