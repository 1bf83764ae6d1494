#include "skin/form/TskForm.h"

#include "TitleBarTestSupport.h"
#include "TskThemeFileWriter.h"
#include "component/PropertyByName.h"
#include "skin/draw/SkinPainting.h"
#include "skin/form/SkinMainForm.h"
#include "skin/form/TskTitleBar.h"
#include "skin/form/TskTitleBarPopupMenu.h"
#include "skin/theme/TskFileTheme.h"
#include "skin/theme/TskSkinError.h"
#include "tests/skin/SkinTestComponents.h"

#include <QApplication>
#include <QBuffer>
#include <QContextMenuEvent>
#include <QFile>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace {

QRgb rgb(qint32 bgr) {
    return qRgb(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

// A window carrying a skinned form, as a layout creates it.
struct Window {
    QWidget window;
    TskForm* form;
    explicit Window(QSize client = QSize(300, 200)) {
        window.resize(client);
        window.setWindowTitle(QStringLiteral("Test window"));
        form = new TskForm(&window);
    }
    void showActive() {
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }
};

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

// A window with a menu of its own, as a form with a native menu has.
class WindowWithMenu : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QMenu* Menu MEMBER menu)
public:
    QMenu* menu = nullptr;
};

} // namespace

TEST(TskForm, TakesOverItsWindowInsideAThreePixelRing) {
    Window w;
    EXPECT_TRUE(w.window.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(w.window.size(), QSize(306, 206));
    EXPECT_EQ(w.form->geometry(), QRect(3, 3, 300, 200));
    EXPECT_GE(w.window.minimumWidth(), TskForm::kMinWidth);
    EXPECT_EQ(w.window.minimumHeight(), TskForm::kMinHeight);
    EXPECT_EQ(w.form->Caption(), "Test window");
    w.form->SetCaption(QStringLiteral("Renamed"));
    EXPECT_EQ(w.window.windowTitle(), "Renamed");
    ASSERT_NE(w.form->TitleBar(), nullptr);
    EXPECT_EQ(w.form->TitleBar()->geometry().topLeft(), QPoint(0, 0));
    w.form->SetVersion(QStringLiteral("1.0"));
    EXPECT_EQ(w.form->property("Version").toString(), "5.8");
    // The frame knows the window's own colour apart from the panel's.
    QPalette own = w.window.palette();
    own.setColor(w.window.backgroundRole(), QColor(1, 2, 3));
    w.window.setPalette(own);
    EXPECT_EQ(w.form->FrameInput().formColor, 0x00030201);
    EXPECT_FALSE(w.form->FrameInput().menuBarExists);
    // Resizing keeps the ring.
    w.window.show();
    w.window.resize(400, 250);
    EXPECT_EQ(w.form->geometry(), QRect(3, 3, 394, 244));
}

TEST(TskForm, ASecondSkinnedFormOnOneWindowIsRefusedBeforeAnythingChanges) {
    Window w;
    const QSize size = w.window.size();
    try {
        new TskForm(&w.window);
        FAIL() << "no error";
    } catch (const TskSkinError& error) {
        EXPECT_EQ(error.message(), "Sorry, You can create only one TskForm component in one form!");
    }
    EXPECT_EQ(w.window.findChildren<TskForm*>().size(), 1);
    EXPECT_EQ(w.window.size(), size);
}

TEST(TskForm, OnAControlItIsAPlainPanel) {
    QWidget window;
    auto* holder = new QWidget(&window);
    auto* form = new TskForm(holder);
    EXPECT_EQ(form->TitleBar(), nullptr);
    EXPECT_EQ(form->OwnerForm(), nullptr);
    EXPECT_TRUE(form->Caption().isEmpty());
    EXPECT_FALSE(form->TitleBarVisible());
    EXPECT_EQ(form->RoundCorner(), 0);
    form->SetCaption(QStringLiteral("x"));
    form->SetTitleBarVisible(true);
    EXPECT_FALSE(window.windowFlags().testFlag(Qt::FramelessWindowHint));
}

TEST(TskForm, StreamedValuesAfterTheStyleWin) {
    Window w;
    // In stored order: the style first, then the colours it would derive.
    w.form->setProperty("UIStyle", QStringLiteral("MacOS"));
    EXPECT_EQ(w.form->TitleBar()->height(), 20); // MacOS's 23-pixel left image less the frame
    EXPECT_EQ(w.form->BorderColor(), 0x7F7F7F);
    w.form->setProperty("BorderColor", 0x123456);
    w.form->setProperty("BorderWidth", 2);
    w.form->setProperty("Color", 0x00ABCDEF);
    EXPECT_EQ(w.form->BorderColor(), 0x123456);
    EXPECT_EQ(w.form->BorderWidth(), 2);
    EXPECT_EQ(w.form->Color(), 0x00ABCDEF);
    EXPECT_EQ(w.form->property("UIStyle").toString(), "MacOS");
    // Applying the style again derives everything anew.
    w.form->SetUIStyle(TskUIStyle::WinXP);
    EXPECT_EQ(w.form->BorderColor(), 0x00C82C00);
    EXPECT_EQ(w.form->BorderWidth(), 3);
    EXPECT_EQ(w.form->Color(), 0x00DEEBEF);
    EXPECT_EQ(w.form->RoundCorner(), 13);
    EXPECT_EQ(w.form->MenuBarColor(), 0x00DEEBEF);
}

TEST(TskForm, FromThemeFileWithoutAThemeGivesDeepBlue) {
    Window w;
    w.form->SetUIStyle(TskUIStyle::BlueGlass);
    w.form->SetUIStyle(TskUIStyle::FromThemeFile);
    EXPECT_EQ(w.form->BorderColor(), 0);
    EXPECT_EQ(w.form->BorderWidth(), 1);
    EXPECT_EQ(w.form->Color(), 0x00E8E8E8);
    EXPECT_EQ(w.form->RoundCorner(), 0);
    EXPECT_EQ(w.form->RoundCornerBottom(), 0);
    EXPECT_EQ(w.form->GetSideBorderWidth(), 0);
}

TEST(TskForm, RoundedStylesShapeTheWindowAndFollowItsSize) {
    Window w;
    w.form->SetUIStyle(TskUIStyle::WinXP);
    EXPECT_FALSE(w.form->FormRegion().contains(QPoint(0, 0)));
    EXPECT_TRUE(w.form->FormRegion().contains(QPoint(4, 0)));
    EXPECT_TRUE(w.form->FormRegion().contains(QPoint(0, 205))); // square bottom corners
    w.window.show();
    w.window.resize(500, 300);
    EXPECT_EQ(w.form->FormRegion().boundingRect(), QRect(0, 0, 500, 300));
    w.form->SetRoundCorner(0);
    EXPECT_EQ(w.form->FormRegion(), QRegion(0, 0, 500, 300));
    // A hidden title bar takes the corners with it.
    w.form->SetUIStyle(TskUIStyle::BlueGlass);
    w.form->SetTitleBarVisible(false);
    EXPECT_EQ(w.form->RoundCorner(), 0);
    EXPECT_EQ(w.form->FormRegion(), QRegion(0, 0, 500, 300));
}

TEST(TskForm, MacOsFrameOnTheRealWindow) {
    Window w;
    w.form->SetUIStyle(TskUIStyle::MacOS);
    w.window.show();
    QApplication::processEvents();
    const QImage image = w.window.grab().toImage();
    const int W = image.width(), H = image.height();
    ASSERT_EQ(QSize(W, H), QSize(306, 206));
    for (int y = 0; y < H; y += 7) {
        EXPECT_EQ(image.pixel(0, y), rgb(0x7F7F7F)) << y;
        EXPECT_EQ(image.pixel(W - 1, y), rgb(0x7F7F7F)) << y;
    }
    EXPECT_EQ(image.pixel(W / 2, H - 1), rgb(0x7F7F7F));
    for (int y = 30; y < H - 1; y += 11)
        for (int x : {1, 2, W - 3, W - 2})
            EXPECT_EQ(image.pixel(x, y), rgb(0xE7E7E7)) << x << "," << y;
    EXPECT_EQ(image.pixel(W / 2, H - 2), rgb(0xE7E7E7));
    // The top rows continue the MacOS title images.
    const QImage left = w.form->TitleBar()->SectionPicture(0).convertToFormat(QImage::Format_RGB32);
    for (int x = 3; x < 10; ++x)
        EXPECT_EQ(image.pixel(x, 0), left.pixel(x, 0)) << x;
}

TEST(TskForm, TitleBarVisibleToItsCurrentValueChangesNothing) {
    Window w;
    w.window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w.window));
    QApplication::processEvents();
    PaintCounter counter(&w.window);
    w.form->SetTitleBarVisible(true);
    QTest::qWait(30);
    EXPECT_EQ(counter.paints, 0);
    w.form->SetTitleBarVisible(false);
    QTest::qWait(30);
    EXPECT_GT(counter.paints, 0);
    EXPECT_TRUE(w.form->TitleBar()->isHidden());
    EXPECT_EQ(w.form->GetTitleBarHeight(), 0);
    w.form->SetTitleBarVisible(true);
    EXPECT_EQ(w.form->TitleBar()->geometry().topLeft(), QPoint(0, 0));
}

