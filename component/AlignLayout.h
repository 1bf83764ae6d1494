#pragma once

#include <QList>
#include <QObject>
#include <QRect>
#include <QString>

class QWidget;

// Edge alignment of child controls: top-aligned controls stack down from the
// top, bottom-aligned ones up from the bottom, then left, right, and one
// client control takes what is left. Containers re-arrange on every resize.
//
// Controls that are not aligned keep their anchors instead: the edges they
// are anchored to keep their distance to the same edges of the container's
// client area, so a control anchored left and right stretches with it, one
// anchored right only moves with the right edge, and one anchored to neither
// side keeps its centre at the same share of the container's width.
class AlignLayout : public QObject {
    Q_OBJECT
public:
    enum Align { alNone, alTop, alBottom, alLeft, alRight, alClient };
    Q_ENUM(Align)
    enum Anchor { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };
    Q_DECLARE_FLAGS(Anchors, Anchor)
    Q_FLAG(Anchors)

    struct Item {
        Align align = alNone;
        QRect rect;
    };

    // Pure placement: the new rectangle of every item, in input order.
    // Within one alignment, items keep their order by position (top ones by
    // top, bottom ones by bottom descending, and so on), ties by input order.
    static QList<QRect> arrange(const QRect& client, const QList<Item>& items);

    static Align fromName(const QString& name, bool* ok = nullptr);

    static void setAlign(QWidget* control, Align align);
    static Align align(const QWidget* control);

    // Pure anchoring: where a control that stood at Original while the
    // container's client area had the size OriginalClient goes when that
    // area has the size Client.
    static QRect anchored(Anchors anchors, const QRect& original, QSize originalClient,
                          QSize client);

    // Anchors of a control ([akLeft, akTop] unless set). Setting them takes
    // the control's place in its container as the one to keep.
    static void setAnchors(QWidget* control, Anchors anchors);
    static Anchors anchors(const QWidget* control);

    // Places the aligned children of `container` now, and again whenever the
    // container changes size or gains or loses a child.
    static void manage(QWidget* container);
    static void realign(QWidget* container);

    // The client rectangle of a container can be inset (a frame, a title bar
    // drawn without a child widget): children are aligned inside it.
    static void setClientMargins(QWidget* container, const QMargins& margins);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static AlignLayout* filter();
    static void placeAnchored(QWidget* control, const QRect& client);
};

Q_DECLARE_OPERATORS_FOR_FLAGS(AlignLayout::Anchors)
