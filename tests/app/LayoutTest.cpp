#include "app/LayoutLoader.h"
#include "app/LayoutReader.h"
#include "component/ComponentState.h"
#include "component/LayoutCollection.h"
#include "skin/controls/TskButton.h"
#include "skin/controls/TskCheckBox.h"
#include "skin/controls/TskImagePanel.h"
#include "skin/menus/TskPopupMenu.h"

#include <QAction>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

// A writer that derives another value, as skinned components do when their
// style changes: the stored order decides which value survives.
class Derived : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString Style READ style WRITE setStyle)
    Q_PROPERTY(int Color READ color WRITE setColor)
    Q_PROPERTY(Mode Kind MEMBER kind)
    Q_PROPERTY(LayoutCollection Items MEMBER items)
    Q_PROPERTY(QString Text MEMBER text)
public:
    enum Mode { mdOne, mdTwo };
    Q_ENUM(Mode)
    using QWidget::QWidget;
    QString style() const { return m_style; }
    void setStyle(const QString& s) {
        m_style = s;
        m_color = s == "Dark" ? 1 : 2;
        writes.append("Style");
    }
    int color() const { return m_color; }
    void setColor(int c) {
        m_color = c;
        writes.append("Color");
        loadingWhenWritten = ComponentState::isLoading(this);
    }
    Q_INVOKABLE void Loaded() { loadedCalls++; }
    QString m_style;
    int m_color = 0;
    Mode kind = mdOne;
    LayoutCollection items;
    QString text;
    QStringList writes;
    bool loadingWhenWritten = false;
    int loadedCalls = 0;
signals:
    void OnPing();
};

class Root : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
    int pings = 0;
public slots:
    void handlePing() { ++pings; }
};

ComponentRegistry registry() {
    ComponentRegistry r;
    r.add<Derived>("TDerived");
    r.add<QLineEdit>("TEdit");
    r.add<QPushButton>("TButton");
    return r;
}

const char* const kLayout = R"(object R: Root
  ClientWidth = 300
  ClientHeight = 200
  // a comment line
  object a: TDerived
    Left = 5
    Top = 6
    Width = 70
    Height = 20
    Style = Dark
    Color = 7
    Kind = mdTwo
    Text = 'it''s ' +
      'joined'
    Items = <
      item
        Width = 3
        Name = 'x'
      end
      item
      end>
    OnPing = handlePing
    object e2: TEdit
      TabOrder = 1
    end
    object e1: TEdit
      TabOrder = 0
    end
  end
  object b: TDerived
    Color = 7
    Style = Dark
    Text = '$(HOME)/html'
  end
end
)";

} // namespace

TEST(Layout, StoredOrderDecidesWhichWriterWins) {
    Root root;
    LayoutLoader(registry()).load(&root, LayoutReader::parse(kLayout, "t.layout"), "t.layout");
    auto* a = root.findChild<Derived*>("a");
    auto* b = root.findChild<Derived*>("b");
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->color(), 7); // Color after Style: the stored colour stays
    EXPECT_EQ(b->color(), 1); // Style after Color: the style's colour wins
    EXPECT_EQ(a->writes, QStringList({"Style", "Color"}));
    EXPECT_EQ(a->geometry(), QRect(5, 6, 70, 20));
    EXPECT_EQ(a->kind, Derived::mdTwo);
    EXPECT_EQ(a->text, "it's joined");
    EXPECT_EQ(b->text, QDir::homePath() + "/html");
    EXPECT_EQ(root.size(), QSize(300, 200));
    ASSERT_EQ(a->items.size(), 2);
    ASSERT_EQ(a->items[0].properties.size(), 2);
    EXPECT_EQ(a->items[0].properties[0].first, "Width");
    EXPECT_EQ(a->items[0].properties[0].second.toInt(), 3);
    EXPECT_EQ(a->items[0].properties[1].second.toString(), "x");
    EXPECT_TRUE(a->items[1].properties.isEmpty());
}

