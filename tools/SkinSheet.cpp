// skin-sheet OUT.png SCALE --theme FILE: a mock window in a theme file's skin.
// skin-sheet OUT.png [SCALE [STYLE]]: the review sheet of every compiled-in skin
// image, enlarged, frame by frame with a border round each frame, grouped by
// style, with the key-colour pixels checkered so transparency is visible.

#include "skin/draw/SkinPainting.h"
#include "skin/draw/TskColor.h"
#include "skin/menus/SkinMenuDrawing.h"
#include "skin/theme/SkinImageCatalog.h"
#include "skin/theme/SkinStyleList.h"
#include "skin/theme/SkinThemes.h"
#include "skin/theme/TskFileTheme.h"
#include "skin/theme/TskSkinError.h"

#include <QFileInfo>

#include <QApplication>
#include <QFont>
#include <QPainter>
#include <cstdio>

namespace {

// Key-colour pixels shown as a checkerboard; the rest as they are.
QImage revealKeys(const QImage& image) {
    QImage out = image.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x) {
            const QRgb c = out.pixel(x, y) & 0xFFFFFF;
            if (c == 0xFF00FF || c == 0xF504FA)
                out.setPixel(x, y, ((x + y) % 2) ? qRgb(0xC8, 0xC8, 0xC8) : qRgb(0xF4, 0xF4, 0xF4));
        }
    return out;
}

// The skin a preview draws from: a built-in style, or a theme file.
struct Skin {
    const TskFileTheme* theme;
    TskUIStyle style;
    QColor color(TskThemeKey key) const {
        return TskColor::toQColor(SkinGetColor(theme, style, key));
    }
    qint32 value(TskThemeKey key) const { return SkinGetColor(theme, style, key); }
    int integer(TskThemeKey key) const { return SkinGetInt(theme, style, key); }
    bool flag(TskThemeKey key) const { return SkinGetBool(theme, style, key); }
    QImage image(TskThemeKey key, int frames = 0, int index = 1) const {
        QImage img;
        SkinGetBitmap(theme, style, key, &img, frames, index);
        return img;
    }
};

