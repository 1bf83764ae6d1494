#include "skin/controls/TskRadioButton.h"

#include <QMouseEvent>

TskRadioButton::TskRadioButton(QWidget* parent) : TskCheckBox(parent) {}

void TskRadioButton::UncheckSiblings() {
    QWidget* parent = parentWidget();
    if (!parent)
        return;
    for (QObject* child : parent->children()) {
        auto* sibling = qobject_cast<TskRadioButton*>(child);
        if (sibling && sibling != this && sibling->GroupIndex() == m_groupIndex)
            sibling->SetChecked(false);
    }
}

void TskRadioButton::CheckedChanged() {
    if (!Checked())
        return;
    UncheckSiblings();
    if (!IsLoading())
        emit OnClick(this);
}

void TskRadioButton::Toggle() {
    if (!Checked())
        SetChecked(true);
}

void TskRadioButton::mouseDoubleClickEvent(QMouseEvent* event) {
    // The second press of a double click is a double click, not a click.
    if (event->button() == Qt::LeftButton) {
        m_pressed = false;
        emit OnDblClick(this);
    }
}
