#include <QApplication>
#include <gtest/gtest.h>

// Widget tests need an application object; without a display they run on the
// offscreen platform so CI needs no X server.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
