#include "ControlTestSupport.h"

#include "skin/controls/TskButton.h"
#include "skin/draw/SkinPainting.h"
#include "skin/draw/TskColor.h"
#include "skin/theme/TskFileTheme.h"
#include "tests/skin/theme/ThemeFileBytes.h"

#include <QAction>
#include <QDialog>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPainter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

using namespace controltest;

namespace {

// The face a button of Size should show for frame N: the style's frame
// stretched with kept corners over the fill colour.
QImage expectedFace(TskUIStyle style, int frame, QSize size, qint32 fill, bool transparent) {
    QImage face;
    GetBuiltinBitmap(style, ThemeKey::ButtonImage, &face, 3, frame);
    QImage image(size, QImage::Format_RGB32);
    image.fill(TskColor::toQColor(fill));
    QPainter p(&image);
    DrawStretchedKeepCorners(face, p, QRect(QPoint(), size), transparent);
    return image;
}

struct Form {
    QWidget window;
    TskButton* button;
    Form() : button(new TskButton(&window)) {
        window.resize(200, 100);
        button->move(10, 10);
    }
};

} // namespace

TEST(TskButton, FaceFrameFollowsPressOverHoverOverNormal) {
    EXPECT_EQ(TskCustomButton::FaceFrameIndex(true, false, false), 1);
    EXPECT_EQ(TskCustomButton::FaceFrameIndex(true, false, true), 2);
    EXPECT_EQ(TskCustomButton::FaceFrameIndex(true, true, true), 3);
    EXPECT_EQ(TskCustomButton::FaceFrameIndex(true, true, false), 3);
    EXPECT_EQ(TskCustomButton::FaceFrameIndex(false, true, true), 1);

    Form f;
    TskButton* b = f.button;
    b->SetUIStyle(TskUIStyle::DeepBlue);
    EXPECT_EQ(b->size(), QSize(80, 27));
    const qint32 fill = b->EffectiveColor();
    EXPECT_EQ(shot(b), expectedFace(TskUIStyle::DeepBlue, 1, b->size(), fill, false));
    QEnterEvent enter(QPointF(3, 3), QPointF(3, 3), QPointF(3, 3));
    QApplication::sendEvent(b, &enter);
    EXPECT_EQ(shot(b), expectedFace(TskUIStyle::DeepBlue, 2, b->size(), fill, false));
    sendMouse(b, QEvent::MouseButtonPress, QPoint(3, 3));
    EXPECT_EQ(shot(b), expectedFace(TskUIStyle::DeepBlue, 3, b->size(), fill, false));
    sendMouse(b, QEvent::MouseButtonRelease, QPoint(3, 3));
    b->setEnabled(false);
    EXPECT_EQ(shot(b), expectedFace(TskUIStyle::DeepBlue, 1, b->size(), fill, false));
}

TEST(TskButton, PressedCaptionMovesOneDownRightAndDisabledOneIsEmbossed) {
    Form f;
    TskButton* b = f.button;
    b->SetUIStyle(TskUIStyle::DeepBlue);
    const QImage bare = shot(b);
    b->SetCaption(QStringLiteral("Begin"));
    const QRect normal = diffBounds(shot(b), bare);
    ASSERT_FALSE(normal.isNull());

    b->SetCaption(QString());
    sendMouse(b, QEvent::MouseButtonPress, QPoint(3, 3));
    const QImage barePressed = shot(b);
    b->SetCaption(QStringLiteral("Begin"));
    EXPECT_EQ(diffBounds(shot(b), barePressed), normal.translated(1, 1));
    sendMouse(b, QEvent::MouseButtonRelease, QPoint(300, 300));

    b->setEnabled(false);
    const QImage disabled = shot(b);
    // Grey where the enabled caption was, white one pixel down-right of it.
    const QRect grey = boundsOf(disabled, [&](int x, int y) {
        return qGray(disabled.pixel(x, y)) < qGray(bare.pixel(x, y)) - 2;
    });
    const QRect white = boundsOf(disabled, [&](int x, int y) {
        return qGray(disabled.pixel(x, y)) > qGray(bare.pixel(x, y)) + 2;
    });
    EXPECT_EQ(grey, normal);
    EXPECT_EQ(white.bottomRight(), normal.bottomRight() + QPoint(1, 1));
    EXPECT_EQ(rgb(disabled, 0, 0), rgb(bare, 0, 0));
}

