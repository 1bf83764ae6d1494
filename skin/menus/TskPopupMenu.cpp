#include "skin/menus/TskPopupMenu.h"

TskPopupMenu::TskPopupMenu(QWidget* owner) : SkinMenu(owner) {}

const QList<QImage>* TskPopupMenu::ItemImages() const {
    return m_images ? &*m_images : nullptr;
}

QImage TskPopupMenu::CheckMarkImage() const {
    // One check mark for the whole program, made on first use.
    static const QImage mark = MakeCheckMarkImage();
    return mark;
}
