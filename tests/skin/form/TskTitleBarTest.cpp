#include "skin/form/TskTitleBar.h"
#include "TitleBarTestSupport.h"
#include "skin/draw/TskColor.h"
#include "skin/form/TskTitleBarPopupMenu.h"

#include <QApplication>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace titlebartest;

namespace {

// The bar's own font without smoothing, so caption pixels have its exact colour.
void SharpFont(TskTitleBar* bar) {
    QFont font = bar->font();
    font.setStyleStrategy(QFont::NoAntialias);
    bar->setFont(font);
}

int IndexOfType(const TskTitleBar* bar, TskTitleBarBtnType type) {
    for (int i = 0; i < bar->Buttons()->Count(); ++i)
        if (bar->Buttons()->Items(i)->ButtonType() == type)
            return i;
    return -1;
}

void SendMouse(QWidget* target, QEvent::Type type, QPoint pos,
               Qt::MouseButton button = Qt::LeftButton, Qt::MouseButtons held = Qt::LeftButton) {
    const QPointF global = target->mapToGlobal(QPointF(pos));
    QMouseEvent event(type, QPointF(pos), global, button, held, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

void Click(QWidget* target, QPoint pos) {
    SendMouse(target, QEvent::MouseButtonPress, pos);
    SendMouse(target, QEvent::MouseButtonRelease, pos, Qt::LeftButton, Qt::NoButton);
}

// A bar on a MacOS skin form of width 300.
struct SkinFormBar {
    QWidget window;
    TskForm* form = new TskForm(&window);
    TskTitleBar* bar = new TskTitleBar(form);
    SkinFormBar() {
        window.resize(306, 100);
        form->setGeometry(3, 3, 300, 94);
        bar->SetUIStyle(TskUIStyle::MacOS);
        bar->setGeometry(0, 0, 300, bar->height());
    }
};

// Counts the drags the bar hands to the window system.
class DragCountingBar : public TskTitleBar {
public:
    using TskTitleBar::TskTitleBar;
    int drags = 0;

protected:
    void StartWindowDrag(QPoint pressGlobal) override {
        ++drags;
        TskTitleBar::StartWindowDrag(pressGlobal);
    }
};

} // namespace

TEST(TskTitleBar, ButtonPlacementOnAMacSkinForm) {
    SkinFormBar s;
    const int wb = s.bar->width();
    EXPECT_EQ(s.bar->height(), 20); // left image 23 high, less the 3-pixel frame
    const TskTitleBar::Layout layout = s.bar->CurrentLayout();
    const QRect close = layout.rects[size_t(IndexOfType(s.bar, TskTitleBarButton::skClose))];
    const QRect max = layout.rects[size_t(IndexOfType(s.bar, TskTitleBarButton::skMax))];
    const QRect min = layout.rects[size_t(IndexOfType(s.bar, TskTitleBarButton::skMin))];
    EXPECT_EQ(close, QRect(wb - 2 - 18, 1, 17, 17));
    EXPECT_EQ(max, QRect(wb - 2 - 36, 1, 17, 17));
    EXPECT_EQ(min, QRect(wb - 2 - 54, 1, 17, 17));
    EXPECT_EQ(layout.controlBox, IndexOfType(s.bar, TskTitleBarButton::skControlBox));
    EXPECT_EQ(layout.controlBoxDraw, QPoint(4, 0));
    EXPECT_EQ(layout.captionLeft, 26);
    EXPECT_EQ(layout.rightEdge, min.x());

    // What is painted is where the layout says.
    const QImage painted = s.bar->grab().toImage();
    EXPECT_TRUE(SameImage(painted.copy(close), StripFrame(TskUIStyle::MacOS, 16)));
    EXPECT_TRUE(SameImage(painted.copy(4, 0, 17, 17), StripFrame(TskUIStyle::MacOS, 1)));

    // A wider gap between the right-hand buttons.
    s.bar->SetButtonInterval(3);
    EXPECT_EQ(s.bar->CurrentLayout().rects[size_t(IndexOfType(s.bar, TskTitleBarButton::skMax))],
              QRect(wb - 2 - 21 - 21, 1, 17, 17));
}

TEST(TskTitleBar, SideBorderWidthOfTheFormShiftsButtonsAndSections) {
    SkinFormBar s;
    s.form->sideBorderWidth = 5;
    EXPECT_EQ(s.bar->SideBorderWidth(), 5);
    const TskTitleBar::Layout layout = s.bar->CurrentLayout();
    // x starts at Wb - 2 + 5 and is kept inside the bar.
    EXPECT_EQ(layout.rects[size_t(IndexOfType(s.bar, TskTitleBarButton::skClose))].x(),
              300 - 17 - 1);
    EXPECT_EQ(layout.controlBoxDraw.x(), 0); // 3 - (5 - 1) is below 0
    // A plain window answers 0.
    QWidget plain;
    TskTitleBar standalone(&plain);
    EXPECT_EQ(standalone.SideBorderWidth(), 0);
    EXPECT_FALSE(standalone.InSkinForm());
}

TEST(TskTitleBar, StandaloneBarKeepsTheWholeImageHeight) {
    QWidget window;
    window.resize(320, 120);
    TskTitleBar* bar = new TskTitleBar(&window);
    QSignalSpy resizes(bar, &TskTitleBar::OnResize);
    bar->SetUIStyle(TskUIStyle::BlueGlass);
    EXPECT_EQ(bar->height(), 33);
    EXPECT_EQ(bar->width(), 320); // kept along the top edge
    window.show();
    resizes.clear();
    window.resize(400, 120);
    EXPECT_EQ(bar->width(), 400);
    EXPECT_EQ(resizes.count(), 1);
    EXPECT_EQ(bar->ButtonRowTop(), 6);
    EXPECT_EQ(window.minimumWidth(), 270);
    EXPECT_EQ(bar->RoundCorner(), 11);
    EXPECT_EQ(bar->RoundCornerBottom(), 0);
    EXPECT_TRUE(bar->HasStandardSections());
    EXPECT_EQ(bar->SectionPicture(0).size(), QSize(162, 33));
    EXPECT_TRUE(bar->SectionPicture(3).isNull());
}

TEST(TskTitleBar, CaptionIsCutWithDots) {
    auto width = [](const QString& s) { return int(s.size()) * 10; };
    EXPECT_EQ(TskTitleBar::FitCaption("Deckvane", 80, width), "Deckvane");
    EXPECT_EQ(TskTitleBar::FitCaption("Deckvane", 79, width), "Deck...");
    EXPECT_EQ(TskTitleBar::FitCaption("Deckvane", 40, width), "D...");
    // Not even "..." fits: the trimming ends all the same.
    EXPECT_EQ(TskTitleBar::FitCaption("Deckvane", 5, width), "...");
    EXPECT_EQ(TskTitleBar::FitCaption("", -20, width), "...");
    // A character outside the BMP is never split in two.
    const QString emoji = QString::fromUtf8("ab\xF0\x9F\x98\x80"
                                            "cd");
    EXPECT_EQ(TskTitleBar::FitCaption(emoji, 55, width), "ab...");
    // Room for "ab", half the pair and the dots: the cut lands inside the
    // pair and takes the whole character.
    const QString longer = emoji + QStringLiteral("ef");
    EXPECT_EQ(TskTitleBar::FitCaption(longer, 65, width), "ab...");
    EXPECT_EQ(TskTitleBar::FitCaption(longer, 70, width),
              QString::fromUtf8("ab\xF0\x9F\x98\x80..."));
}

TEST(TskTitleBar, CaptionAtTheBarsLeftEdgeMovesInToSix) {
    // Neither a control box nor an offset: the caption would touch the edge.
    TskTitleBar::LayoutInput input;
    input.barWidth = 300;
    input.sideBorderWidth = 1;
    const std::vector<TskTitleBar::ButtonSlot> closeOnly = {{true, false, QSize(17, 17)}};
    EXPECT_EQ(TskTitleBar::ComputeLayout(input, closeOnly).captionLeft, 6);
    // An offset the side border swallows ends at the edge too.
    input.leftBtnXOffset = 2;
    input.sideBorderWidth = 4;
    EXPECT_EQ(TskTitleBar::ComputeLayout(input, closeOnly).captionLeft, 6);
    // Any other start stays where it is.
    input.sideBorderWidth = 2;
    EXPECT_EQ(TskTitleBar::ComputeLayout(input, closeOnly).captionLeft, 1);
}

TEST(TskTitleBar, InactiveCaptionTakesTheSystemColour) {
    SkinFormBar s;
    SharpFont(s.bar);
    s.bar->SetCaption("WWWWWWWW");
    s.bar->SetFontColor(TskColor::fromRgb(255, 0, 0));
    auto count = [&](const QColor& colour) {
        const QImage image = s.bar->grab().toImage();
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 26; x < 150; ++x)
                n += image.pixel(x, y) == colour.rgb();
        return n;
    };
    const QColor inactive = TskColor::toQColor(TskColor::InactiveCaption);
    EXPECT_GT(count(QColor(255, 0, 0)), 20);
    s.bar->SetFormActive(false);
    EXPECT_EQ(count(QColor(255, 0, 0)), 0);
    EXPECT_GT(count(inactive), 20);
}

TEST(TskTitleBar, CaptionColourByStyleAndTheme) {
    SkinFormBar s;
    EXPECT_EQ(s.bar->FontColor(), 0);
    s.bar->SetUIStyle(TskUIStyle::WinXP);
    EXPECT_EQ(s.bar->FontColor(), 0x00FFFFFF);
    EXPECT_EQ(TskTitleBar::StyleFontColor(TskUIStyle::FromThemeFile, true, 0x123456, 0), 0x123456);
    for (qint32 marker : {0x10000, 0x30000, 0x40000, 0x50000})
        EXPECT_EQ(TskTitleBar::StyleFontColor(TskUIStyle::FromThemeFile, true, -1, marker), 0);
    EXPECT_EQ(TskTitleBar::StyleFontColor(TskUIStyle::FromThemeFile, true, -1, 0x20000),
              0x00FFFFFF);
    EXPECT_EQ(TskTitleBar::StyleFontColor(TskUIStyle::FromThemeFile, false, 0, 0), 0x00FFFFFF);
    EXPECT_EQ(TskTitleBar::StyleFontColor(TskUIStyle::MacOS, true, 0x00FFFFFF, 0), 0);
}

TEST(TskTitleBar, CustomKeepsTheUsersSectionsButtonsColourAndHeight) {
    SkinFormBar s;
    s.bar->SetCustom(true);
    s.bar->Sections()->Items(0)->SetPicture(QImage(10, 30, QImage::Format_RGB32));
    s.bar->Sections()->Add();
    s.bar->SetAutoSize(true);
    s.bar->Buttons()->Items(3)->SetVisible(false);
    s.bar->SetFontColor(0x123456);
    const int height = s.bar->height();
    s.bar->SetUIStyle(TskUIStyle::WinXP);
    EXPECT_EQ(s.bar->UIStyle(), TskUIStyle::WinXP);
    EXPECT_EQ(s.bar->Sections()->Count(), 4);
    EXPECT_EQ(s.bar->Sections()->Items(0)->Picture().size(), QSize(10, 30));
    EXPECT_FALSE(s.bar->Buttons()->Items(3)->Visible());
    EXPECT_EQ(s.bar->Buttons()->Items(1)->PicNormal().size(), QSize(17, 17));
    EXPECT_EQ(s.bar->FontColor(), 0x123456);
    EXPECT_EQ(s.bar->height(), height);
}

TEST(TskTitleBar, AutoSizeFollowsSectionZero) {
    SkinFormBar s;
    s.bar->Sections()->Items(0)->SetPicture(QImage(10, 40, QImage::Format_RGB32));
    s.bar->SetAutoSize(false);
    EXPECT_FALSE(s.bar->AutoSize());
    EXPECT_EQ(s.bar->height(), 37);
    s.bar->Sections()->Clear();
    s.bar->SetAutoSize(true);
    EXPECT_FALSE(s.bar->AutoSize());
    EXPECT_EQ(s.bar->height(), 37);
}

TEST(TskTitleBar, ReleaseRunsTheButtonUnderTheMouse) {
    SkinFormBar s;
    TskTitleBarButton* custom = s.bar->Buttons()->Add();
    custom->SetPicNormal(QImage(17, 17, QImage::Format_RGB32));
    TskTitleBarButton* help = s.bar->Buttons()->Add();
    help->SetButtonType(TskTitleBarButton::skHelp);
    QSignalSpy customs(s.bar, &TskTitleBar::OnCustomBtnsClick);
    QSignalSpy helps(s.bar, &TskTitleBar::OnHelpBtnClick);
    const TskTitleBar::Layout layout = s.bar->CurrentLayout();
    const QPoint onCustom = layout.rects[4].center();
    const QPoint onHelp = layout.rects[5].center();

    // Pressed on one button, released on another: the second one acts.
    SendMouse(s.bar, QEvent::MouseButtonPress, onCustom);
    EXPECT_TRUE(s.bar->Pressed());
    EXPECT_EQ(s.bar->HotButton(), 4);
    SendMouse(s.bar, QEvent::MouseMove, onHelp);
    EXPECT_EQ(s.bar->HotButton(), 5);
    SendMouse(s.bar, QEvent::MouseButtonRelease, onHelp, Qt::LeftButton, Qt::NoButton);
    EXPECT_FALSE(s.bar->Pressed());
    EXPECT_EQ(customs.count(), 0);
    ASSERT_EQ(helps.count(), 1);
    EXPECT_EQ(helps[0][1].toInt(), 5);

    Click(s.bar, onCustom);
    ASSERT_EQ(customs.count(), 1);
    EXPECT_EQ(customs[0][0].value<QObject*>(), s.bar);
    EXPECT_EQ(customs[0][1].toInt(), 4);

    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(s.bar, &leave);
    EXPECT_EQ(s.bar->HotButton(), -1);
}

TEST(TskTitleBar, CloseAndMaximizeButtonsActOnTheWindow) {
    SkinFormBar s;
    s.window.show();
    const TskTitleBar::Layout layout = s.bar->CurrentLayout();
    Click(s.bar, layout.rects[size_t(IndexOfType(s.bar, TskTitleBarButton::skMax))].center());
    EXPECT_TRUE(s.window.isMaximized());
    Click(s.bar, layout.rects[size_t(IndexOfType(s.bar, TskTitleBarButton::skClose))].center());
    EXPECT_FALSE(s.window.isVisible());
}

TEST(TskTitleBar, ControlBoxOpensTheSystemMenuOrItsOwnMenuBelowTheBarsLeftEnd) {
    SkinFormBar s;
    s.window.move(100, 120);
    s.window.show();
    const QPoint below = s.bar->mapToGlobal(QPoint(0, s.bar->height()));
    const QPoint onBox = QPoint(8, 8);
    Click(s.bar, onBox);
    EXPECT_TRUE(s.bar->SystemMenu()->isVisible());
    EXPECT_EQ(s.bar->SystemMenu()->pos(), below);
    s.bar->SystemMenu()->hide();

    QMenu own;
    s.bar->Buttons()->Items(0)->SetControlBoxMenu(&own);
    Click(s.bar, onBox);
    EXPECT_TRUE(own.isVisible());
    EXPECT_EQ(own.pos(), below);
    EXPECT_FALSE(s.bar->SystemMenu()->isVisible());
    own.hide();
    // Never left of the screen's edge.
    EXPECT_EQ(TskTitleBar::ClampScreenX(QPoint(-7, 30)), QPoint(0, 30));
    EXPECT_EQ(TskTitleBar::ClampScreenX(QPoint(7, 30)), QPoint(7, 30));
}

TEST(TskTitleBar, ButtonsShowTheirHoverAndPressedPicturesMaskTheirKeyAndGiveWayToTheIcon) {
    SkinFormBar s;
    s.window.show();
    auto solid = [](QColor colour) {
        QImage image(17, 17, QImage::Format_RGB32);
        image.fill(colour);
        return image;
    };
    const int closeIndex = IndexOfType(s.bar, TskTitleBarButton::skClose);
    TskTitleBarButton* close = s.bar->Buttons()->Items(closeIndex);
    close->SetPicNormal(solid(Qt::blue));
    close->SetPicMouseOn(solid(Qt::green));
    close->SetPicMouseDown(solid(Qt::red));
    const QRect rect = s.bar->CurrentLayout().rects[size_t(closeIndex)];
    auto shown = [&] { return QColor(s.bar->grab().toImage().pixel(rect.center())); };
    EXPECT_EQ(shown(), QColor(Qt::blue));
    SendMouse(s.bar, QEvent::MouseMove, rect.center(), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(shown(), QColor(Qt::green));
    SendMouse(s.bar, QEvent::MouseButtonPress, rect.center());
    EXPECT_EQ(shown(), QColor(Qt::red));
    SendMouse(s.bar, QEvent::MouseMove, QPoint(150, 8), Qt::NoButton, Qt::NoButton);

    // A transparent button lets the bar show through its key colour, the
    // colour of the picture's lower-left pixel.
    QImage keyed = solid(Qt::magenta);
    for (int y = 6; y < 11; ++y)
        for (int x = 6; x < 11; ++x)
            keyed.setPixel(x, y, qRgb(0, 0, 255));
    close->SetPicNormal(keyed);
    close->SetTransparent(true);
    const QImage bar = s.bar->grab().toImage();
    EXPECT_EQ(QColor(bar.pixel(rect.center())), QColor(Qt::blue));
    int keyShown = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            keyShown += QColor(bar.pixel(x, y)) == QColor(Qt::magenta);
    EXPECT_EQ(keyShown, 0);

    // The application's icon in place of the control box, when asked for.
    QPixmap yellow(16, 16);
    yellow.fill(Qt::yellow);
    s.window.setWindowIcon(QIcon(yellow));
    const QPoint box = s.bar->CurrentLayout().controlBoxDraw + QPoint(8, 8);
    EXPECT_NE(QColor(s.bar->grab().toImage().pixel(box)), QColor(Qt::yellow));
    s.bar->SetDrawAppIcon(true);
    EXPECT_EQ(QColor(s.bar->grab().toImage().pixel(box)), QColor(Qt::yellow));
}

TEST(TskTitleBar, DoubleClickMaximizesRestoresAndClosesFromTheControlBox) {
    SkinFormBar s;
    s.window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&s.window));
    // As a mouse gives them: press, release, press (a double click), release.
    const QPoint empty(150, 10);
    QTest::mouseDClick(s.bar, Qt::LeftButton, {}, empty);
    EXPECT_TRUE(s.window.isMaximized());
    QTest::mouseDClick(s.bar, Qt::LeftButton, {}, empty);
    EXPECT_FALSE(s.window.isMaximized());
    // On the control box the first click opens the system menu; the second
    // lands on the open menu and closes the window.
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    const QPoint box = s.bar->CurrentLayout()
                           .rects[size_t(IndexOfType(s.bar, TskTitleBarButton::skControlBox))]
                           .center();
    QTest::mouseDClick(s.bar, Qt::LeftButton, {}, box);
    QApplication::processEvents();
    EXPECT_FALSE(s.bar->SystemMenu()->isVisible());
    EXPECT_FALSE(s.window.isVisible());
}