// A mock window in the style, put together from the images the way the
// skinned form, title bar, buttons and check boxes put them together.
QImage previewWindow(const Skin& skin, const QString& title) {
    const TskUIStyle style = skin.style;
    const int W = 460, H = 150;
    QImage win(W, H, QImage::Format_RGB32);
    QPainter p(&win);
    const QImage left = skin.image(ThemeKey::TitleBarLeftImage);
    const QImage client = skin.image(ThemeKey::TitleBarClientImage);
    const QImage right = skin.image(ThemeKey::TitleBarRightImage);
    const QImage strip = skin.image(ThemeKey::TitleBarButtonImage);
    const int th = left.height();
    // Themes may carry side and bottom borders.
    const QImage side = skin.image(ThemeKey::FormLeftBorderImage);
    const QImage bottom = skin.image(ThemeKey::FormBottomBorderImage);
    // Body: the form's pattern or colour, then its border.
    const SkinStyle* record = SkinStyleList::Find(style);
    const QString pattern =
        record && record->patternBackground ? record->imageName("FORM_BACKGROUND") : QString();
    p.fillRect(win.rect(), skin.color(ThemeKey::FormBackgroundColor));
    if (!pattern.isEmpty())
        p.fillRect(win.rect(), QBrush(LoadBuiltinImage(pattern)));
    // Title sections: left, right, stretched client between them.
    p.drawImage(0, 0, left);
    p.drawImage(W - right.width(), 0, right);
    p.drawImage(QRect(left.width(), 0, W - right.width() - left.width(), th), client);
    const int border = skin.integer(ThemeKey::FormBorderWidthInt);
    p.setPen(QPen(skin.color(ThemeKey::FormBorderColor), 1));
    for (int i = 0; i < border; ++i)
        p.drawRect(i, th + i - 1, W - 1 - 2 * i, H - th - 2 * i);
    if (!side.isNull()) {
        const int bh = bottom.height();
        QImage mirrored = side;
        RotateBitmap180(mirrored);
        p.drawImage(QRect(0, th, side.width(), H - th - bh), side);
        p.drawImage(QRect(W - side.width(), th, side.width(), H - th - bh), mirrored);
        if (!bottom.isNull())
            DrawThreePartHorizontal(bottom, p, QRect(0, H - bh, W, bh), false, false);
    }
    // Title buttons, right to left: close, maximize, minimize; control box left.
    const int top = skin.integer(ThemeKey::TitleBarButtonTopInt) + 3;
    const bool keyed = skin.flag(ThemeKey::TitleBarButtonTransparentBool);
    auto frame = [&](int index) {
        QImage f;
        ExtractFrame(strip, f, 18, index);
        return f;
    };
    auto drawButton = [&](int x, int y, const QImage& f) {
        if (keyed)
            DrawMasked(p, QPoint(x, y), f, f.pixel(0, f.height() - 1));
        else
            p.drawImage(x, y, f);
    };
    const int fw = strip.width() / 18;
    int x = W + skin.integer(ThemeKey::TitleBarButtonRightOffsetInt);
    const int shown[3] = {17, 7, 13}; // close hovered, maximize, minimize
    for (int k : shown) {
        x -= fw + 1;
        drawButton(x, top, frame(k));
    }
    const int leftX = 3 + qMax(0, skin.integer(ThemeKey::TitleBarButtonLeftOffsetInt));
    drawButton(leftX, top - 1, frame(1));
    QFont font(QStringLiteral("DejaVu Sans"), 9, QFont::Bold);
    p.setFont(font);
    p.setPen(skin.color(ThemeKey::TitleBarFontColor));
    const int tx = leftX + fw + 5;
    p.drawText(QRect(tx, top, 300, fw), Qt::AlignVCenter | Qt::AlignLeft,
               QStringLiteral("Deckvane - %1").arg(title));
    // Push buttons in their three looks.
    QFont body(QStringLiteral("DejaVu Sans"), 9);
    p.setFont(body);
    const bool faceKeyed = skin.flag(ThemeKey::ButtonTransparentBool);
    for (int i = 1; i <= 3; ++i) {
        const QImage face = skin.image(ThemeKey::ButtonImage, 3, i);
        const QRect r(12 + (i - 1) * 100, th + 14, 90, face.height() + 4);
        QImage buffer(r.size(), QImage::Format_RGB32);
        buffer.fill(skin.color(ThemeKey::FormBackgroundColor));
        QPainter bp(&buffer);
        DrawStretchedKeepCorners(face, bp, QRect(QPoint(0, 0), r.size()), faceKeyed);
        bp.setFont(body);
        bp.setPen(Qt::black);
        bp.drawText(QRect(QPoint(i == 3 ? 1 : 0, i == 3 ? 1 : 0), r.size()), Qt::AlignCenter,
                    i == 1   ? QStringLiteral("Start")
                    : i == 2 ? QStringLiteral("Hover")
                             : QStringLiteral("Pressed"));
        bp.end();
        p.drawImage(r.topLeft(), buffer);
    }
    // Check boxes and radio buttons: checked, unchecked, disabled.
    const int rowY = th + 60;
    for (int i = 1; i <= 4; ++i) {
        const QImage box = skin.image(ThemeKey::CheckBoxImage, 4, i);
        const QImage radio = skin.image(ThemeKey::RadioButtonImage, 4, i);
        const int cx = 12 + (i - 1) * 105;
        p.drawImage(cx, rowY, box);
        DrawMasked(p, QPoint(cx, rowY + 26), radio);
        p.setPen(i <= 2 ? QColor(Qt::black) : QColor(0x80, 0x80, 0x80));
        p.drawText(cx + box.width() + 4, rowY + box.height() - 3,
                   i % 2 ? QStringLiteral("Checked") : QStringLiteral("Clear"));
        p.drawText(cx + radio.width() + 4, rowY + 26 + radio.height() - 3, QStringLiteral("HTML"));
    }
    // A menu item, selected and not, in the menu colours.
    const QRect menu(330, th + 14, 118, 66);
    if (record && record->menusFromImages) {
        DrawMenuBarImageTall(p, menu, style);
        DrawMenuSelectImage(p, QRect(menu.x(), menu.y() + 22, menu.width(), 20), style);
    } else {
        FillRectColor(p, menu, skin.value(ThemeKey::MenuBackgroundColor));
        const QRect sel(menu.x(), menu.y() + 22, menu.width(), 20);
        FillRectColor(p, sel, skin.value(ThemeKey::MenuSelectedBackgroundColor));
        FrameRectColor(p, sel, skin.value(ThemeKey::MenuSelectedBorderColor));
    }
    DrawMenuWindowBorder(p, menu, 0, skin.value(ThemeKey::FormBackgroundColor));
    p.setPen(skin.color(ThemeKey::MenuFontColor));
    p.drawText(menu.x() + 8, menu.y() + 16, QStringLiteral("Open..."));
    p.setPen(skin.color(ThemeKey::MenuSelectedFontColor));
    p.drawText(menu.x() + 8, menu.y() + 37, QStringLiteral("Convert"));
    p.setPen(skin.color(ThemeKey::MenuFontColor));
    p.drawText(menu.x() + 8, menu.y() + 58, QStringLiteral("Exit"));
    p.end();
    return win;
}

} // namespace

