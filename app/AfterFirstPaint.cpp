#include "app/AfterFirstPaint.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>

AfterFirstPaint::AfterFirstPaint(QObject* parent, std::function<void()> job)
    : QObject(parent), m_job(std::move(job)) {}

void AfterFirstPaint::run(QWidget* window, std::function<void()> job) {
    window->installEventFilter(new AfterFirstPaint(window, std::move(job)));
}

bool AfterFirstPaint::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Paint) {
        watched->removeEventFilter(this);
        // Posted from the paint, it runs once that frame has been flushed.
        QTimer::singleShot(0, this, [this] {
            m_job();
            deleteLater();
        });
    }
    return false;
}
