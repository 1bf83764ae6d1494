// The program itself, started on a 144-dpi screen: the stored layout stays
// in pixels at its stored place.

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(Startup, AHighResolutionScreenNeitherGrowsNorMovesTheWindow) {
    QTemporaryDir dir;
    const QString config = dir.filePath("screen.json");
    QFile file(config);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(R"({"screens": [{"name": "wide", "x": 0, "y": 0, "width": 1920, "height": 1200,
                   "logicalDpi": 144, "logicalBaseDpi": 96, "dpr": 1}]})");
    file.close();

    QProcess app;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen:configfile=" + config);
    env.insert("DECKVANE_STARTUP_PROBE", "1");
    env.insert("DECKVANE_BANNER", "offline");
    // A desktop's own per-screen factor is not followed either.
    env.insert("QT_SCREEN_SCALE_FACTORS", "2");
    env.insert("XDG_RUNTIME_DIR", dir.path());
    app.setProcessEnvironment(env);
    app.start(DECKVANE_APP, {});
    ASSERT_TRUE(app.waitForFinished(60000));
    const QString out = QString::fromUtf8(app.readAllStandardOutput());
    const QRegularExpressionMatch window =
        QRegularExpression("window (\\S+) (\\S+) (\\S+) (\\S+) scale (\\S+)").match(out);
    ASSERT_TRUE(window.hasMatch()) << out.toStdString() << app.readAllStandardError().toStdString();
    // 825 x 476 of client area inside the 3-pixel ring, at 216, 120.
    EXPECT_EQ(window.captured(1).toStdString(), "216");
    EXPECT_EQ(window.captured(2).toStdString(), "120");
    EXPECT_EQ(window.captured(3).toStdString(), "831");
    EXPECT_EQ(window.captured(4).toStdString(), "482");
    EXPECT_EQ(window.captured(5).toStdString(), "1");
}