namespace {

constexpr const char* kUsage = "usage: skin-sheet OUT.png [SCALE [STYLE]]\n"
                               "       skin-sheet OUT.png SCALE --theme FILE\n"
                               "The review sheet of every compiled-in skin image (STYLE: one\n"
                               "style's images only), or a mock window in a theme file's skin.\n";

} // namespace

int main(int argc, char** argv) {
    // Asking for help, or naming an option where the output file goes,
    // writes nothing.
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
    }
    if (argc < 2 || argv[1][0] == '-') {
        std::fputs(kUsage, stderr);
        return 2;
    }
    // Pictures only: no window is ever shown, so no display is needed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int scale = argc > 2 ? qMax(1, atoi(argv[2])) : 3;
    if (argc > 4 && QByteArray(argv[3]) == "--theme") {
        // A preview of a theme file instead of the built-in images.
        TskFileTheme theme;
        try {
            theme.SetThemeFile(QString::fromLocal8Bit(argv[4]));
        } catch (const TskSkinError& e) {
            std::fprintf(stderr, "skin-sheet: %s\n", qPrintable(e.message()));
            return 1;
        }
        if (!theme.IsThemeLoaded()) {
            std::fprintf(stderr, "skin-sheet: %s not found\n", argv[4]);
            return 1;
        }
        const QImage win = previewWindow({&theme, TskUIStyle::FromThemeFile},
                                         QFileInfo(theme.ThemeFile()).baseName());
        const QImage big =
            win.scaled(win.size() * scale, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        return big.save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
    }
    const QString only = argc > 3 ? QString::fromLocal8Bit(argv[3]).toUpper() : QString();
    std::vector<TskBuiltinImageInfo> catalog;
    for (const TskBuiltinImageInfo& info : BuiltinImageCatalog()) {
        const QString style = info.style.isEmpty() ? QStringLiteral("SHARED") : info.style;
        if (only.isEmpty() || style == only)
            catalog.push_back(info);
    }

    // Lay out: one section per style, images flowing left to right.
    const int pageWidth = 1950, gap = 14, labelHeight = 16;
    struct Placed {
        const TskBuiltinImageInfo* info;
        QPoint at;
    };
    std::vector<Placed> placed;
    std::vector<std::pair<QString, int>> headings;
    int x = gap, y = gap, rowHeight = 0;
    QString section = QStringLiteral("#");
    for (const TskBuiltinImageInfo& info : catalog) {
        const QString style = info.style.isEmpty() ? QStringLiteral("SHARED") : info.style;
        if (style != section) {
            y += rowHeight + (placed.empty() ? 0 : gap * 2);
            headings.emplace_back(style, y);
            y += 24;
            x = gap;
            rowHeight = 0;
            section = style;
        }
        const int w = info.width * scale + (info.frames + 1);
        const int h = info.height * scale + 2 + labelHeight;
        if (x + w > pageWidth - gap && x > gap) {
            x = gap;
            y += rowHeight + gap;
            rowHeight = 0;
        }
        placed.push_back({&info, QPoint(x, y)});
        x += qMax(w, int(info.name.size()) * 7 + 60) + gap;
        rowHeight = qMax(rowHeight, h);
    }
    // Mock windows of the styles on the sheet, in a row below the images.
    std::vector<QImage> previews;
    for (const SkinStyle& style : SkinStyleList::All()) {
        if (only.isEmpty() || QLatin1String(style.prefix) == only)
            previews.push_back(previewWindow({nullptr, style.style}, QLatin1String(style.name)));
    }
    const int previewTop = y + rowHeight + gap * 2;
    int previewRows = 0;
    if (!previews.empty())
        previewRows = int((previews.size() + 2) / 3);
    const int pageHeight =
        previewTop + previewRows * (previews.empty() ? 0 : previews[0].height() * 2 + gap) + gap;

    QImage sheet(pageWidth, pageHeight, QImage::Format_RGB32);
    sheet.fill(QColor(0xFF, 0xFF, 0xFF));
    QPainter p(&sheet);
    QFont heading(QStringLiteral("DejaVu Sans"), 13, QFont::Bold);
    QFont label(QStringLiteral("DejaVu Sans"), 8);
    for (const auto& [name, top] : headings) {
        p.setFont(heading);
        p.setPen(Qt::black);
        p.drawText(gap, top + 18, name);
    }
    int missing = 0;
    for (const Placed& pl : placed) {
        const TskBuiltinImageInfo& info = *pl.info;
        const QImage image = LoadBuiltinImage(info.name);
        p.setFont(label);
        p.setPen(QColor(0x30, 0x30, 0x30));
        p.drawText(pl.at.x(), pl.at.y() + 11,
                   QStringLiteral("%1 %2x%3/%4")
                       .arg(info.name)
                       .arg(info.width)
                       .arg(info.height)
                       .arg(info.frames));
        const int top = pl.at.y() + labelHeight;
        if (image.isNull()) {
            p.setPen(Qt::red);
            p.drawText(pl.at.x(), top + 12, QStringLiteral("MISSING"));
            ++missing;
            continue;
        }
        const QImage shown = revealKeys(image);
        const int fw = image.width() / info.frames;
        for (int f = 0; f < info.frames; ++f) {
            const QImage frame = shown.copy(f * fw, 0, fw, image.height())
                                     .scaled(fw * scale, image.height() * scale,
                                             Qt::IgnoreAspectRatio, Qt::FastTransformation);
            const int fx = pl.at.x() + 1 + f * (fw * scale + 1);
            p.drawImage(fx, top + 1, frame);
            p.setPen(QColor(0xE0, 0x30, 0x30));
            p.drawRect(fx - 1, top, fw * scale + 1, image.height() * scale + 1);
        }
    }
    for (size_t i = 0; i < previews.size(); ++i) {
        const QImage big = previews[i].scaled(previews[i].size() * 2, Qt::IgnoreAspectRatio,
                                              Qt::FastTransformation);
        p.drawImage(gap + int(i % 3) * (big.width() + gap),
                    previewTop + int(i / 3) * (big.height() + gap), big);
    }
    p.end();
    if (!sheet.save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "skin-sheet: cannot write %s\n", argv[1]);
        return 1;
    }
    std::printf("%zu images on the sheet, %d missing\n", catalog.size(), missing);
    return missing ? 1 : 0;
}
