#include "component/TabChain.h"

#include <QApplication>
#include <QLineEdit>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

// The focusable widgets below Window in the order Tab visits them.
QStringList tabVisits(QWidget* window) {
    QStringList names;
    for (QWidget* w = window->nextInFocusChain(); w != window; w = w->nextInFocusChain())
        if (w->focusPolicy() & Qt::TabFocus && !w->objectName().isEmpty())
            names.append(w->objectName());
    return names;
}

QLineEdit* edit(QWidget* parent, const char* name) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(name));
    TabChain::enlist(e);
    return e;
}

} // namespace

TEST(TabChain, APlaceInTheParentsOrderMovesTheControlAndItsChildrenInTheChain) {
    QWidget window;
    QLineEdit* a = edit(&window, "a");
    auto* panel = new QWidget(&window); // takes no focus; its edits follow its place
    TabChain::enlist(panel);
    QLineEdit* p1 = edit(panel, "p1");
    edit(panel, "p2");
    QLineEdit* b = edit(&window, "b");
    TabChain::link(&window);
    EXPECT_EQ(tabVisits(&window), QStringList({"a", "p1", "p2", "b"}));
    EXPECT_EQ(TabChain::order(a), 0);
    EXPECT_EQ(TabChain::order(panel), 1);
    EXPECT_EQ(TabChain::order(b), 2);

    TabChain::setOrder(panel, 0);
    EXPECT_EQ(tabVisits(&window), QStringList({"p1", "p2", "a", "b"}));
    TabChain::setOrder(b, 1);
    EXPECT_EQ(tabVisits(&window), QStringList({"p1", "p2", "b", "a"}));
    // A place past the end, or a negative one, means the end.
    TabChain::setOrder(panel, 99);
    EXPECT_EQ(TabChain::order(panel), 2);
    TabChain::setOrder(b, -1);
    EXPECT_EQ(TabChain::order(b), 2);
    EXPECT_EQ(tabVisits(&window), QStringList({"a", "p1", "p2", "b"}));
    TabChain::setOrder(p1, 1);
    EXPECT_EQ(tabVisits(&window), QStringList({"a", "p2", "p1", "b"}));

    // Moved to another parent, a control joins the end of that one's order.
    p1->setParent(&window);
    TabChain::enlist(p1);
    EXPECT_EQ(TabChain::order(p1), 3);
    EXPECT_EQ(TabChain::controls(panel).size(), 1);
    EXPECT_EQ(TabChain::order(&window), -1);
}

TEST(TabChain, StoredPlacesSettleOnceAllControlsExist) {
    QWidget window;
    QLineEdit* c = edit(&window, "c");
    QLineEdit* a = edit(&window, "a");
    QLineEdit* free = edit(&window, "free");
    QLineEdit* b = edit(&window, "b");
    TabChain::setStoredOrder(c, 2);
    TabChain::setStoredOrder(a, 0);
    TabChain::setStoredOrder(b, 1);
    TabChain::settle(&window);
    EXPECT_EQ(tabVisits(&window), QStringList({"a", "b", "c", "free"}));
    EXPECT_EQ(TabChain::order(free), 3);
}
