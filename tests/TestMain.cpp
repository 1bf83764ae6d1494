#include <QApplication>
#include <gtest/gtest.h>

// Widget tests need an application object; without a display they run on the
// offscreen platform so CI needs no X server.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // CMake 3.25 passes only the first variable of a list-valued ENVIRONMENT
    // to discovered tests, so the rest get their defaults here.
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    if (qEnvironmentVariableIsEmpty("DECKVANE_SOURCE_DIR"))
        qputenv("DECKVANE_SOURCE_DIR", DECKVANE_SOURCE_DIR_DEFAULT);
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
