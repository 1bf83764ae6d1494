// Title bars and skinned menus in every style: DIR/<Style>/titlebar.png,
// titlebar-inactive.png, titlebar-long-caption.png, menu.png (the system
// menu open) and menu-items.png (a popup menu showing each kind of item).
#include "GalleryPage.h"

#include "skin/draw/TskColor.h"
#include "skin/form/TskTitleBar.h"
#include "skin/form/TskTitleBarPopupMenu.h"
#include "skin/menus/TskPopupMenu.h"
#include "skin/theme/SkinStyleList.h"
#include "skin/theme/SkinThemes.h"

#include <QApplication>
#include <QDir>
#include <QMetaEnum>
#include <QPainter>
#include <QWidget>
#include <cstdio>

namespace {

constexpr int kWindowWidth = 320;
constexpr int kBodyHeight = 36;

// An ordinary window of the gallery's width with a title bar on top and a
// strip of the style's form colour below it.
struct TitledWindow {
    QWidget window;
    TskTitleBar* bar;

    TitledWindow(TskUIStyle style, const QString& caption, bool active) {
        window.setAttribute(Qt::WA_DontShowOnScreen);
        window.setAutoFillBackground(true);
        QPalette palette = window.palette();
        palette.setColor(QPalette::Window,
                         TskColor::toQColor(GetBuiltinColor(style, ThemeKey::FormBackgroundColor)));
        window.setPalette(palette);
        bar = new TskTitleBar(&window);
        bar->SetUIStyle(style);
        bar->SetCaption(caption);
        bar->SetFormActive(active);
        window.resize(kWindowWidth, bar->height() + kBodyHeight);
        bar->setGeometry(0, 0, kWindowWidth, bar->height());
    }

    QImage grab() { return window.grab().toImage(); }
};

bool save(const QImage& image, const QString& path) {
    if (image.isNull() || !image.save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

// Shows the menu, selects Selected and grabs what it shows.
QImage grabMenu(QMenu& menu, QAction* selected) {
    menu.setAttribute(Qt::WA_DontShowOnScreen);
    menu.popup(QPoint(0, 0));
    QApplication::processEvents();
    if (selected)
        menu.setActiveAction(selected);
    QApplication::processEvents();
    const QImage image = menu.grab().toImage();
    menu.hide();
    return image;
}

bool renderTitleBars(TskUIStyle style, const QString& dir) {
    bool ok = true;
    {
        TitledWindow w(style, QStringLiteral("Deckvane"), true);
        ok &= save(w.grab(), dir + QStringLiteral("/titlebar.png"));
    }
    {
        TitledWindow w(style, QStringLiteral("Deckvane"), false);
        ok &= save(w.grab(), dir + QStringLiteral("/titlebar-inactive.png"));
    }
    {
        TitledWindow w(style,
                       QStringLiteral("Deckvane - converting every presentation below "
                                      "/home/user/Presentations to HTML"),
                       true);
        ok &= save(w.grab(), dir + QStringLiteral("/titlebar-long-caption.png"));
    }
    return ok;
}

// The window with its system menu open below the control box.
bool renderSystemMenu(TskUIStyle style, const QString& dir) {
    TitledWindow w(style, QStringLiteral("Deckvane"), true);
    TskTitleBarPopupMenu* menu = w.bar->SystemMenu();
    menu->UpdateItemStates();
    const QImage menuImage = grabMenu(*menu, menu->MaximizeItem());
    const QImage windowImage = w.grab();
    const int menuTop = w.bar->height();
    QImage sheet(qMax(windowImage.width(), menuImage.width() + 8),
                 qMax(windowImage.height(), menuTop + menuImage.height() + 8),
                 QImage::Format_ARGB32_Premultiplied);
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    painter.drawImage(0, 0, windowImage);
    painter.drawImage(0, menuTop, menuImage);
    painter.end();
    return save(sheet, dir + QStringLiteral("/menu.png"));
}

bool renderMenuItems(TskUIStyle style, const QString& dir) {
    TskPopupMenu menu;
    menu.SetUIStyle(style);
    menu.addAction(QStringLiteral("&Normal item"));
    QAction* selected = menu.addAction(QStringLiteral("&Selected item"));
    menu.addAction(QStringLiteral("&Disabled item"))->setEnabled(false);
    QAction* checked = menu.addAction(QStringLiteral("C&hecked item"));
    checked->setCheckable(true);
    checked->setChecked(true);
    menu.addAction(QStringLiteral("-"));
    menu.addAction(QStringLiteral("Item with a &shortcut"))
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    menu.HookMenuItems();
    return save(grabMenu(menu, selected), dir + QStringLiteral("/menu-items.png"));
}

bool renderAll(const QString& outDir) {
    bool ok = true;
    for (const SkinStyle& record : SkinStyleList::All()) {
        const TskUIStyle style = record.style;
        const QString dir = outDir + QLatin1Char('/') + QLatin1String(record.name);
        if (!QDir().mkpath(dir)) {
            std::fprintf(stderr, "cannot create %s\n", qPrintable(dir));
            return false;
        }
        ok &= renderTitleBars(style, dir);
        ok &= renderSystemMenu(style, dir);
        ok &= renderMenuItems(style, dir);
    }
    return ok;
}

const GalleryPage page("titlebar", 30, renderAll);

} // namespace
