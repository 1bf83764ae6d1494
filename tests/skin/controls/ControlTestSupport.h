#pragma once

// Helpers of the skinned-control tests: real events sent to real widgets,
// and rendered images compared pixel by pixel.

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QTest>
#include <QWidget>
#include <functional>

namespace controltest {

inline void sendMouse(QWidget* target, QEvent::Type type, QPoint at,
                      Qt::MouseButton button = Qt::LeftButton) {
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : button;
    QMouseEvent event(type, at, target->mapToGlobal(at), button, held, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

// What the system delivers for a double click: press, release, double-click, release.
inline void doubleClick(QWidget* target, QPoint at) {
    sendMouse(target, QEvent::MouseButtonPress, at);
    sendMouse(target, QEvent::MouseButtonRelease, at);
    sendMouse(target, QEvent::MouseButtonDblClick, at);
    sendMouse(target, QEvent::MouseButtonRelease, at);
}

inline QImage shot(QWidget* widget) {
    return widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

inline QRgb rgb(const QImage& image, int x, int y) {
    return image.pixel(x, y) & 0xFFFFFF;
}

inline int countColor(const QImage& image, QRgb color) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += rgb(image, x, y) == (color & 0xFFFFFF);
    return n;
}

// The smallest rectangle holding every pixel for which Pick is true.
inline QRect boundsOf(const QImage& image, const std::function<bool(int, int)>& pick) {
    QRect bounds;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (pick(x, y))
                bounds |= QRect(x, y, 1, 1);
    return bounds;
}

// Pixels that differ between two renderings of the same size.
inline QRect diffBounds(const QImage& a, const QImage& b) {
    return boundsOf(a, [&](int x, int y) { return rgb(a, x, y) != rgb(b, x, y); });
}

// A shown, active window, so focus and keys behave as on a desktop.
inline bool activate(QWidget* window) {
    window->show();
    QApplication::setActiveWindow(window);
    return QTest::qWaitForWindowActive(window);
}

// Counts the paint events a widget receives after the posted ones ran.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* widget) : m_widget(widget) { widget->installEventFilter(this); }
    // Paints caused since the last call, once pending updates are delivered.
    int paintsSinceLastCall() {
        QApplication::processEvents();
        const int n = m_paints;
        m_paints = 0;
        return n;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_widget && event->type() == QEvent::Paint)
            ++m_paints;
        return false;
    }

private:
    QWidget* m_widget;
    int m_paints = 0;
};

// A parent that paints one flat colour, to see what shows through.
class SolidWidget : public QWidget {
public:
    explicit SolidWidget(QColor color, QWidget* parent = nullptr)
        : QWidget(parent), m_color(color) {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QColor m_color;
};

} // namespace controltest
