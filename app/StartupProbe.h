#pragma once

#include <QObject>

class QWidget;

// For the start-up benchmark: when the window has painted for the first time,
// prints the monotonic clock in seconds on standard output and quits.
class StartupProbe : public QObject {
    Q_OBJECT
public:
    static void install(QWidget* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using QObject::QObject;
};