// Where the maximized window lies on a real display is checked in the
// window tests (TskFormWindowTest); here the rule and the way back.
TEST(TskForm, MaximizedBoundsWidenTheWorkAreaAndRestoringGivesTheBoundsBack) {
    EXPECT_EQ(TskForm::MaximizedBounds(QRect(0, 0, 1024, 768)), QRect(-4, -4, 1032, 771));
    EXPECT_EQ(TskForm::MaximizedBounds(QRect(100, 30, 800, 600)), QRect(96, 26, 808, 603));
    Window w;
    w.window.move(40, 50);
    w.window.show();
    QApplication::processEvents();
    const QRect normal = w.window.geometry();
    w.window.setWindowState(Qt::WindowMaximized);
    QApplication::processEvents();
    w.window.setWindowState(Qt::WindowNoState);
    QApplication::processEvents();
    EXPECT_EQ(w.window.geometry(), normal);

    // A window made maximized comes back with the ring it grew by.
    QWidget made;
    made.setGeometry(40, 50, 300, 200);
    made.setWindowState(Qt::WindowMaximized);
    new TskForm(&made);
    made.show();
    QApplication::processEvents();
    made.setWindowState(Qt::WindowNoState);
    QApplication::processEvents();
    EXPECT_EQ(made.geometry(), QRect(40, 50, 306, 206));
}