TEST(TskButton, GlyphLayoutsPlaceGlyphAndCaption) {
    const QSize button(80, 27), text(30, 13), glyph(16, 16);
    struct Case {
        TButtonLayout layout;
        QPoint glyph, caption;
    };
    for (const Case& c : {Case{TButtonLayout::blGlyphLeft, {15, 5}, {35, 7}},
                          Case{TButtonLayout::blGlyphRight, {49, 5}, {15, 7}},
                          Case{TButtonLayout::blGlyphTop, {32, -3}, {25, 17}},
                          Case{TButtonLayout::blGlyphBottom, {32, 14}, {25, -3}}}) {
        const auto p = TskButton::PlaceGlyph(c.layout, button, text, glyph, 4);
        EXPECT_EQ(p.glyph, c.glyph) << int(c.layout);
        EXPECT_EQ(p.caption, c.caption) << int(c.layout);
    }
}

TEST(TskButton, TwoImageGlyphShowsItsLeftHalfEnabledAndRightHalfDisabled) {
    QImage glyph(32, 16, QImage::Format_RGB32);
    glyph.fill(QColor(255, 0, 255));
    QPainter(&glyph).fillRect(QRect(2, 2, 12, 12), QColor(255, 0, 0));
    QPainter(&glyph).fillRect(QRect(18, 2, 12, 12), QColor(0, 160, 0));
    glyph.setPixel(0, 0, qRgb(255, 0, 255));
    EXPECT_TRUE(TskButton::IsTwoImageGlyph(glyph.size()));
    EXPECT_FALSE(TskButton::IsTwoImageGlyph(QSize(16, 16)));

    Form f;
    TskButton* b = f.button;
    b->SetUIStyle(TskUIStyle::WinXP);
    b->SetGlyph(glyph);
    auto count = [](const QImage& image, QRgb color) {
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                n += rgb(image, x, y) == color;
        return n;
    };
    const QImage enabled = shot(b);
    EXPECT_EQ(count(enabled, 0xFF0000), 144);
    EXPECT_EQ(count(enabled, 0x00A000), 0);
    b->setEnabled(false);
    const QImage disabled = shot(b);
    EXPECT_EQ(count(disabled, 0xFF0000), 0);
    EXPECT_EQ(count(disabled, 0x00A000), 144); // drawn as is, not greyed
}

TEST(TskButton, LookWritersRepaintOnAChangeAndOnlyThen) {
    Form f;
    TskButton* b = f.button;
    b->SetUIStyle(TskUIStyle::DeepBlue);
    b->SetCaption(QStringLiteral("Go"));
    QImage glyph(12, 12, QImage::Format_RGB32);
    glyph.fill(QColor(255, 0, 255));
    QPainter(&glyph).fillRect(QRect(2, 2, 8, 8), QColor(200, 0, 0));
    ASSERT_TRUE(activate(&f.window));
    b->setFocus();
    PaintCounter paints(b);
    paints.paintsSinceLastCall();

    // Each writer: the same value again paints nothing; a new one repaints,
    // and the picture shows the new value.
    auto check = [&](const char* what, const std::function<void()>& same,
                     const std::function<void()>& changed) {
        same();
        EXPECT_EQ(paints.paintsSinceLastCall(), 0) << what << " set to the same value";
        const QImage before = shot(b);
        paints.paintsSinceLastCall();
        changed();
        EXPECT_GE(paints.paintsSinceLastCall(), 1) << what << " changed";
        EXPECT_NE(shot(b), before) << what << " changed";
        paints.paintsSinceLastCall(); // grab() paints too
    };
    check(
        "Glyph", [&] { b->SetGlyph(QImage()); }, [&] { b->SetGlyph(glyph); });
    check(
        "Glyph copy", [&] { b->SetGlyph(glyph.copy()); },
        [&] {
            QImage other = glyph;
            QPainter(&other).fillRect(QRect(4, 4, 4, 4), QColor(0, 0, 200));
            b->SetGlyph(other);
        });
    check(
        "Layout", [&] { b->SetLayout(TButtonLayout::blGlyphLeft); },
        [&] { b->SetLayout(TButtonLayout::blGlyphRight); });
    check(
        "Spacing", [&] { b->SetSpacing(4); }, [&] { b->SetSpacing(10); });
    ASSERT_TRUE(b->hasFocus());
    check(
        "FocusedRectMargin", [&] { b->SetFocusedRectMargin(2); },
        [&] { b->SetFocusedRectMargin(5); });
}

