#include <QApplication>
#include <QFile>
#include <gtest/gtest.h>

// Widget tests need an application object; without a display they run on the
// offscreen platform so CI needs no X server. Tests that need a real display
// are told where the virtual X server or compositor of their fixture is.
int main(int argc, char** argv) {
    const QString displayFile = qEnvironmentVariable("DECKVANE_DISPLAY_FILE");
    if (!displayFile.isEmpty()) {
        QFile file(displayFile);
        if (!file.open(QIODevice::ReadOnly)) {
            fprintf(stderr, "no display: %s is missing (is the X server fixture running?)\n",
                    qPrintable(displayFile));
            return 1;
        }
        const QByteArray display = file.readAll().trimmed();
        if (display.startsWith('/')) {
            // A compositor's socket: the tests are a Wayland session's clients.
            qputenv("WAYLAND_DISPLAY", display);
            qputenv("XDG_RUNTIME_DIR", display.left(display.lastIndexOf('/')));
            qunsetenv("DISPLAY");
            qputenv("QT_QPA_PLATFORM", "wayland");
        } else {
            qputenv("DISPLAY", display);
            qputenv("QT_QPA_PLATFORM", "xcb");
        }
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // CTest hands discovered tests only the first entry of a multi-entry
    // ENVIRONMENT, so the others get their values here as well.
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
#ifdef DECKVANE_TEST_SOURCE_DIR
    if (qEnvironmentVariableIsEmpty("DECKVANE_SOURCE_DIR"))
        qputenv("DECKVANE_SOURCE_DIR", DECKVANE_TEST_SOURCE_DIR);
#endif
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