TEST(TskForm, ARecreatedWindowLosesTheSystemFrameAgain) {
    Window w;
    w.window.show();
    QApplication::processEvents();
    // New flags re-create the native window, with the system's frame.
    w.window.setWindowFlags(Qt::Window);
    w.window.show();
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return w.window.windowFlags().testFlag(Qt::FramelessWindowHint); }, 2000));
    EXPECT_TRUE(w.window.isVisible());
}

TEST(TskForm, AltSpaceOpensTheSystemMenuAndGoesNoFurther) {
    Window w;
    auto* edit = new QLineEdit(w.form);
    edit->setGeometry(10, 40, 100, 20);
    w.window.move(120, 80);
    ASSERT_NO_FATAL_FAILURE(w.showActive());
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Space, Qt::AltModifier);
    QApplication::processEvents();
    TskTitleBarPopupMenu* menu = w.form->TitleBar()->SystemMenu();
    EXPECT_TRUE(menu->isVisible());
    EXPECT_EQ(menu->pos(), QPoint(120, 80 + w.form->GetTitleBarHeight()));
    EXPECT_TRUE(edit->text().isEmpty());
    menu->hide();
    // Space alone still types.
    QTest::keyClick(edit, Qt::Key_Space);
    EXPECT_EQ(edit->text(), " ");
}

TEST(TskForm, RemovedThemeResetsTheChildrenEvenWithoutAutoUpdate) {
    Window w;
    auto* theme = new TskFileTheme(&w.window);
    auto* child = new skintest::TskTestButton(w.form);
    child->SetUIStyle(TskUIStyle::WinXP);
    w.form->SetUIStyleAutoUpdateSub(false);
    w.form->SetFileTheme(theme);
    w.form->SetUIStyle(TskUIStyle::Protein);
    EXPECT_EQ(child->UIStyle(), TskUIStyle::WinXP); // not passed on
    delete theme;
    EXPECT_EQ(child->UIStyle(), TskUIStyle::DeepBlue);
    EXPECT_EQ(w.form->UIStyle(), TskUIStyle::DeepBlue);
    EXPECT_EQ(w.form->FileTheme(), nullptr);
    // With the switch on, a style change reaches the children.
    w.form->SetUIStyleAutoUpdateSub(true);
    w.form->SetUIStyle(TskUIStyle::MacOS);
    EXPECT_EQ(child->UIStyle(), TskUIStyle::MacOS);
}

