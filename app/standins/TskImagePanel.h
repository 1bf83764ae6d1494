#pragma once

#include <QWidget>

// Plain stand-in for the skinned image panel: a container that is either
// see-through or filled with the window colour.
class TskImagePanel : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool Transparent READ transparent WRITE setTransparent)
    Q_PROPERTY(QString DrawStyle MEMBER m_drawStyle)
    Q_PROPERTY(bool AutoSize MEMBER m_autoSize)
public:
    explicit TskImagePanel(QWidget* parent = nullptr);
    bool transparent() const { return m_transparent; }
    void setTransparent(bool on);

private:
    bool m_transparent = false;
    QString m_drawStyle = QStringLiteral("skNormal");
    bool m_autoSize = false;
};
