#pragma once

#include "skin/controls/TskCheckBox.h"

// The skinned radio button: checking it unchecks the radio buttons of the
// same parent with the same GroupIndex; a click never unchecks it, and only
// becoming checked is reported.
class TskRadioButton : public TskCheckBox {
    Q_OBJECT
    Q_PROPERTY(int GroupIndex READ GroupIndex WRITE SetGroupIndex)

public:
    explicit TskRadioButton(QWidget* parent = nullptr);

    int GroupIndex() const { return m_groupIndex; }
    void SetGroupIndex(int index) { m_groupIndex = index; }

    void UncheckSiblings();

protected:
    bool IsImageTransparent() const override { return true; }
    TskThemeKey GetImageKey() const override { return ThemeKey::RadioButtonImage; }
    void CheckedChanged() override;
    void Toggle() override;
    bool ToggleOnKey() const override { return false; }
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    int m_groupIndex = 0;
};
