#include "app/LayoutReader.h"
#include "app/StartupProbe.h"
#include "app/TFMain.h"
#include "platform/MessageBoxSeam.h"
#include "skin/form/SkinMainForm.h"

#include <QApplication>
#include <QIcon>
#include <unistd.h>

int main(int argc, char** argv) {
    // The web engine shares GL contexts with the widgets and, as root, cannot
    // use its sandbox; both must be settled before the application exists.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    if (geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");

    // The stored layout is in pixels and the skin pictures are drawn one to
    // one: a screen's resolution must neither grow the window, nor move it,
    // nor stretch the pictures. Desktops often set per-screen factors for
    // every program; those are left out here too.
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    qunsetenv("QT_SCREEN_SCALE_FACTORS");
    qunsetenv("QT_AUTO_SCREEN_SCALE_FACTOR");

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("deckvane"));
    QApplication::setApplicationDisplayName(MessageBoxSeam::applicationTitle());
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/MAINICON.png")));

    TFMain FMain;
    // Minimize, the work area and Alt+Space from other windows refer to it.
    SetApplicationMainForm(&FMain);
    try {
        FMain.loadLayout();
    } catch (const LayoutError& error) {
        MessageBoxSeam::showError(QString::fromUtf8(error.what()));
        return 1;
    }
    FMain.show();
    if (qEnvironmentVariableIsSet("DECKVANE_STARTUP_PROBE"))
        StartupProbe::install(&FMain);
    return app.exec();
}