TEST(TskButton, FocusMarkIsARectangleOrABoldCaptionByStyle) {
    Form f;
    TskButton* b = f.button;
    auto* other = new QLineEdit(&f.window);
    other->move(120, 10);
    b->SetCaption(QStringLiteral("Begin"));
    ASSERT_TRUE(activate(&f.window));
    other->setFocus();
    QApplication::processEvents();

    b->SetUIStyle(TskUIStyle::DeepBlue);
    const QImage unfocused = shot(b);
    b->setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(b->hasFocus());
    const QImage focused = shot(b);
    // The dotted rectangle runs inset by FocusedRectMargin (2).
    EXPECT_EQ(diffBounds(focused, unfocused), QRect(2, 2, 76, 23));
    EXPECT_NE(rgb(focused, 2, 2), rgb(unfocused, 2, 2));
    EXPECT_EQ(rgb(focused, 3, 2), rgb(unfocused, 3, 2));

    b->SetUIStyle(TskUIStyle::MacOS);
    const QImage bold = shot(b);
    other->setFocus();
    QApplication::processEvents();
    const QImage plain = shot(b);
    const QRect boldInk = diffBounds(bold, plain);
    ASSERT_FALSE(boldInk.isNull());
    EXPECT_GT(boldInk.left(), 5); // the caption changed, no rectangle at the edges

    // Without TabStop no mark, and a press does not take the focus.
    b->SetTabStop(false);
    sendMouse(b, QEvent::MouseButtonPress, QPoint(5, 5));
    sendMouse(b, QEvent::MouseButtonRelease, QPoint(5, 5));
    EXPECT_FALSE(b->hasFocus());
}

TEST(TskButton, HeldButtonRepeatsThenClicksOnceAtRelease) {
    Form f;
    TskButton* b = f.button;
    QSignalSpy repeats(b, &TskCustomButton::OnMouseContinuouslyDown);
    QSignalSpy clicks(b, &TCustomControl::OnClick);
    QElapsedTimer held;
    held.start();
    sendMouse(b, QEvent::MouseButtonPress, QPoint(5, 5));
    QTest::qWait(350);
    const qint64 elapsed = held.elapsed();
    if (elapsed >= 395)
        GTEST_SKIP() << "the machine stalled for " << elapsed << " ms";
    EXPECT_EQ(repeats.count(), 3);
    EXPECT_EQ(clicks.count(), 0);
    sendMouse(b, QEvent::MouseButtonRelease, QPoint(5, 5));
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_FALSE(b->MouseDown());
    QTest::qWait(150);
    EXPECT_EQ(repeats.count(), 3);
}

TEST(TskButton, ReleaseOutsideOrLeavingEndsTheRepeatsWithoutAClick) {
    Form f;
    TskButton* b = f.button;
    QSignalSpy repeats(b, &TskCustomButton::OnMouseContinuouslyDown);
    QSignalSpy clicks(b, &TCustomControl::OnClick);
    b->SetMouseContinuouslyDownInterval(20);
    sendMouse(b, QEvent::MouseButtonPress, QPoint(5, 5));
    QTRY_VERIFY(repeats.count() >= 1);
    sendMouse(b, QEvent::MouseButtonRelease, QPoint(150, 5));
    EXPECT_EQ(clicks.count(), 0);
    const int after = repeats.count();
    QTest::qWait(80);
    EXPECT_EQ(repeats.count(), after);

    // An interval of 0 means no repeats at all (not a busy loop).
    b->SetMouseContinuouslyDownInterval(0);
    repeats.clear();
    sendMouse(b, QEvent::MouseButtonPress, QPoint(5, 5));
    QTest::qWait(60);
    EXPECT_EQ(repeats.count(), 0);
    sendMouse(b, QEvent::MouseButtonRelease, QPoint(5, 5));
    EXPECT_EQ(clicks.count(), 1);
}