TEST(TskForm, ThePanelHasAReadingOrderAPopupMenuAndMouseEvents) {
    Window w;
    w.showActive();
    // The reading order reaches the title bar, which takes its parent's.
    EXPECT_EQ(GetPropertyByName(w.form, "BiDiMode").value<TBiDiMode>(), TBiDiMode::bdLeftToRight);
    SetPropertyByName(w.form, "BiDiMode", QStringLiteral("bdRightToLeft"));
    EXPECT_EQ(w.form->BiDiMode(), TBiDiMode::bdRightToLeft);
    EXPECT_EQ(w.form->TitleBar()->layoutDirection(), Qt::RightToLeft);

    QSignalSpy downs(w.form, &TskForm::OnMouseDown);
    QSignalSpy moves(w.form, &TskForm::OnMouseMove);
    QSignalSpy ups(w.form, &TskForm::OnMouseUp);
    QSignalSpy clicks(w.form, &TskForm::OnClick);
    const QPoint on(100, 100);
    QTest::mouseMove(w.form, on);
    QTest::mouseClick(w.form, Qt::LeftButton, {}, on);
    EXPECT_GE(moves.count(), 1);
    EXPECT_EQ(downs.count(), 1);
    EXPECT_EQ(ups.count(), 1);
    EXPECT_EQ(clicks.count(), 1);
    // Released off the panel: no click.
    QTest::mousePress(w.form, Qt::LeftButton, {}, on);
    QTest::mouseRelease(w.form, Qt::LeftButton, {}, QPoint(-20, 100));
    EXPECT_EQ(clicks.count(), 1);

    auto* menu = new TskPopupMenu(&w.window);
    menu->addAction(QStringLiteral("Refresh"));
    SetPropertyByName(w.form, "PopupMenu", QVariant::fromValue(menu));
    QContextMenuEvent request(QContextMenuEvent::Mouse, on, w.form->mapToGlobal(on));
    QApplication::sendEvent(w.form, &request);
    EXPECT_TRUE(menu->isVisible());
    menu->hide();
}

TEST(TskForm, FormPanelRefusesTheFormItself) {
    Window w;
    titlebartest::MessageCapture capture;
    auto* panel = new QWidget(w.form);
    w.form->SetFormPanel(panel);
    w.form->SetFormPanel(w.form);
    ASSERT_EQ(capture.messages.size(), 1);
    EXPECT_EQ(capture.messages[0].kind, MessageBoxSeam::Kind::Error);
    // A refusal, not an error's message: no full stop is added.
    EXPECT_EQ(capture.messages[0].text,
              "Sorry, you can't select the Form assign to FormPanel property");
    EXPECT_EQ(w.form->FormPanel(), panel);
    // The panel fills what the title bar leaves.
    EXPECT_EQ(panel->geometry(),
              QRect(0, w.form->GetTitleBarHeight(), 300, 200 - w.form->GetTitleBarHeight()));
    delete panel;
    EXPECT_EQ(w.form->FormPanel(), nullptr);
}

TEST(TskForm, DeletingTheFormGivesTheWindowItsFrameBack) {
    auto w = std::make_unique<Window>();
    w->form->SetUIStyle(TskUIStyle::WinXP);
    delete w->form;
    QApplication::processEvents();
    EXPECT_FALSE(w->window.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(w->window.mask().isEmpty());
    // A window that goes with its form takes nothing back on the way, and
    // its hand-back reaches no window made after it (at its address, say).
    auto other = std::make_unique<Window>();
    other.reset();
    auto next = std::make_unique<QWidget>();
    next->setWindowFlag(Qt::FramelessWindowHint);
    QApplication::processEvents();
    EXPECT_TRUE(next->windowFlags().testFlag(Qt::FramelessWindowHint));
}

TEST(TskForm, ReplacingTheSkinnedFormKeepsTheWindowAsTheFirstOneMadeIt) {
    Window w;
    w.window.show();
    QApplication::processEvents();
    const QSize size = w.window.size();
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        delete w.form;
        w.form = new TskForm(&w.window);
        w.form->show();
        QApplication::processEvents(); // the old form's hand-back comes now
        EXPECT_TRUE(w.window.windowFlags().testFlag(Qt::FramelessWindowHint));
        EXPECT_EQ(w.window.size(), size);
        EXPECT_EQ(w.form->geometry(), QRect(3, 3, size.width() - 6, size.height() - 6));
    }
    // The last one going gives the frame back.
    delete w.form;
    QApplication::processEvents();
    EXPECT_FALSE(w.window.windowFlags().testFlag(Qt::FramelessWindowHint));
}

