#pragma once

#include <QWidget>

// One simple text across the bottom of the window.
class TStatusBar : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString SimpleText READ simpleText WRITE setSimpleText)
public:
    explicit TStatusBar(QWidget* parent = nullptr);

    QString simpleText() const { return m_text; }
    void setSimpleText(const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_text;
};