TEST(TskButton, DraggedOutWhileHeldTheRepeatsStopAndBackInItHoversAndClicksOnce) {
    Form f;
    TskButton* b = f.button;
    f.window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f.window));
    QSignalSpy repeats(b, &TskCustomButton::OnMouseContinuouslyDown);
    QSignalSpy clicks(b, &TCustomControl::OnClick);
    QSignalSpy exits(b, &TskCustomButton::OnMouseExit);
    b->SetMouseContinuouslyDownInterval(20);
    // As a mouse gives it: moves to the button, press, moves out while held
    // (the toolkit sends no leaving until the release), back in, release.
    QTest::mouseMove(b, QPoint(5, 5));
    QTest::mousePress(b, Qt::LeftButton, {}, QPoint(5, 5));
    QTRY_VERIFY(repeats.count() >= 1);
    QTest::mouseMove(b, QPoint(150, 5));
    EXPECT_FALSE(b->MouseIn());
    EXPECT_FALSE(b->MouseDown());
    EXPECT_EQ(exits.count(), 1);
    const int outside = repeats.count();
    QTest::qWait(80);
    EXPECT_EQ(repeats.count(), outside) << "repeats went on outside the button";
    QTest::mouseMove(b, QPoint(6, 6));
    EXPECT_TRUE(b->MouseIn()); // the hover face, not the normal one
    EXPECT_FALSE(b->MouseDown());
    EXPECT_EQ(TskCustomButton::FaceFrameIndex(true, b->MouseDown(), b->MouseIn()), 2);
    QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(6, 6));
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(b->findChild<QTimer*>(QStringLiteral("MouseRepeatTimer")), nullptr);
    const int released = repeats.count();
    QTest::qWait(80);
    EXPECT_EQ(repeats.count(), released) << "the repeat timer outlived the click";
    // Out once more, released outside: no click, and one exit only.
    QTest::mousePress(b, Qt::LeftButton, {}, QPoint(6, 6));
    QTest::mouseMove(b, QPoint(150, 5));
    QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(150, 5));
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(exits.count(), 2);
}

