#include "ControlTestSupport.h"

#include "skin/controls/TskButton.h"
#include "skin/controls/TskCheckBox.h"
#include "skin/controls/TskImagePanel.h"
#include "skin/controls/TskRadioButton.h"
#include "skin/menus/TskPopupMenu.h"

#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QLineEdit>
#include <QMetaProperty>
#include <QToolTip>
#include <gtest/gtest.h>

using namespace controltest;

namespace {

// A window with a hint switch of its own, as a form has.
class HintWindow : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool ShowHint MEMBER showHint)
public:
    bool showHint = true;
};

// The tool tip a hint request at the control brings up ("" for none).
QString toolTipFor(QWidget* control) {
    QToolTip::hideText();
    if (!QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 2000))
        return QStringLiteral("(the last tip never went away)");
    QHelpEvent help(QEvent::ToolTip, QPoint(3, 3), control->mapToGlobal(QPoint(3, 3)));
    QApplication::sendEvent(control, &help);
    return QToolTip::isVisible() ? QToolTip::text() : QString();
}

// The properties a class declares below the common ones, in declared order.
QStringList published(const QMetaObject* meta) {
    QStringList names;
    for (int i = TCustomControl::staticMetaObject.propertyCount(); i < meta->propertyCount(); ++i)
        names.append(QLatin1String(meta->property(i).name()));
    return names;
}

// Names of Order that the class declares, kept in Order's sequence.
QStringList inOrder(const QStringList& order, const QStringList& declared) {
    QStringList kept;
    for (const QString& name : order)
        if (declared.contains(name))
            kept.append(name);
    return kept;
}

} // namespace

TEST(TCustomControl, PublishedPropertiesComeInTheirStoredOrder) {
    const QStringList button = {
        "BiDiMode",       "Anchors",           "ParentColor",
        "Font",           "PopupMenu",         "ShowHint",
        "Caption",        "AutoSize",          "Visible",
        "ParentShowHint", "ParentBiDiMode",    "ParentFont",
        "TabStop",        "FileTheme",         "UIStyle",
        "Cancel",         "Default",           "Action",
        "Enabled",        "TabOrder",          "Transparent",
        "ModalResult",    "FocusedRectMargin", "Glyph",
        "Layout",         "Spacing",           "MouseContinuouslyDownInterval",
        "ResHandle"};
    EXPECT_EQ(published(&TskButton::staticMetaObject), button);
    const QStringList box = {
        "UIStyle",     "FileTheme",      "BiDiMode",       "Anchors",    "PopupMenu", "ShowHint",
        "Visible",     "ParentShowHint", "ParentBiDiMode", "ParentFont", "AutoSize",  "Checked",
        "Caption",     "Enabled",        "Font",           "Color",      "TabOrder",  "TabStop",
        "ParentColor", "State",          "Transparent",    "GroupIndex"};
    EXPECT_EQ(published(&TskRadioButton::staticMetaObject), box);
    const QStringList panel = {"BiDiMode",    "BorderWidth", "Anchors",   "Picture",
                               "Transparent", "AutoSize",    "Alignment", "Align",
                               "Font",        "TabStop",     "TabOrder",  "Caption",
                               "Color",       "DrawStyle",   "Visible",   "PopupMenu"};
    EXPECT_EQ(published(&TskImagePanel::staticMetaObject), panel);
    EXPECT_EQ(inOrder(box, published(&TskCheckBox::staticMetaObject)),
              published(&TskCheckBox::staticMetaObject));
}

TEST(TCustomControl, HintsShowUnlessSwitchedOffHereOrInherited) {
    HintWindow window;
    window.resize(200, 100);
    window.setToolTip(QStringLiteral("the window's"));
    auto* b = new TskButton(&window);
    b->SetHint(QStringLiteral("Start the run"));
    ASSERT_TRUE(activate(&window));

    EXPECT_TRUE(b->ParentShowHint());
    EXPECT_EQ(toolTipFor(b), "Start the run");
    // The window switches hints off: the button follows it, and the question
    // goes on to the window, whose own tip shows.
    window.showHint = false;
    EXPECT_FALSE(b->ShowHint());
    EXPECT_EQ(toolTipFor(b), "the window's");
    // A value of its own ends the inheritance.
    b->SetShowHint(true);
    EXPECT_FALSE(b->ParentShowHint());
    EXPECT_EQ(toolTipFor(b), "Start the run");
    b->SetParentShowHint(true);
    EXPECT_EQ(toolTipFor(b), "the window's");
    // Leaving the parent keeps what was shown until then.
    b->SetParentShowHint(false);
    EXPECT_FALSE(b->ShowHint());
    window.showHint = true;
    EXPECT_EQ(toolTipFor(b), "the window's");

    // Showing hints but having none shows nothing, not the parent's.
    auto* box = new TskCheckBox(&window);
    box->move(0, 50);
    box->show();
    EXPECT_TRUE(box->ShowHint());
    EXPECT_EQ(toolTipFor(box), "");
}

TEST(TCustomControl, ContextMenuRequestOpensThePopupMenuOrGoesToTheParent) {
    QWidget window;
    window.resize(300, 200);
    auto* panel = new TskImagePanel(&window);
    panel->setGeometry(0, 0, 300, 200);
    auto* b = new TskButton(panel);
    auto* panelMenu = new TskPopupMenu(&window);
    panelMenu->addAction(QStringLiteral("Panel item"));
    TskPopupMenu buttonMenu(&window);
    buttonMenu.addAction(QStringLiteral("Button item"));
    ASSERT_TRUE(activate(&window));

    auto request = [](QWidget* w) {
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(4, 4),
                                w->mapToGlobal(QPoint(4, 4)));
        QApplication::sendEvent(w, &event);
    };
    b->SetPopupMenu(&buttonMenu);
    panel->SetPopupMenu(panelMenu);
    EXPECT_EQ(b->property("PopupMenu").value<TskPopupMenu*>(), &buttonMenu);
    request(b);
    EXPECT_TRUE(buttonMenu.isVisible());
    EXPECT_FALSE(panelMenu->isVisible());
    EXPECT_EQ(buttonMenu.pos(), b->mapToGlobal(QPoint(4, 4)));
    buttonMenu.hide();

    b->SetPopupMenu(nullptr);
    request(b);
    EXPECT_TRUE(panelMenu->isVisible());
    panelMenu->hide();

    delete panelMenu;
    EXPECT_EQ(panel->PopupMenu(), nullptr);
    request(b); // nothing left to open; must not reach the destroyed menu
}

TEST(TCustomControl, VisibleIsTheControlsOwnFlagAndTabOrderItsPlace) {
    QWidget window; // not shown
    auto* first = new QLineEdit(&window);
    auto* panel = new TskImagePanel(&window);
    auto* b = new TskButton(&window);
    EXPECT_TRUE(b->Visible());
    EXPECT_FALSE(b->isVisible()); // the window is not shown yet
    b->SetVisible(false);
    EXPECT_FALSE(b->Visible());
    b->SetVisible(true);
    EXPECT_TRUE(b->property("Visible").toBool());

    // The skinned controls take their places by themselves: the panel is
    // first (the edit was never enlisted), the button second.
    EXPECT_EQ(panel->TabOrder(), 0);
    EXPECT_EQ(b->TabOrder(), 1);
    auto* inner = new TskCheckBox(panel);
    b->SetTabOrder(0);
    EXPECT_EQ(panel->TabOrder(), 1);
    EXPECT_EQ(b->nextInFocusChain(), inner);
    (void)first;
}

#include "TCustomControlTest.moc"
