#pragma once

#include <QList>
#include <QObject>
#include <QRect>
#include <QString>

class QWidget;

// Edge alignment of child controls: top-aligned controls stack down from the
// top, bottom-aligned ones up from the bottom, then left, right, and one
// client control takes what is left. Containers re-arrange on every resize.
class AlignLayout : public QObject {
    Q_OBJECT
public:
    enum Align { alNone, alTop, alBottom, alLeft, alRight, alClient };
    Q_ENUM(Align)

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
};
