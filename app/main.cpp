#include "app/LayoutReader.h"
#include "app/StartupProbe.h"
#include "app/TFMain.h"
#include "app/automation/PresentationServer.h"
#include "app/conversion/TerminationSignals.h"
#include "platform/MessageBoxSeam.h"
#include "skin/SkinPublic.h"

#include <QApplication>
#include <QIcon>
#include <unistd.h>

int main(int argc, char** argv) {
    // The web engine shares GL contexts with the widgets and, as root, cannot
    // use its sandbox; both must be settled before the application exists.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    if (geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");

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
    // A terminal closed or a session ended during a run: the office and the
    // staging of the file being converted go with the program.
    TerminationSignals::install(
        &app,
        [&FMain] {
            if (FMain.presentationServer)
                FMain.presentationServer->kill();
        },
        QStringLiteral("deckvane"));
    FMain.show();
    if (qEnvironmentVariableIsSet("DECKVANE_STARTUP_PROBE"))
        StartupProbe::install(&FMain);
    return app.exec();
}
