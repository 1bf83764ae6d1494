#include "skin/controls/TskStyledControl.h"

TskStyledControl::TskStyledControl(QWidget* parent)
    : TCustomControl(parent), m_style(GetOwnerFormUIStyle(OwnerForm(parent))) {}

QWidget* TskStyledControl::OwnerForm(QWidget* parent) {
    return parent ? parent->window() : nullptr;
}

void TskStyledControl::SetUIStyle(TskUIStyle style) {
    m_style = style;
    UIStyleChanged();
    update();
}

void TskStyledControl::SetFileTheme(TskFileTheme* theme) {
    WatchFileTheme(this, m_theme, theme, [this] { SetUIStyle(TskUIStyle::DeepBlue); });
    SetUIStyle(m_style);
}

QImage TskStyledControl::SkinFrame(TskThemeKey key, int frameCount, int frameIndex,
                                   bool* read) const {
    QImage frame;
    const bool ok = SkinGetBitmap(m_theme, m_style, key, &frame, frameCount, frameIndex);
    if (read)
        *read = ok;
    return frame;
}
