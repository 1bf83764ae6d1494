#include "component/AlignLayout.h"

#include <QWidget>
#include <gtest/gtest.h>

using A = AlignLayout;

TEST(AlignLayout, TopsStackThenBottomsThenLeftThenClientTakesTheRest) {
    // The main window's arrangement: title strip margin, banner, input row,
    // folder list on the left, status bar at the bottom, log fills the rest.
    const QList<A::Item> items = {
        {A::alTop, QRect(0, 121, 825, 52)}, // input row, stored second
        {A::alTop, QRect(0, 20, 825, 101)}, // banner
        {A::alLeft, QRect(0, 173, 273, 284)},  {A::alClient, QRect(273, 173, 552, 284)},
        {A::alBottom, QRect(0, 457, 825, 19)}, {A::alNone, QRect(5, 5, 10, 10)},
    };
    const auto placed = A::arrange(QRect(0, 20, 825, 456), items);
    EXPECT_EQ(placed[1], QRect(0, 20, 825, 101));
    EXPECT_EQ(placed[0], QRect(0, 121, 825, 52));
    EXPECT_EQ(placed[4], QRect(0, 457, 825, 19));
    EXPECT_EQ(placed[2], QRect(0, 173, 273, 284));
    EXPECT_EQ(placed[3], QRect(273, 173, 552, 284));
    EXPECT_EQ(placed[5], QRect(5, 5, 10, 10));
}

TEST(AlignLayout, ShrinkingBelowTheEdgesLeavesEmptyRectanglesNotNegativeOnes) {
    const auto placed = A::arrange(QRect(0, 0, 50, 30), {{A::alTop, QRect(0, 0, 10, 40)},
                                                         {A::alLeft, QRect(0, 0, 80, 10)},
                                                         {A::alRight, QRect(0, 0, 5, 10)},
                                                         {A::alClient, QRect()}});
    EXPECT_EQ(placed[0], QRect(0, 0, 50, 40));
    EXPECT_GE(placed[1].height(), 0);
    EXPECT_GE(placed[3].width(), 0);
    EXPECT_GE(placed[3].height(), 0);
}

TEST(AlignLayout, ManagedContainerFollowsResizes) {
    QWidget box;
    box.resize(200, 100);
    auto* top = new QWidget(&box);
    top->setGeometry(0, 0, 10, 30);
    auto* client = new QWidget(&box);
    A::setAlign(top, A::alTop);
    A::setAlign(client, A::alClient);
    A::manage(&box);
    box.show();
    EXPECT_EQ(top->geometry(), QRect(0, 0, 200, 30));
    EXPECT_EQ(client->geometry(), QRect(0, 30, 200, 70));
    box.resize(300, 200);
    EXPECT_EQ(client->geometry(), QRect(0, 30, 300, 170));
    A::setClientMargins(&box, QMargins(3, 20, 3, 3));
    EXPECT_EQ(top->geometry(), QRect(3, 20, 294, 30));
    bool ok = true;
    EXPECT_EQ(A::fromName("alBottom", &ok), A::alBottom);
    EXPECT_TRUE(ok);
    A::fromName("bottom", &ok);
    EXPECT_FALSE(ok);
}