TEST(Layout, ComponentsKnowTheyAreLoadingUntilLoadedRuns) {
    Root root;
    LayoutLoader(registry()).load(&root, LayoutReader::parse(kLayout, "t.layout"), "t.layout");
    auto* a = root.findChild<Derived*>("a");
    EXPECT_TRUE(a->loadingWhenWritten);
    EXPECT_FALSE(ComponentState::isLoading(a));
    EXPECT_EQ(a->loadedCalls, 1);
}

TEST(Layout, EventsReachTheRootsHandlerAndTabOrderFollowsStoredOrder) {
    Root root;
    LayoutLoader(registry()).load(&root, LayoutReader::parse(kLayout, "t.layout"), "t.layout");
    auto* a = root.findChild<Derived*>("a");
    emit a->OnPing();
    emit a->OnPing();
    EXPECT_EQ(root.pings, 2);
    auto* e1 = root.findChild<QLineEdit*>("e1");
    auto* e2 = root.findChild<QLineEdit*>("e2");
    QStringList chain;
    for (QWidget* w = root.nextInFocusChain(); w != &root; w = w->nextInFocusChain())
        if (qobject_cast<QLineEdit*>(w))
            chain.append(w->objectName());
    EXPECT_EQ(chain, QStringList({"e1", "e2"}));
    (void)e1;
    (void)e2;
}

TEST(Layout, FaultsNameFileAndLine) {
    Root root;
    const LayoutLoader loader(registry());
    auto errorOf = [&](const char* text) -> std::pair<int, QString> {
        try {
            LayoutLoader(registry()).load(&root, LayoutReader::parse(text, "w.layout"), "w.layout");
        } catch (const LayoutError& e) {
            EXPECT_EQ(e.file, "w.layout");
            return {e.line, e.message};
        }
        return {-1, QString()};
    };
    EXPECT_EQ(errorOf("object R: Root\n  object x: TNope\n  end\nend").first, 2);
    auto [line, message] =
        errorOf("object R: Root\n  object x: TDerived\n\n    Colour = 3\n  end\nend");
    EXPECT_EQ(line, 4);
    EXPECT_TRUE(message.contains("Colour"));
    EXPECT_EQ(errorOf("object R: Root\n  object x: TDerived\n    Color = 'red'\n  end\nend").first,
              3);
    EXPECT_EQ(errorOf("object R: Root\n  object x: TDerived\n    Kind = mdThree\n  end\nend").first,
              3);
    EXPECT_EQ(
        errorOf("object R: Root\n  object x: TDerived\n    OnPing = nobody\n  end\nend").first, 3);
    EXPECT_EQ(errorOf("object R: Root\n  Caption = 'open\nend").first, 2);
    EXPECT_EQ(errorOf("object R: Root\n  object x: TDerived\n").first, 3);
    EXPECT_EQ(errorOf("object R: Other\nend").first, 1);
    EXPECT_EQ(errorOf("object R: Root\n  Align = alMiddle\nend").first, 2);
    EXPECT_EQ(errorOf("object R: Root\nend\nextra").first, 3);
}

namespace {

ComponentRegistry skinRegistry() {
    ComponentRegistry r;
    r.add<TskImagePanel>("TskImagePanel");
    r.add<TskButton>("TskButton");
    r.add<TskCheckBox>("TskCheckBox");
    r.add<TskPopupMenu>("TskPopupMenu");
    r.add("TAction", [](QWidget* parent) -> QObject* { return new QAction(parent); });
    return r;
}

const char* const kSkinLayout = R"(object R: Root
  ClientWidth = 300
  ClientHeight = 200
  object pmPanel: TskPopupMenu
  end
  object pmButton: TskPopupMenu
  end
  object pnl: TskImagePanel
    Left = 0
    Top = 0
    Width = 300
    Height = 100
    Anchors = [akLeft, akTop, akRight]
    TabOrder = 1
    Visible = true
    PopupMenu = pmPanel
    object btn: TskButton
      Left = 200
      Top = 10
      Width = 80
      Height = 27
      Anchors = [akTop, akRight]
      PopupMenu = pmButton
      ShowHint = true
      Action = acStart
      TabOrder = 1
    end
    object box: TskCheckBox
      Left = 10
      Top = 10
      Anchors = []
      PopupMenu = nil
      ShowHint = false
      Visible = false
      ParentShowHint = false
      TabOrder = 0
    end
  end
  object pnl2: TskImagePanel
    Left = 0
    Top = 100
    Width = 300
    Height = 100
    TabOrder = 0
    Visible = false
  end
  object acStart: TAction
    Text = 'Start'
    ToolTip = 'Convert'
  end
end
)";

} // namespace

