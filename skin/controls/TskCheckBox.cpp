#include "skin/controls/TskCheckBox.h"

#include "skin/draw/SkinGeometry.h"
#include "skin/draw/SkinPainting.h"
#include "skin/draw/TskColor.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

TskCheckBox::TskCheckBox(QWidget* parent) : TskStyledControl(parent) {
    SetColor(TskColor::Window);
    SetParentColor(true);
    resize(93, 17);
    SetTabStop(true);
    SetUIStyle(UIStyle());
}

int TskCheckBox::BoxFrameIndex(bool checked, bool enabled) {
    return (checked ? 1 : 2) + (enabled ? 0 : 2);
}

QSize TskCheckBox::AutoSizeFor(QSize image, int textHeight, int captionWidth) {
    return QSize(image.width() + captionWidth + 8, qMax(textHeight + 2, image.height()) + 4);
}

TskCheckBox::BoxLayout TskCheckBox::LayOut(QSize client, QSize image, int textHeight,
                                           bool rightToLeft) {
    const int W = client.width(), H = client.height();
    const int iw = image.width(), ih = image.height();
    const int ty = (H - textHeight) / 2;
    BoxLayout box;
    if (rightToLeft) {
        box.image = QPoint(W - iw - 1, (H - ih) / 2);
        box.caption = RectLTRB(0, ty, W - iw - 4, H);
        box.focus = RectLTRB(0, ty, W - iw - 2, ty + textHeight + 2);
        box.captionAlign = Qt::AlignRight;
    } else {
        box.image = QPoint(1, (H - ih) / 2);
        box.caption = RectLTRB(iw + 4, ty, W, H);
        box.focus = RectLTRB(iw + 3, ty, W, ty + textHeight + 2);
        box.captionAlign = Qt::AlignLeft;
    }
    return box;
}

QImage TskCheckBox::BoxImage() const {
    return SkinFrame(GetImageKey(), 4, BoxFrameIndex(m_checked, isEnabled()));
}

void TskCheckBox::SetChecked(bool on) {
    if (on == m_checked)
        return;
    m_checked = on;
    update();
    CheckedChanged();
}

TCheckBoxState TskCheckBox::State() const {
    return m_checked ? TCheckBoxState::cbChecked : TCheckBoxState::cbUnchecked;
}

void TskCheckBox::SetState(TCheckBoxState state) {
    SetChecked(state == TCheckBoxState::cbChecked);
}

void TskCheckBox::SetAutoSize(bool on) {
    m_autoSize = on;
    applyAutoSize();
    update();
}

void TskCheckBox::SetTransparent(bool on) {
    m_transparent = on;
    update();
}

void TskCheckBox::applyAutoSize() {
    if (!m_autoSize)
        return;
    const QFontMetrics metrics(font());
    const QSize wanted =
        AutoSizeFor(BoxImage().size(), metrics.height(), metrics.horizontalAdvance(Caption()));
    if (wanted != size())
        resize(wanted);
}

bool TskCheckBox::NeedFocusRect() const {
    return TabStop() && hasFocus();
}

void TskCheckBox::CheckedChanged() {
    if (!IsLoading())
        emit OnClick(this);
}

void TskCheckBox::Toggle() {
    BeforeToggle();
    SetChecked(!m_checked);
}

void TskCheckBox::Click() {
    Toggle();
}

void TskCheckBox::Paint(QPainter& canvas) {
    const QImage image = BoxImage();
    PaintBackground(canvas, m_transparent);
    const QFontMetrics metrics(font());
    const BoxLayout box = LayOut(size(), image.size(), metrics.height(), UseRightToLeftLayout());
    if (!image.isNull()) {
        // Radio images keep their lower-left colour see-through; check
        // boxes are square and drawn whole.
        if (IsImageTransparent())
            DrawMasked(canvas, box.image, image, image.pixel(0, image.height() - 1));
        else
            canvas.drawImage(box.image, image);
    }
    // The caption keeps its font's colour when the control is disabled; only
    // the box shows the state.
    canvas.setPen(palette().color(QPalette::Active, foregroundRole()));
    canvas.drawText(box.caption,
                    box.captionAlign | Qt::AlignTop | Qt::TextSingleLine | Qt::TextShowMnemonic,
                    Caption());
    if (NeedFocusRect())
        DrawFocusRect(canvas, box.focus);
}

void TskCheckBox::CaptionChanged() {
    applyAutoSize();
}

void TskCheckBox::AfterLoad() {
    applyAutoSize();
}

void TskCheckBox::UIStyleChanged() {
    applyAutoSize();
}

bool TskCheckBox::DialogChar() {
    if (!CanFocus())
        return false;
    TakeFocus();
    Click();
    return true;
}

void TskCheckBox::mousePressEvent(QMouseEvent* event) {
    emit OnMouseDown(this);
    if (event->button() != Qt::LeftButton)
        return;
    TakeFocus();
    m_pressed = true;
}

void TskCheckBox::mouseReleaseEvent(QMouseEvent* event) {
    emit OnMouseUp(this);
    if (event->button() != Qt::LeftButton || !m_pressed)
        return;
    m_pressed = false;
    if (rect().contains(event->position().toPoint()))
        Click();
}

void TskCheckBox::mouseMoveEvent(QMouseEvent*) {
    emit OnMouseMove(this);
}

void TskCheckBox::keyPressEvent(QKeyEvent* event) {
    emit OnKeyDown(this);
    // Space belongs to the box; Return goes on to the window's default button.
    if (event->key() == Qt::Key_Space && ToggleOnKey())
        event->accept();
    else
        event->ignore();
}

void TskCheckBox::keyReleaseEvent(QKeyEvent* event) {
    emit OnKeyUp(this);
    const int key = event->key();
    const bool toggleKey = key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter;
    if (!toggleKey || !ToggleOnKey() || event->isAutoRepeat()) {
        event->ignore();
        return;
    }
    if (hasFocus() && isEnabled()) {
        repaint();
        Click();
    }
    event->accept();
}

void TskCheckBox::changeEvent(QEvent* event) {
    TskStyledControl::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::EnabledChange)
        applyAutoSize();
}