TEST(TskTitleBar, TwoSlowClicksOnTheControlBoxOpenAndDismissTheMenu) {
    SkinFormBar s;
    s.window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&s.window));
    const QPoint box = s.bar->CurrentLayout()
                           .rects[size_t(IndexOfType(s.bar, TskTitleBarButton::skControlBox))]
                           .center();
    QTest::mouseClick(s.bar, Qt::LeftButton, {}, box);
    EXPECT_TRUE(s.bar->SystemMenu()->isVisible());
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    QTest::mouseClick(s.bar, Qt::LeftButton, {}, box);
    QApplication::processEvents();
    EXPECT_TRUE(s.window.isVisible());
    s.bar->SystemMenu()->hide();
}

TEST(TskTitleBar, DragMovesTheWindowButNotWhenMaximized) {
    QWidget window;
    window.move(100, 100);
    window.resize(320, 100);
    DragCountingBar* bar = new DragCountingBar(&window);
    bar->SetUIStyle(TskUIStyle::DeepBlue);
    window.show();
    const QPoint start = window.pos();
    const QPoint empty(150, 10);
    SendMouse(bar, QEvent::MouseButtonPress, empty);
    EXPECT_FALSE(bar->Pressed()); // handed to the drag at once
    SendMouse(bar, QEvent::MouseMove, empty + QPoint(30, 20), Qt::NoButton);
    EXPECT_EQ(bar->drags, 1);
    // Without a window-system move the bar moves the window by the mouse.
    EXPECT_EQ(window.pos(), start + QPoint(30, 20));
    SendMouse(bar, QEvent::MouseButtonRelease, empty + QPoint(30, 20), Qt::LeftButton,
              Qt::NoButton);

    window.setWindowState(Qt::WindowMaximized);
    SendMouse(bar, QEvent::MouseButtonPress, empty);
    SendMouse(bar, QEvent::MouseMove, empty + QPoint(30, 20), Qt::NoButton);
    EXPECT_EQ(bar->drags, 1);
    SendMouse(bar, QEvent::MouseButtonRelease, empty, Qt::LeftButton, Qt::NoButton);
}

TEST(TskTitleBar, FileThemeGoneMeansDeepBlue) {
    SkinFormBar s;
    auto* theme = new TskFileTheme;
    s.bar->SetFileTheme(theme);
    s.bar->SetUIStyle(TskUIStyle::FromThemeFile);
    // No file loaded: drawn as DeepBlue, but the style stays as asked.
    EXPECT_EQ(s.bar->UIStyle(), TskUIStyle::FromThemeFile);
    EXPECT_EQ(s.bar->Buttons()->Items(1)->UIStyle(), TskUIStyle::DeepBlue);
    EXPECT_EQ(s.bar->Sections()->Items(0)->Picture().size(), QSize(97, 32));
    delete theme;
    EXPECT_EQ(s.bar->FileTheme(), nullptr);
    EXPECT_EQ(s.bar->UIStyle(), TskUIStyle::DeepBlue);
}
