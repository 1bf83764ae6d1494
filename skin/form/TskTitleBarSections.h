#pragma once

#include "skin/form/TskCollection.h"
#include "skin/form/TskTitleBarSection.h"

#include <QObject>

class TskTitleBar;

// The section images of a title bar, owned by the title bar. Add gives an
// empty section: Width 10, skLeft, no stretch, no auto size.
class TskTitleBarSections : public QObject,
                            public TskCollection<TskTitleBarSection, TskTitleBarSections> {
    Q_OBJECT

public:
    explicit TskTitleBarSections(TskTitleBar* titleBar = nullptr);

    TskTitleBar* TitleBar() const { return m_titleBar; }
    // An item changed: the title bar repaints.
    void Update(TskTitleBarSection* item);

private:
    TskTitleBar* m_titleBar;
};