TEST(Layout, SkinnedControlsTakeAnchorsMenusHintsPlacesAndActionsFromTheLayout) {
    Root root;
    LayoutLoader(skinRegistry())
        .load(&root, LayoutReader::parse(kSkinLayout, "s.layout"), "s.layout");
    auto* pnl = root.findChild<TskImagePanel*>("pnl");
    auto* pnl2 = root.findChild<TskImagePanel*>("pnl2");
    auto* btn = root.findChild<TskButton*>("btn");
    auto* box = root.findChild<TskCheckBox*>("box");
    ASSERT_TRUE(pnl && pnl2 && btn && box);

    EXPECT_EQ(pnl->PopupMenu(), root.findChild<TskPopupMenu*>("pmPanel"));
    EXPECT_EQ(btn->PopupMenu(), root.findChild<TskPopupMenu*>("pmButton"));
    EXPECT_EQ(box->PopupMenu(), nullptr);
    // The action is named before it exists in the layout.
    EXPECT_EQ(btn->Action(), root.findChild<QAction*>("acStart"));
    EXPECT_EQ(btn->Caption(), "Start");
    EXPECT_EQ(btn->Hint(), "Convert");

    EXPECT_TRUE(btn->ShowHint());
    EXPECT_FALSE(btn->ParentShowHint());
    EXPECT_FALSE(box->ShowHint());
    EXPECT_FALSE(box->ParentShowHint());
    EXPECT_TRUE(pnl->Visible());
    EXPECT_FALSE(pnl2->Visible());
    EXPECT_FALSE(box->Visible());

    EXPECT_EQ(pnl2->TabOrder(), 0);
    EXPECT_EQ(pnl->TabOrder(), 1);
    EXPECT_EQ(box->TabOrder(), 0);
    EXPECT_EQ(btn->TabOrder(), 1);

    EXPECT_EQ(box->Anchors(), AlignLayout::Anchors());
    EXPECT_EQ(btn->Anchors(), AlignLayout::akTop | AlignLayout::akRight);
    root.show();
    root.resize(400, 200);
    EXPECT_EQ(pnl->geometry(), QRect(0, 0, 400, 100));
    EXPECT_EQ(btn->geometry(), QRect(300, 10, 80, 27));
}

TEST(Layout, BadSetsAndReferencesNameTheirLine) {
    Root root;
    auto lineOf = [&](const QString& body) {
        const QString text = "object R: Root\n  object pm: TskPopupMenu\n  end\n"
                             "  object b: TskButton\n" +
                             body + "  end\nend\n";
        try {
            LayoutLoader(skinRegistry())
                .load(&root, LayoutReader::parse(text, "b.layout"), "b.layout");
        } catch (const LayoutError& e) {
            return e.line;
        }
        return -1;
    };
    EXPECT_EQ(lineOf("    Anchors = [akLeft, akMiddle]\n"), 5);
    EXPECT_EQ(lineOf("    Left = 1\n    PopupMenu = nobody\n"), 6);
    EXPECT_EQ(lineOf("    Action = pm\n"), 5); // a menu is no action
    EXPECT_EQ(lineOf("    Anchors = []\n    PopupMenu = pm\n"), -1);
}

TEST(Layout, AMissingFileIsALayoutError) {
    EXPECT_THROW(LayoutReader::readFile("/nonexistent/x.layout"), LayoutError);
}

#include "LayoutTest.moc"