TEST(TskButton, ReturnGoesToTheDefaultButtonOrTheFocusedOneAndEscapeToCancel) {
    Form f;
    TskButton* ok = f.button;
    auto* other = new TskButton(&f.window);
    other->move(100, 10);
    auto* edit = new QLineEdit(&f.window);
    edit->move(10, 60);
    ok->SetDefault(true);
    other->SetCancel(true);
    QSignalSpy okClicks(ok, &TCustomControl::OnClick);
    QSignalSpy otherClicks(other, &TCustomControl::OnClick);
    ASSERT_TRUE(activate(&f.window));
    edit->setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(edit->hasFocus());

    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(okClicks.count(), 1);
    QTest::keyClick(edit, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(okClicks.count(), 1);
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_EQ(otherClicks.count(), 1);

    // A focused skinned button answers Return itself.
    other->setFocus();
    QApplication::processEvents();
    EXPECT_FALSE(ok->Active());
    QTest::keyClick(other, Qt::Key_Return);
    EXPECT_EQ(otherClicks.count(), 2);
    EXPECT_EQ(okClicks.count(), 1);
    edit->setFocus();
    QApplication::processEvents();
    EXPECT_TRUE(ok->Active());
    // Space on a focused button presses it until the key comes up; held
    // Ctrl or Alt make no difference. Each key that types a character gives
    // OnKeyDown, then OnKeyPress.
    ok->setFocus();
    QSignalSpy keyDowns(ok, &TCustomControl::OnKeyDown);
    QSignalSpy keyPresses(ok, &TCustomControl::OnKeyPress);
    QTest::keyPress(ok, Qt::Key_Space);
    EXPECT_TRUE(ok->MouseDown());
    QTest::keyRelease(ok, Qt::Key_Space);
    EXPECT_EQ(okClicks.count(), 2);
    QTest::keyClick(ok, Qt::Key_Space, Qt::ControlModifier);
    QTest::keyClick(ok, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(okClicks.count(), 4);
    EXPECT_EQ(keyDowns.count(), 5); // Ctrl goes down twice as well
    EXPECT_EQ(keyPresses.count(), 3);
    QTest::keyClick(ok, Qt::Key_Shift); // types nothing
    EXPECT_EQ(keyDowns.count(), 6);
    EXPECT_EQ(keyPresses.count(), 3);
}

TEST(TskButton, AltAcceleratorClicksOnlyAnEnabledButton) {
    Form f;
    TskButton* b = f.button;
    auto* edit = new QLineEdit(&f.window);
    edit->move(10, 60);
    b->SetCaption(QStringLiteral("&Start"));
    QSignalSpy clicks(b, &TCustomControl::OnClick);
    ASSERT_TRUE(activate(&f.window));
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_S, Qt::AltModifier);
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_TRUE(edit->text().isEmpty()); // the accelerator is not typed into the edit
    QTest::keyClick(edit, Qt::Key_X, Qt::AltModifier);
    EXPECT_EQ(clicks.count(), 1);
    b->setEnabled(false);
    QTest::keyClick(edit, Qt::Key_S, Qt::AltModifier);
    EXPECT_EQ(clicks.count(), 1);
    // "&&" is a literal ampersand, not an accelerator.
    b->setEnabled(true);
    b->SetCaption(QStringLiteral("Fish && &Chips"));
    QTest::keyClick(edit, Qt::Key_C, Qt::AltModifier);
    EXPECT_EQ(clicks.count(), 2);
    b->SetCaption(QStringLiteral("Fish && Chips"));
    QTest::keyClick(edit, Qt::Key_C, Qt::AltModifier);
    EXPECT_EQ(clicks.count(), 2);
}

TEST(TskButton, StyleSetsTransparencyAndAutoSizeTakesOneFrameOfTheStrip) {
    TskButton b;
    b.SetUIStyle(TskUIStyle::MacOS);
    EXPECT_TRUE(b.Transparent());
    EXPECT_TRUE(b.FaceTransparent());
    b.SetUIStyle(TskUIStyle::WinXP);
    EXPECT_FALSE(b.Transparent());
    b.SetUIStyle(TskUIStyle::MacOS);
    b.SetAutoSize(true);
    EXPECT_EQ(b.size(), QSize(84, 23));
    b.SetUIStyle(TskUIStyle::WinXP);
    EXPECT_EQ(b.size(), QSize(84, 23)); // a later style change does not resize
    b.SetAutoSize(true);
    EXPECT_EQ(b.size(), QSize(18, 21));
    b.SetUIStyle(TskUIStyle::FromThemeFile);
    b.SetAutoSize(true);
    EXPECT_EQ(b.size(), QSize(24, 21));
    // Loading ends with the size as loaded: only the writer auto-sizes.
    b.resize(100, 40);
    b.Loaded();
    EXPECT_EQ(b.size(), QSize(100, 40));
    b.setProperty("ResHandle", 1234u);
    EXPECT_EQ(b.property("ResHandle").toUInt(), 0u);
}

TEST(TskButton, TransparentMacFaceShowsTheParentInItsCorners) {
    SolidWidget parent(QColor(0, 200, 0));
    parent.resize(120, 60);
    auto* b = new TskButton(&parent);
    b->SetUIStyle(TskUIStyle::MacOS);
    const QImage image = shot(b);
    EXPECT_EQ(rgb(image, 0, 0), 0x00C800u);
    EXPECT_EQ(rgb(image, 79, 26), 0x00C800u);
    EXPECT_NE(rgb(image, 40, 13), 0x00C800u);
}

TEST(TskButton, RemovedFileThemeFallsBackToDeepBlue) {
    TskButton b;
    auto* theme = new TskFileTheme;
    b.SetFileTheme(theme);
    b.SetUIStyle(TskUIStyle::WinXP);
    delete theme;
    EXPECT_EQ(b.FileTheme(), nullptr);
    EXPECT_EQ(b.UIStyle(), TskUIStyle::DeepBlue);
}

TEST(TskButton, AFaceThatCannotBeHadIsBlank) {
    // A theme whose button picture does not decode.
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("broken.vsk"));
    skintest::ThemeFileBytes bytes;
    bytes.entry(skintest::rec(0), "ButtonImage", 0, 400, 4, skintest::rec(1))
        .entry(skintest::rec(1), "End", 0, 0, 0, 0)
        .put(400, "BMxx");
    ASSERT_TRUE(bytes.save(file));
    Form f;
    TskButton* b = f.button;
    auto* theme = new TskFileTheme(&f.window);
    theme->SetThemeFile(file);
    ASSERT_TRUE(theme->IsThemeLoaded());
    b->SetFileTheme(theme);
    b->SetUIStyle(TskUIStyle::FromThemeFile);
    b->SetTransparent(false);
    b->SetCaption(QString());
    ASSERT_NE(b->EffectiveColor() & 0xFFFFFF, 0xFFFFFF);
    // The blank frame stretched over the face: white, not the button's colour.
    const QImage image = shot(b);
    EXPECT_EQ(countColor(image, qRgb(255, 255, 255)), b->width() * b->height());

    // A theme without a button picture is no error: the face is empty and
    // the button shows its colour.
    const QString plain = dir.filePath(QStringLiteral("plain.vsk"));
    skintest::ThemeFileBytes without;
    without.entry(skintest::rec(0), "FormBorderColor", 1, 400, 4, skintest::rec(1))
        .entry(skintest::rec(1), "End", 0, 0, 0, 0)
        .put(400, skintest::ThemeFileBytes::int32(0x030201));
    ASSERT_TRUE(without.save(plain));
    theme->SetThemeFile(plain);
    ASSERT_TRUE(theme->IsThemeLoaded());
    const QRgb own = TskColor::toQColor(b->EffectiveColor()).rgb();
    EXPECT_EQ(countColor(shot(b), own), b->width() * b->height());
}

