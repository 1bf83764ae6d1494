#pragma once

#include "skin/menus/SkinMenu.h"

#include <QImage>
#include <QList>
#include <optional>

// A popup menu whose items are all measured and drawn in the menu's skin
// style. Check marks come from the one program-wide check-mark image.
class TskPopupMenu : public SkinMenu {
    Q_OBJECT
    Q_PROPERTY(bool OwnerDraw READ OwnerDraw WRITE SetOwnerDraw)

public:
    // Starts with the style of the skinned form on Owner (DeepBlue without one).
    explicit TskPopupMenu(QWidget* owner = nullptr);

    // Always owner-drawn; writing changes nothing.
    bool OwnerDraw() const { return true; }
    void SetOwnerDraw(bool) {}

    // The menu's image list, which item image indices refer to.
    void SetImages(const QList<QImage>& images) { m_images = images; }
    void ClearImages() { m_images.reset(); }

    const QList<QImage>* ItemImages() const override;
    QImage CheckMarkImage() const override;

private:
    std::optional<QList<QImage>> m_images;
};
