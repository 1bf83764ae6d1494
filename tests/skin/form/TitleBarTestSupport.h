#pragma once

// Shared pieces of the title-bar and menu tests: a stand-in skinned form (the
// title bar finds it by its interface), message capture and strip frames.

#include "platform/MessageBoxSeam.h"
#include "skin/theme/SkinFormInterface.h"
#include "skin/theme/SkinThemes.h"

#include <QImage>
#include <QList>
#include <QWidget>

namespace titlebartest {

// Stands in for the skinned form: its interface makes a title bar on it
// count as being on a skin form, and it answers the side-border question.
class TskForm : public QWidget, public SkinFormInterface {
    Q_OBJECT
    Q_INTERFACES(SkinFormInterface)
    Q_PROPERTY(TskUIStyle UIStyle READ UIStyle WRITE SetUIStyle)

public:
    explicit TskForm(QWidget* parent = nullptr) : QWidget(parent) {}
    TskUIStyle UIStyle() const override { return m_style; }
    void SetUIStyle(TskUIStyle style) { m_style = style; }
    // Like the real form, it takes over the window it is put on.
    QWidget* OwnerForm() const override {
        return parentWidget() && parentWidget()->isWindow() ? parentWidget() : nullptr;
    }
    int GetSideBorderWidth() const override { return sideBorderWidth; }
    void RefreshFrame() override {}
    void SetMenu(QMenu* menu) override { assignedMenu = menu; }
    void UpdateMenuBar() override {}
    void UpdateMenuBarItems() override {}
    void UpdateMenuBarFont() override {}

    int sideBorderWidth = 0;
    QMenu* assignedMenu = nullptr;

private:
    TskUIStyle m_style = TskUIStyle::DeepBlue;
};

// Captures the message boxes shown while it lives.
class MessageCapture {
public:
    MessageCapture() {
        m_previous = MessageBoxSeam::setSink(
            [this](const MessageBoxSeam::Message& message) { messages.append(message); });
    }
    ~MessageCapture() { MessageBoxSeam::setSink(m_previous); }
    QList<MessageBoxSeam::Message> messages;

private:
    MessageBoxSeam::Sink m_previous;
};

// Frame k (1-based) of a style's title-button strip, cut by hand.
inline QImage StripFrame(TskUIStyle style, int frame) {
    QImage strip;
    LoadBuiltinBitmap(style, ThemeKey::TitleBarButtonImage, &strip);
    const int fw = strip.width() / 18;
    return strip.copy((frame - 1) * fw, 0, fw, strip.height());
}

inline bool SameImage(const QImage& a, const QImage& b) {
    return a.size() == b.size() &&
           a.convertToFormat(QImage::Format_RGB32) == b.convertToFormat(QImage::Format_RGB32);
}

} // namespace titlebartest