TEST(TskButton, ClickHandsTheModalResultToTheDialog) {
    QDialog dialog;
    auto* b = new TskButton(&dialog);
    b->SetModalResult(QDialog::Accepted + 5);
    dialog.show();
    b->Click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted + 5);
    EXPECT_FALSE(dialog.isVisible());
    // Without a parent form the click still happens.
    TskButton lone;
    QSignalSpy clicks(&lone, &TCustomControl::OnClick);
    lone.SetModalResult(2);
    lone.Click();
    EXPECT_EQ(clicks.count(), 1);
}

namespace {

// A 16 x 16 icon, open except for a square of Fill with a 2 x 2 spot of Spot.
QIcon squareIcon(QColor fill, QColor spot) {
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.fillRect(QRect(4, 4, 8, 8), fill);
    p.fillRect(QRect(6, 6, 2, 2), spot);
    p.end();
    return QIcon(QPixmap::fromImage(image));
}

} // namespace

TEST(TskButton, LinkedActionGivesCaptionStateHintAndGlyphAndFollowsItsChanges) {
    Form f;
    TskButton* b = f.button;
    b->SetUIStyle(TskUIStyle::WinXP);
    QAction action(QStringLiteral("&Start"), &f.window);
    action.setToolTip(QStringLiteral("Convert the folder"));
    action.setIcon(squareIcon(QColor(201, 13, 17), QColor(0, 0, 0)));
    b->SetCaption(QStringLiteral("Old"));
    b->SetAction(&action);
    EXPECT_EQ(b->Action(), &action);
    EXPECT_EQ(b->Caption(), "&Start");
    EXPECT_EQ(b->Hint(), "Convert the folder");
    EXPECT_EQ(b->Glyph().size(), QSize(16, 16));
    QImage image = shot(b);
    // The icon's open pixels stay open; its black spot is not taken for them.
    EXPECT_EQ(countColor(image, qRgb(201, 13, 17)), 60);
    const QRect square =
        boundsOf(image, [&](int x, int y) { return rgb(image, x, y) == 0xC90D11; });
    EXPECT_EQ(square.size(), QSize(8, 8));
    EXPECT_EQ(countColor(image.copy(square), qRgb(0, 0, 0)), 4);

    action.setEnabled(false);
    EXPECT_FALSE(b->isEnabled());
    EXPECT_EQ(countColor(shot(b), qRgb(201, 13, 17)), 0); // greyed
    action.setEnabled(true);
    EXPECT_TRUE(b->isEnabled());
    action.setVisible(false);
    EXPECT_FALSE(b->isVisibleTo(&f.window));
    action.setVisible(true);
    EXPECT_TRUE(b->isVisibleTo(&f.window));

    // The button's own value holds until the action changes again.
    b->SetCaption(QStringLiteral("Mine"));
    EXPECT_EQ(b->Caption(), "Mine");
    action.setText(QStringLiteral("&Go"));
    EXPECT_EQ(b->Caption(), "&Go");
    // The action's picture was copied into the empty glyph once: the glyph
    // is the button's own now and does not follow the icon.
    action.setIcon(squareIcon(QColor(13, 201, 17), QColor(13, 201, 17)));
    EXPECT_EQ(countColor(shot(b), qRgb(13, 201, 17)), 0);
    EXPECT_EQ(countColor(shot(b), qRgb(201, 13, 17)), 60);

    // A glyph of the button's own is never replaced by the action's icon.
    TskButton own(&f.window);
    QImage glyph(12, 12, QImage::Format_RGB32);
    glyph.fill(QColor(255, 0, 255));
    own.SetGlyph(glyph);
    own.SetAction(&action);
    EXPECT_EQ(own.Glyph(), glyph);
    action.setIcon(squareIcon(QColor(1, 2, 3), QColor(1, 2, 3)));
    EXPECT_EQ(own.Glyph(), glyph);
}

