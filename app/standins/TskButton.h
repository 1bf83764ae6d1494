#pragma once

#include <QPushButton>

// Plain stand-in for the skinned push button.
class TskButton : public QPushButton {
    Q_OBJECT
    Q_PROPERTY(QString UIStyle MEMBER m_uiStyle)
    Q_PROPERTY(bool AutoSize MEMBER m_autoSize)
    Q_PROPERTY(bool Transparent MEMBER m_transparent)
    Q_PROPERTY(int ModalResult MEMBER m_modalResult)
    Q_PROPERTY(int FocusedRectMargin MEMBER m_focusedRectMargin)
    Q_PROPERTY(QString Layout MEMBER m_layout)
    Q_PROPERTY(int Spacing MEMBER m_spacing)
    Q_PROPERTY(int MouseContinuouslyDownInterval MEMBER m_repeatInterval)
    Q_PROPERTY(QString Caption READ text WRITE setText)
public:
    explicit TskButton(QWidget* parent = nullptr);

signals:
    void OnClick();

private:
    QString m_uiStyle = QStringLiteral("DeepBlue");
    bool m_autoSize = true;
    bool m_transparent = false;
    int m_modalResult = 0;
    int m_focusedRectMargin = 2;
    QString m_layout = QStringLiteral("blGlyphLeft");
    int m_spacing = 4;
    int m_repeatInterval = 100;
};
