#pragma once

#include <QRadioButton>

// Plain stand-in for the skinned radio button.
class TskRadioButton : public QRadioButton {
    Q_OBJECT
    Q_PROPERTY(QString UIStyle MEMBER m_uiStyle)
    Q_PROPERTY(bool AutoSize MEMBER m_autoSize)
    Q_PROPERTY(bool Checked READ isChecked WRITE setChecked)
    Q_PROPERTY(QString State MEMBER m_state)
    Q_PROPERTY(QString Caption READ text WRITE setText)
    Q_PROPERTY(bool TabStop READ tabStop WRITE setTabStop)
    Q_PROPERTY(bool Transparent MEMBER m_transparent)
    Q_PROPERTY(int GroupIndex MEMBER m_groupIndex)
public:
    explicit TskRadioButton(QWidget* parent = nullptr);
    bool tabStop() const { return focusPolicy() & Qt::TabFocus; }
    void setTabStop(bool on) { setFocusPolicy(on ? Qt::StrongFocus : Qt::ClickFocus); }

signals:
    void OnClick();

private:
    QString m_uiStyle = QStringLiteral("DeepBlue");
    bool m_autoSize = true;
    QString m_state = QStringLiteral("cbUnchecked");
    bool m_transparent = false;
    int m_groupIndex = 0;
};
