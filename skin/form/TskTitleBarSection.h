#pragma once

#include <QImage>
#include <QObject>

class TskTitleBarSections;

// One section image of a title bar. The bar draws sections by position
// (0 left, 1 right, 2 stretched between); Width, Align, Stretch and AutoSize
// are kept, checked and stored but do not change the drawing.
class TskTitleBarSection : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool AutoSize READ AutoSize WRITE SetAutoSize)
    Q_PROPERTY(int Width READ Width WRITE SetWidth)
    Q_PROPERTY(TskTitleBarAlign Align READ Align WRITE SetAlign)
    Q_PROPERTY(QImage Picture READ Picture WRITE SetPicture)
    Q_PROPERTY(bool Stretch READ Stretch WRITE SetStretch)

public:
    enum TskTitleBarAlign { skLeft, skRight, skClient };
    Q_ENUM(TskTitleBarAlign)

    explicit TskTitleBarSection(TskTitleBarSections* collection);

    TskTitleBarSections* Collection() const { return m_collection; }
    int Index() const;

    int Width() const { return m_width; }
    void SetWidth(int value);
    TskTitleBarAlign Align() const { return m_align; }
    // Refuses a second client section with a "Sorry" box; a client section
    // always stretches.
    void SetAlign(TskTitleBarAlign value);
    QImage Picture() const { return m_picture; }
    void SetPicture(const QImage& picture);
    bool Stretch() const { return m_stretch; }
    void SetStretch(bool value);
    bool AutoSize() const { return m_autoSize; }
    void SetAutoSize(bool value);

    void Assign(const TskTitleBarSection& source);

private:
    void changed();

    TskTitleBarSections* m_collection;
    int m_width = 10;
    TskTitleBarAlign m_align = skLeft;
    QImage m_picture;
    bool m_stretch = false;
    bool m_autoSize = false;
};

using TskTitleBarAlign = TskTitleBarSection::TskTitleBarAlign;
