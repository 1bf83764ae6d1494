#pragma once

#include "platform/LayoutCollection.h"

#include <QFont>
#include <QWidget>

// Plain stand-in for the skinned form until the skin draws the real one: it
// keeps the stored values and leaves a 20-pixel caption strip on top.
class TskForm : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString UIStyle MEMBER m_uiStyle)
    Q_PROPERTY(bool UIStyleAutoUpdateSub MEMBER m_autoUpdateSub)
    Q_PROPERTY(int BorderColor MEMBER m_borderColor)
    Q_PROPERTY(int BorderWidth MEMBER m_borderWidth)
    Q_PROPERTY(int Color READ color WRITE setColor)
    Q_PROPERTY(bool TitleBarCustom MEMBER m_titleBarCustom)
    Q_PROPERTY(bool TitleBarDrawAppIcon MEMBER m_drawAppIcon)
    Q_PROPERTY(int RoundCorner MEMBER m_roundCorner)
    Q_PROPERTY(int RoundCornerBottom MEMBER m_roundCornerBottom)
    Q_PROPERTY(int MenuBarColor MEMBER m_menuBarColor)
    Q_PROPERTY(int MenuBarHeight MEMBER m_menuBarHeight)
    Q_PROPERTY(QString Caption READ caption WRITE setCaption)
    // The caption font; the controls on the form keep the window's font.
    Q_PROPERTY(QFont Font MEMBER m_font)
    Q_PROPERTY(LayoutCollection TitleBarButtons MEMBER m_buttons)
    Q_PROPERTY(LayoutCollection TitleBarSections MEMBER m_sections)
public:
    static constexpr int kTitleHeight = 20;
    explicit TskForm(QWidget* parent = nullptr);

    int color() const { return m_color; }
    void setColor(int bgr);
    QString caption() const { return m_caption; }
    void setCaption(const QString& caption);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_uiStyle = QStringLiteral("DeepBlue");
    bool m_autoUpdateSub = true;
    int m_borderColor = 0;
    int m_borderWidth = 1;
    int m_color = 0xE7E7E7;
    bool m_titleBarCustom = false;
    bool m_drawAppIcon = false;
    int m_roundCorner = 0;
    int m_roundCornerBottom = 0;
    int m_menuBarColor = 0;
    int m_menuBarHeight = 22;
    QString m_caption;
    QFont m_font;
    LayoutCollection m_buttons;
    LayoutCollection m_sections;
};
