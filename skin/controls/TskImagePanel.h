#pragma once

#include "skin/controls/TskCustomPanel.h"

// The image panel as layouts store it: TskCustomPanel's behaviour, published.
class TskImagePanel : public TskCustomPanel {
    Q_OBJECT
    Q_PROPERTY(TBiDiMode BiDiMode READ BiDiMode WRITE SetBiDiMode)
    Q_PROPERTY(int BorderWidth READ BorderWidth WRITE SetBorderWidth)
    Q_PROPERTY(AlignLayout::Anchors Anchors READ Anchors WRITE SetAnchors)
    Q_PROPERTY(QImage Picture READ Picture WRITE SetPicture)
    Q_PROPERTY(bool Transparent READ Transparent WRITE SetTransparent)
    Q_PROPERTY(bool AutoSize READ AutoSize WRITE SetAutoSize)
    Q_PROPERTY(TAlignment Alignment READ Alignment WRITE SetAlignment)
    Q_PROPERTY(AlignLayout::Align Align READ Align WRITE SetAlign)
    Q_PROPERTY(QFont Font READ font WRITE setFont)
    Q_PROPERTY(bool TabStop READ TabStop WRITE SetTabStop)
    Q_PROPERTY(int TabOrder READ TabOrder WRITE SetTabOrder)
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(qint32 Color READ Color WRITE SetColor)
    Q_PROPERTY(TskDrawStyle DrawStyle READ DrawStyle WRITE SetDrawStyle)
    Q_PROPERTY(bool Visible READ Visible WRITE SetVisible)
    Q_PROPERTY(TskPopupMenu* PopupMenu READ PopupMenu WRITE SetPopupMenu)

public:
    explicit TskImagePanel(QWidget* parent = nullptr);
    using TskCustomPanel::SetTransparent;
};
