#pragma once

#include "skin/form/TskCollection.h"
#include "skin/form/TskTitleBarButton.h"

#include <QObject>

class TskTitleBar;

// The window buttons of a title bar, in collection order (the first one is
// drawn rightmost). Owned by the title bar, which it reports as its owner.
// Add gives a custom button: visible, not transparent, Top 2, no pictures.
class TskTitleBarButtons : public QObject,
                           public TskCollection<TskTitleBarButton, TskTitleBarButtons> {
    Q_OBJECT

public:
    explicit TskTitleBarButtons(TskTitleBar* titleBar = nullptr);

    TskTitleBar* TitleBar() const { return m_titleBar; }
    // An item changed: the title bar repaints.
    void Update(TskTitleBarButton* item);

private:
    TskTitleBar* m_titleBar;
};
