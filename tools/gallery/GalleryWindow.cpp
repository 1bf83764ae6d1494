// The finished window: DIR/window.png is the main window as its stored layout
// makes it (English texts, the banner's offline page); for each style S,
// DIR/S/window.png is the same window in that style, DIR/S/window-menu.png a
// small skinned form with a three-item main menu, its second item hot, and
// DIR/S/window-no-title.png a small skinned form with its title bar hidden.
// With DECKVANE_SOURCE_DIR set, DIR/window-theme-NAME.png shows the main
// window with each sample theme of resources/themes. Pixels the window
// region cuts away are transparent.
#include "GalleryPage.h"

#include "app/TFMain.h"
#include "skin/form/TskForm.h"
#include "skin/menus/TskMainMenu.h"
#include "skin/menus/TskMenuBar.h"
#include "skin/theme/SkinStyleList.h"
#include "skin/theme/TskFileTheme.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMetaEnum>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <cstdio>
#include <memory>

namespace {

// Everything settles: layouts, the banner's page, pending repaints.
void settle(int milliseconds = 0) {
    QApplication::processEvents();
    if (milliseconds > 0) {
        QEventLoop loop;
        QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
        loop.exec();
    }
    QApplication::processEvents();
}

// The window as the screen shows it: its pixels inside the form's region.
QImage grabWindow(QWidget& window, const TskForm* form) {
    QImage image = window.grab().toImage().convertToFormat(QImage::Format_ARGB32);
    const QRegion region = form->FormRegion();
    if (region.isEmpty())
        return image;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (!region.contains(QPoint(x, y)))
                image.setPixel(x, y, qRgba(0, 0, 0, 0));
    return image;
}

bool save(const QImage& image, const QString& path) {
    if (image.isNull() || !image.save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

std::unique_ptr<TFMain> mainWindow() {
    auto window = std::make_unique<TFMain>();
    window->languageIdSource = [] { return std::uint16_t(1033); };
    window->setAttribute(Qt::WA_DontShowOnScreen);
    window->loadLayout();
    window->show();
    settle(400);
    return window;
}

// A small window carrying a skinned form with a caption and a few words.
struct SmallForm {
    QWidget window;
    TskForm* form;

    SmallForm(TskUIStyle style, const QString& caption) {
        window.setAttribute(Qt::WA_DontShowOnScreen);
        window.resize(300, 130);
        form = new TskForm(&window);
        form->SetUIStyle(style);
        form->SetCaption(caption);
        auto* text = new QLabel(QStringLiteral("Skinned form, %1 style")
                                    .arg(QLatin1String(SkinStyleList::Find(style)->name)),
                                form);
        text->setGeometry(16, 60, 260, 20);
    }
};

bool renderMenuForm(TskUIStyle style, const QString& path) {
    SmallForm w(style, QStringLiteral("Menu bar"));
    auto* menu = new TskMainMenu(&w.window);
    for (const char* caption : {"&File", "&Edit", "&Help"}) {
        QMenu* sub = menu->addMenu(QString::fromLatin1(caption));
        sub->addAction(QStringLiteral("&Open..."));
        sub->addAction(QStringLiteral("E&xit"));
    }
    menu->HookMenuItems();
    menu->SetUIStyle(style);
    w.window.show();
    settle();
    TskMenuBar* bar = w.form->MenuBar();
    if (!bar || bar->ButtonCount() != 3) {
        std::fprintf(stderr, "window-menu: the menu bar has no three buttons\n");
        return false;
    }
    // The mouse over the second item makes it hot.
    const QPoint at = bar->ButtonRect(1).center();
    QMouseEvent move(QEvent::MouseMove, QPointF(at), QPointF(bar->mapToGlobal(at)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(bar, &move);
    settle();
    return save(grabWindow(w.window, w.form), path);
}

bool renderNoTitle(TskUIStyle style, const QString& path) {
    SmallForm w(style, QStringLiteral("No title"));
    w.form->SetTitleBarVisible(false);
    w.window.show();
    settle();
    return save(grabWindow(w.window, w.form), path);
}

bool renderThemes(const QString& outDir) {
    const QString source = qEnvironmentVariable("DECKVANE_SOURCE_DIR");
    if (source.isEmpty())
        return true;
    bool ok = true;
    const QDir themes(source + QStringLiteral("/resources/themes"));
    for (const QFileInfo& file : themes.entryInfoList({QStringLiteral("*.vsk")}, QDir::Files)) {
        auto window = mainWindow();
        auto* theme = new TskFileTheme(window.get());
        try {
            theme->SetThemeFile(file.absoluteFilePath());
        } catch (const std::exception& error) {
            std::fprintf(stderr, "%s: %s\n", qPrintable(file.fileName()), error.what());
            ok = false;
            continue;
        }
        window->skForm1->SetFileTheme(theme);
        window->skForm1->SetUIStyle(TskUIStyle::FromThemeFile);
        settle();
        ok &= save(grabWindow(*window, window->skForm1), outDir + QStringLiteral("/window-theme-") +
                                                             file.completeBaseName() +
                                                             QStringLiteral(".png"));
    }
    return ok;
}

bool renderAll(const QString& outDir) {
    bool ok = renderThemes(outDir);
    {
        auto window = mainWindow();
        ok &= save(grabWindow(*window, window->skForm1), outDir + QStringLiteral("/window.png"));
    }
    for (const SkinStyle& record : SkinStyleList::All()) {
        const TskUIStyle style = record.style;
        const QString dir = outDir + QLatin1Char('/') + QLatin1String(record.name);
        if (!QDir().mkpath(dir)) {
            std::fprintf(stderr, "cannot create %s\n", qPrintable(dir));
            return false;
        }
        {
            auto window = mainWindow();
            window->skForm1->setProperty("UIStyle", int(style));
            settle();
            ok &= save(grabWindow(*window, window->skForm1), dir + QStringLiteral("/window.png"));
        }
        ok &= renderMenuForm(style, dir + QStringLiteral("/window-menu.png"));
        ok &= renderNoTitle(style, dir + QStringLiteral("/window-no-title.png"));
    }
    return ok;
}

const GalleryPage page("window", 40, renderAll);

} // namespace
