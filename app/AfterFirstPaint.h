#pragma once

#include <QObject>
#include <functional>

class QWidget;

// Runs a job once a window's first paint has gone to the screen: for work
// the window can show without, which would otherwise delay its first frame.
class AfterFirstPaint : public QObject {
public:
    static void run(QWidget* window, std::function<void()> job);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    AfterFirstPaint(QObject* parent, std::function<void()> job);
    std::function<void()> m_job;
};
