#pragma once

#include "skin/menus/TskPopupMenu.h"

#include <QPointer>
#include <QString>

class QAction;
class TskTitleBar;

// The system menu of a skinned window, which has no native one: Minimize,
// Maximize/Restore, a separator and Close, each enabled only while the title
// bar shows the matching button. Owned by its title bar.
class TskTitleBarPopupMenu : public TskPopupMenu {
    Q_OBJECT

public:
    explicit TskTitleBarPopupMenu(TskTitleBar* titleBar);

    TskTitleBar* TitleBar() const { return m_titleBar; }

    // Enables the entries by the visible buttons, then shows the menu at the
    // screen point (176 pixels further right in a right-to-left Middle-East
    // layout, where the menu opens to the left of the point).
    void Popup(int x, int y) override;
    // The enabled state of the entries, recomputed at every popup.
    void UpdateItemStates();

    QAction* MinimizeItem() const { return m_minimize; }
    QAction* MaximizeItem() const { return m_maximize; }
    QAction* CloseItem() const { return m_close; }

    // The captions: the program's string-table texts 65249-65251.
    static QString MinimizeCaption();
    static QString MaximizeRestoreCaption();
    static QString CloseCaption();

    static QPoint PopupPoint(QPoint requested, bool rightToLeftMiddleEast);

public slots:
    void MinimizeClick();
    void MaximizeClick();
    void CloseClick();

private:
    bool hasVisibleButton(int type) const;
    QWidget* form() const;

    QPointer<TskTitleBar> m_titleBar;
    QAction* m_minimize = nullptr;
    QAction* m_maximize = nullptr;
    QAction* m_close = nullptr;
};