TEST(TskButton, ClickTriggersTheLinkedActionOnceInsteadOfOnClick) {
    Form f;
    TskButton* b = f.button;
    QAction action(QStringLiteral("Run"), &f.window);
    b->SetAction(&action);
    QSignalSpy triggered(&action, &QAction::triggered);
    QSignalSpy clicks(b, &TCustomControl::OnClick);
    sendMouse(b, QEvent::MouseButtonPress, QPoint(3, 3));
    sendMouse(b, QEvent::MouseButtonRelease, QPoint(3, 3));
    EXPECT_EQ(triggered.count(), 1);
    EXPECT_EQ(clicks.count(), 0) << "the action answers the click, not OnClick as well";
    // Released elsewhere: no click, no action.
    sendMouse(b, QEvent::MouseButtonPress, QPoint(3, 3));
    sendMouse(b, QEvent::MouseButtonRelease, QPoint(300, 3));
    EXPECT_EQ(triggered.count(), 1);
    // Unlinked, the click is OnClick's again.
    b->SetAction(nullptr);
    b->Click();
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(triggered.count(), 1);
}

TEST(TskButton, ClearedOrDestroyedActionLeavesNoLink) {
    Form f;
    TskButton* b = f.button;
    QAction kept(QStringLiteral("Kept"));
    b->SetAction(&kept);
    b->SetAction(nullptr);
    QSignalSpy triggered(&kept, &QAction::triggered);
    kept.setText(QStringLiteral("Changed"));
    kept.setEnabled(false);
    EXPECT_EQ(b->Caption(), "Kept");
    EXPECT_TRUE(b->isEnabled());
    b->Click();
    EXPECT_EQ(triggered.count(), 0);

    auto* gone = new QAction(QStringLiteral("Gone"));
    b->SetAction(gone);
    delete gone;
    EXPECT_EQ(b->Action(), nullptr);
    EXPECT_EQ(b->property("Action").value<QAction*>(), nullptr);
    b->Click(); // must not reach the destroyed action
    EXPECT_EQ(b->Caption(), "Gone");
}
