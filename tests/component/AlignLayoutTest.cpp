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

TEST(AlignLayout, AnchorsKeepTheirEdgesAndAnUnanchoredAxisKeepsItsCentresShare) {
    const QRect r(20, 10, 40, 30);
    const QSize was(200, 100), now(300, 160);
    EXPECT_EQ(A::anchored(A::akLeft | A::akTop, r, was, now), r);
    EXPECT_EQ(A::anchored(A::akRight | A::akBottom, r, was, now), QRect(120, 70, 40, 30));
    EXPECT_EQ(A::anchored(A::akLeft | A::akRight | A::akTop, r, was, now), QRect(20, 10, 140, 30));
    EXPECT_EQ(A::anchored(A::akTop | A::akBottom, r, was, now), QRect(40, 10, 40, 90));
    // Neither side: centre 40 of 200 becomes 60 of 300; 25 of 100 becomes 40 of 160.
    EXPECT_EQ(A::anchored(A::Anchors(), r, was, now), QRect(40, 25, 40, 30));
    // Shrinking past the stretched length leaves it empty, never negative.
    EXPECT_EQ(A::anchored(A::akLeft | A::akRight, r, was, QSize(20, 100)).width(), 0);
    // A container that had no size yet can't scale a centre.
    EXPECT_EQ(A::anchored(A::Anchors(), r, QSize(0, 0), now), r);
}

TEST(AlignLayout, AnchoredChildrenFollowTheirContainersResizes) {
    QWidget box;
    box.resize(200, 100);
    auto* right = new QWidget(&box);
    right->setGeometry(150, 10, 40, 20);
    auto* stretched = new QWidget(&box);
    stretched->setGeometry(10, 40, 180, 20);
    auto* corner = new QWidget(&box);
    corner->setGeometry(170, 80, 20, 10);
    auto* plain = new QWidget(&box);
    plain->setGeometry(5, 5, 10, 10);
    auto* top = new QWidget(&box);
    top->setGeometry(0, 0, 10, 4);
    A::setAlign(top, A::alTop);
    A::setAnchors(right, A::akTop | A::akRight);
    A::setAnchors(stretched, A::akLeft | A::akTop | A::akRight);
    A::setAnchors(corner, A::akRight | A::akBottom);
    EXPECT_EQ(A::anchors(plain), A::akLeft | A::akTop);
    // Anchoring needs nobody to manage the container first. While the box is
    // hidden Qt holds its resize events back; two resizes in a row must not
    // lose the reference.
    box.resize(250, 110);
    box.resize(300, 150);
    box.show();
    EXPECT_EQ(right->geometry(), QRect(250, 10, 40, 20));
    EXPECT_EQ(stretched->geometry(), QRect(10, 40, 280, 20));
    EXPECT_EQ(corner->geometry(), QRect(270, 130, 20, 10));
    EXPECT_EQ(plain->geometry(), QRect(5, 5, 10, 10));
    EXPECT_EQ(top->geometry(), QRect(0, 0, 300, 4));

    // Moved by the program: the new place is the one kept from now on.
    right->move(100, 10);
    box.resize(320, 150);
    EXPECT_EQ(right->geometry(), QRect(120, 10, 40, 20));
    box.resize(300, 150);
    EXPECT_EQ(right->geometry(), QRect(100, 10, 40, 20));

    // Client margins count: the edges kept are the client area's.
    A::setClientMargins(&box, QMargins(0, 0, 10, 0));
    EXPECT_EQ(right->geometry(), QRect(90, 10, 40, 20));
}
