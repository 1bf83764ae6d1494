#include "app/AfterFirstPaint.h"
#include "app/LayoutReader.h"
#include "app/StartupProbe.h"
#include "app/TFMain.h"
#include "app/automation/PresentationServer.h"
#include "app/controls/TWebBrowser.h"
#include "app/conversion/TerminationSignals.h"
#include "platform/FontConfigWarmUp.h"
#include "platform/MessageBoxSeam.h"
#include "skin/draw/PngResource.h"
#include "skin/form/SkinMainForm.h"

#include <QApplication>
#include <QIcon>
#include <cstdio>
#include <cstring>
#include <unistd.h>

#ifndef DECKVANE_VERSION
#define DECKVANE_VERSION "unknown"
#endif

namespace {

// The name the desktop entry, the icon and the metainfo are installed under.
constexpr const char* kApplicationId = "org.deckvane.Deckvane";

// --help and --version are answered before Qt starts, so they need no display.
// Every other argument is left to Qt (-platform, -display, ...).
int answerInformationRequest(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs("Usage: deckvane [--help] [--version] [Qt options]\n"
                       "Opens Deckvane's window: pick a folder, the file masks and an output\n"
                       "folder, and every matching presentation in the folder and its\n"
                       "subfolders becomes a web page, converted by LibreOffice Impress.\n"
                       "Without a display, convert with deckvane-batch.\n"
                       "\n"
                       "  -h, --help     print this text and exit\n"
                       "  -v, --version  print the version and exit\n"
                       "\n"
                       "Qt's own options, such as -platform NAME, are passed on to Qt.\n"
                       "See deckvane(1) for the environment and the files it uses.\n",
                       stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0 || std::strcmp(argv[i], "-v") == 0) {
            std::fputs("deckvane " DECKVANE_VERSION "\n", stdout);
            return 0;
        }
    }
    return -1;
}

} // namespace

int main(int argc, char** argv) {
    if (const int answered = answerInformationRequest(argc, argv); answered >= 0)
        return answered;

    // The banner's web engine, as root, cannot use its sandbox. (The GL
    // context it shares is made when the banner is, after the first paint.)
    if (geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");

    // The stored layout is in pixels and the skin pictures are drawn one to
    // one: a screen's resolution must neither grow the window, nor move it,
    // nor stretch the pictures. Desktops often set per-screen factors for
    // every program; those are left out here too.
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    qunsetenv("QT_SCREEN_SCALE_FACTORS");
    qunsetenv("QT_AUTO_SCREEN_SCALE_FACTOR");

    // Beside the start-up below, on the other core when there is one.
    FontConfigWarmUp fonts;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("deckvane"));
    QApplication::setApplicationDisplayName(MessageBoxSeam::applicationTitle());
    // The desktop's name for the window, so docks and task bars match it with
    // the installed entry and icon.
    QApplication::setDesktopFileName(QLatin1String(kApplicationId));

    TFMain FMain;
    // Minimize, the work area and Alt+Space from other windows refer to it.
    SetApplicationMainForm(&FMain);
    try {
        FMain.loadLayout();
    } catch (const LayoutError& error) {
        MessageBoxSeam::showError(QString::fromUtf8(error.what()));
        return 1;
    }
    // A terminal closed or a session ended during a run: the office and the
    // staging of the file being converted go with the program.
    TerminationSignals::install(
        &app,
        [&FMain] {
            if (FMain.presentationServer)
                FMain.presentationServer->kill();
        },
        QStringLiteral("deckvane"));
    // The icon once the window has been painted: looking it up in the icon
    // theme reads the theme's index files, a good part of a start-up. The
    // compiled-in icon is the same drawing.
    AfterFirstPaint::run(&FMain, [] {
        QApplication::setWindowIcon(
            QIcon::fromTheme(QLatin1String(kApplicationId),
                             PngResource::icon(QStringLiteral(":/icons/MAINICON.png"))));
    });
    FMain.show();
    if (qEnvironmentVariableIsSet("DECKVANE_STARTUP_PROBE"))
        StartupProbe::install(&FMain, FMain.WebBrowser2);
    return app.exec();
}