TEST(TskForm, ThemeWithBorderImagesFramesTheWindowWithThem) {
    const QString source = qEnvironmentVariable("DECKVANE_SOURCE_DIR");
    const QString file = source + QStringLiteral("/resources/themes/Graphite.vsk");
    if (source.isEmpty() || !QFile::exists(file))
        GTEST_SKIP() << "no source tree";
    Window w;
    auto* theme = new TskFileTheme(&w.window);
    theme->SetThemeFile(file);
    ASSERT_TRUE(theme->IsThemeLoaded());
    w.form->SetFileTheme(theme);
    w.form->SetUIStyle(TskUIStyle::FromThemeFile);
    EXPECT_EQ(w.form->BorderColor(), theme->GetColor(ThemeKey::FormBorderColor));
    EXPECT_EQ(w.form->Color(), theme->GetColor(ThemeKey::FormBackgroundColor));
    EXPECT_EQ(w.form->RoundCorner(), 7);
    EXPECT_EQ(w.form->RoundCornerBottom(), 5);
    QImage side;
    theme->GetBitmap(ThemeKey::FormLeftBorderImage, side);
    QImage bottom;
    theme->GetBitmap(ThemeKey::FormBottomBorderImage, bottom);
    ASSERT_GT(side.width(), 0);
    EXPECT_EQ(w.form->GetSideBorderWidth(), side.width());
    EXPECT_EQ(w.form->BottomBorderHeight(), bottom.height());
    // The right side is the left image turned round.
    QImage turned = side.copy();
    RotateBitmap180(turned);
    EXPECT_EQ(w.form->FrameInput().sideImageTurned, turned);
    // The panel sits inside the border images and their Color lines.
    EXPECT_EQ(w.form->geometry().left(), side.width() + 1);
    EXPECT_EQ(w.window.width() - w.form->geometry().right() - 1, side.width() + 1);
    EXPECT_EQ(w.window.height() - w.form->geometry().bottom() - 1, bottom.height() + 1);
    // Rounded at the bottom too.
    EXPECT_FALSE(w.form->FormRegion().contains(QPoint(0, w.window.height() - 1)));
    // Without the theme everything falls back to DeepBlue and the ring.
    delete theme;
    EXPECT_EQ(w.form->GetSideBorderWidth(), 0);
    EXPECT_EQ(w.form->geometry().topLeft(), QPoint(3, 3));
}

// The form draws from a theme that reads another file: the whole window
// shows the new file, frame colours and title bar alike, not only the
// controls that look their pictures up on every paint.
TEST(TskForm, AThemeThatReadsAnotherFileReachesTheFormAndItsTitleBar) {
    QTemporaryDir dir;
    const auto themeFile = [&](const char* name, qint32 colour, int leftWidth) {
        TskThemeFileWriter writer;
        writer.AddInt(QStringLiteral("FormBorderColor"), colour);
        writer.AddInt(QStringLiteral("FormBackgroundColor"), colour + 1);
        QImage left(leftWidth, 24, QImage::Format_RGB32);
        left.fill(qRgb(90, 90, 90));
        QByteArray bmp;
        QBuffer buffer(&bmp);
        buffer.open(QIODevice::WriteOnly);
        left.save(&buffer, "BMP");
        writer.AddImage(QStringLiteral("TitleBarLeftImage"), bmp);
        const QString path = dir.filePath(QLatin1String(name));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(writer.Bytes()) > 0);
        return path;
    };
    const QString first = themeFile("1.vsk", 0x101010, 7);
    const QString second = themeFile("2.vsk", 0x202020, 11);
    Window w;
    auto* theme = new TskFileTheme(&w.window);
    theme->SetThemeFile(first);
    w.form->SetFileTheme(theme);
    w.form->SetUIStyle(TskUIStyle::FromThemeFile);
    ASSERT_EQ(w.form->BorderColor(), 0x101010);
    ASSERT_EQ(w.form->TitleBar()->SectionPicture(0).width(), 7);

    theme->SetThemeFile(second);
    EXPECT_EQ(w.form->BorderColor(), 0x202020);
    EXPECT_EQ(w.form->Color(), 0x202021);
    EXPECT_EQ(w.form->FrameInput().borderColor, 0x202020);
    EXPECT_EQ(w.form->TitleBar()->SectionPicture(0).width(), 11);
    EXPECT_EQ(w.form->TitleBar()->height(), 24 - 3);
}

TEST(TskForm, TheWindowsOwnMenuIsEmptiedWheneverItIsShown) {
    WindowWithMenu window;
    QMenu menu;
    new TskForm(&window);
    for (int round = 0; round < 2; ++round) {
        window.menu = &menu;
        window.show();
        EXPECT_EQ(window.menu, nullptr) << round;
        window.hide();
    }
}

#include "TskFormTest.moc"
