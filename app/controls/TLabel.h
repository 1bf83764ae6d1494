#pragma once

#include <QLabel>

// A caption that sizes itself to its text and shows its parent through.
class TLabel : public QLabel {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ text WRITE setCaption)
    Q_PROPERTY(bool Transparent READ transparent WRITE setTransparent)
    Q_PROPERTY(bool AutoSize READ autoSize WRITE setAutoSize)
public:
    explicit TLabel(QWidget* parent = nullptr);

    void setCaption(const QString& caption);
    bool transparent() const;
    void setTransparent(bool on);
    bool autoSize() const { return m_autoSize; }
    void setAutoSize(bool on);

private:
    void fit();
    bool m_autoSize = true;
};
