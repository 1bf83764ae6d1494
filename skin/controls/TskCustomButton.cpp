#include "skin/controls/TskCustomButton.h"

#include "component/PropertyByName.h"
#include "skin/draw/SkinGeometry.h"
#include "skin/draw/SkinPainting.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

namespace {
bool isPressKey(int key) {
    return key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter;
}
} // namespace

TskCustomButton::TskCustomButton(QWidget* parent) : TskStyledControl(parent) {
    SetTabStop(true);
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now && now->window() == window())
            updateActive(now);
    });
    SetUIStyle(UIStyle());
}

TskCustomButton::~TskCustomButton() {
    stopRepeat();
}

int TskCustomButton::FaceFrameIndex(bool enabled, bool mouseDown, bool mouseIn) {
    if (!enabled)
        return 1;
    if (mouseDown)
        return 3;
    return mouseIn ? 2 : 1;
}

QRect TskCustomButton::CenteredCaptionRect(const QRect& r, QSize measured) {
    return QRect(r.x() + (r.width() - measured.width()) / 2,
                 r.y() + (r.height() - measured.height()) / 2, measured.width(), measured.height());
}

void TskCustomButton::SetAutoSize(bool on) {
    m_autoSize = on;
    UpdateAutoSize();
    update();
}

void TskCustomButton::SetDefault(bool on) {
    m_default = on;
    updateActive(window()->focusWidget());
}

void TskCustomButton::SetTransparent(bool on) {
    m_transparent = on;
    TransparentChanged();
    update();
}

void TskCustomButton::SetFocusedRectMargin(int margin) {
    assignAndRepaint(m_focusedRectMargin, margin);
}

void TskCustomButton::SetEnabled(bool on) {
    setEnabled(on); // EnabledChanged and the repaint follow from the change event
}

void TskCustomButton::SetAction(QAction* action) {
    if (action == m_action)
        return;
    disconnect(m_actionChanged);
    m_action = action;
    if (!action)
        return;
    m_actionChanged = connect(action, &QAction::changed, this, [this] { ActionChange(); });
    ActionChange();
}

void TskCustomButton::ActionChange() {
    if (!m_action)
        return;
    SetCaption(m_action->text());
    setEnabled(m_action->isEnabled());
    SetHint(m_action->toolTip());
    // A hidden action hides the button; a shown one shows it wherever its
    // parent is shown.
    setVisible(m_action->isVisible());
}

void TskCustomButton::UpdateAutoSize() {
    if (!m_autoSize)
        return;
    // The built-in strip only: a file theme does not size the button.
    QImage strip;
    GetBuiltinBitmap(UIStyle(), ThemeKey::ButtonImage, &strip, 0, 0);
    const int h = strip.height() > 0 ? strip.height() : 21;
    const int w = strip.width() > 0 ? strip.width() : 74;
    resize(w / 3, h);
}

void TskCustomButton::FontChanged() {
    update();
}

void TskCustomButton::TransparentChanged() {
    m_faceTransparent = m_transparent;
    update();
}

bool TskCustomButton::LoadPicNormal(QImage& bitmap) {
    return loadFace(bitmap, 1);
}

bool TskCustomButton::LoadPicMouseOn(QImage& bitmap) {
    return loadFace(bitmap, 2);
}

bool TskCustomButton::LoadPicMouseDown(QImage& bitmap) {
    return loadFace(bitmap, 3);
}

bool TskCustomButton::LoadPicDisabled(QImage& bitmap) {
    return loadFace(bitmap, 1);
}

bool TskCustomButton::loadFace(QImage& bitmap, int frame) const {
    bool read = true;
    bitmap = SkinFrame(ThemeKey::ButtonImage, 3, frame, &read);
    return read;
}

void TskCustomButton::Paint(QPainter& canvas) {
    QImage face;
    bool read = true;
    switch (FaceFrameIndex(isEnabled(), m_mouseDown, m_mouseIn)) {
    case 3:
        read = LoadPicMouseDown(face);
        break;
    case 2:
        read = LoadPicMouseOn(face);
        break;
    default:
        read = isEnabled() ? LoadPicNormal(face) : LoadPicDisabled(face);
        break;
    }
    // A frame that could not be read leaves a blank face of a DeepBlue
    // frame's size, as a fresh bitmap is: white. A style or theme without
    // the picture gives an empty face: the background shows.
    if (!read) {
        face = QImage(74, 21, QImage::Format_RGB32);
        face.fill(Qt::white);
    }
    PaintBackground(canvas, m_transparent);
    PaintFace(canvas, face);
    if (hasFocus() && TabStop())
        PaintFocus(canvas);
    canvas.setFont(font());
    if (!Caption().trimmed().isEmpty())
        PaintCaption(canvas, Caption());
}

void TskCustomButton::PaintFace(QPainter& canvas, const QImage& face) {
    if (face.isNull())
        return;
    QImage shown = m_faceTransparent ? MaskedWithKey(face, face.pixel(0, 0)) : face;
    if (!isEnabled())
        shown = GreyedImage(shown);
    canvas.drawImage(0, 0, shown);
}

void TskCustomButton::PaintCaption(QPainter& canvas, const QString& caption) {
    QFont captionFont = font();
    if (m_boldCaption)
        captionFont.setBold(true);
    canvas.setFont(captionFont);
    const QFontMetrics metrics(captionFont);
    auto drawCentred = [&](const QRect& r, const QColor& color) {
        const QRect measured = metrics.boundingRect(
            r, Qt::AlignLeft | Qt::TextWordWrap | Qt::TextExpandTabs | Qt::TextShowMnemonic,
            caption);
        canvas.setPen(color);
        canvas.drawText(CenteredCaptionRect(r, measured.size()),
                        Qt::AlignHCenter | Qt::AlignTop | Qt::TextShowMnemonic, caption);
    };
    const QRect client = rect();
    if (!isEnabled()) {
        // Embossed: a white copy one pixel down-right under the grey caption.
        drawCentred(client.translated(1, 1), QColor(255, 255, 255));
        drawCentred(client, QColor(0x80, 0x80, 0x80));
    } else {
        drawCentred(m_mouseDown ? client.translated(1, 1) : client, FontColor());
    }
    m_boldCaption = false;
}

void TskCustomButton::PaintFocus(QPainter& canvas) {
    const int m = m_focusedRectMargin;
    DrawFocusRect(canvas, RectLTRB(m, m, width() - m, height() - m));
}

void TskCustomButton::Click() {
    if (m_mouseDown) {
        stopRepeat();
        m_mouseDown = false;
        update();
    }
    QWidget* form = window();
    if (parentWidget() && form && form != this) {
        if (HasProperty(form, "ModalResult"))
            SetPropertyByName(form, "ModalResult", m_modalResult);
        else if (auto* dialog = qobject_cast<QDialog*>(form); dialog && m_modalResult != 0)
            dialog->done(m_modalResult);
    }
    // A linked action answers the click in place of OnClick, never both.
    if (QAction* action = m_action)
        action->trigger();
    else
        emit OnClick(this);
}

void TskCustomButton::AfterLoad() {
    // The size stays as loaded: only the AutoSize writer sizes the button.
    updateActive(window()->focusWidget());
}

void TskCustomButton::updateActive(QWidget* focused) {
    if (auto* button = qobject_cast<TskCustomButton*>(focused))
        m_active = button == this;
    else
        m_active = m_default;
    update();
}

bool TskCustomButton::DialogKey(QKeyEvent* event) {
    const int key = event->key();
    const bool answers = ((key == Qt::Key_Return || key == Qt::Key_Enter) && m_active) ||
                         (key == Qt::Key_Escape && m_cancel);
    if (!answers || (event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier |
                                           Qt::AltModifier | Qt::MetaModifier)))
        return false;
    if (!CanFocus())
        return false;
    Click();
    return true;
}

bool TskCustomButton::DialogChar() {
    if (!CanFocus())
        return false;
    Click();
    return true;
}

void TskCustomButton::stopRepeat() {
    delete m_timer.data();
}

void TskCustomButton::enterEvent(QEnterEvent* event) {
    TskStyledControl::enterEvent(event);
    pointerEntered();
}

void TskCustomButton::leaveEvent(QEvent* event) {
    TskStyledControl::leaveEvent(event);
    pointerLeft();
}

void TskCustomButton::pointerEntered() {
    if (m_mouseIn)
        return;
    m_mouseIn = true;
    repaint();
    emit OnMouseEnter(this);
}

void TskCustomButton::pointerLeft() {
    const bool wasIn = m_mouseIn;
    m_mouseIn = false;
    m_mouseDown = false;
    stopRepeat();
    repaint();
    if (wasIn)
        emit OnMouseExit(this);
}

void TskCustomButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        m_mouseDown = true;
        m_mouseIn = true;
        m_clickPending = true;
        if (!m_timer) {
            // Parented to the button so it can never outlive it; it still
            // lives only from the press to the end of the press.
            m_timer = new QTimer(this);
            m_timer->setObjectName(QStringLiteral("MouseRepeatTimer"));
            m_timer->setTimerType(Qt::PreciseTimer);
            m_timer->setInterval(qMax(m_repeatInterval, 0));
            connect(m_timer, &QTimer::timeout, this,
                    [this] { emit OnMouseContinuouslyDown(this); });
            // A zero interval would tick without pause: it means no repeats.
            if (m_timer->interval() > 0)
                m_timer->start();
        }
        if (TabStop())
            TakeFocus();
        repaint();
    }
    emit OnMouseDown(this);
}

void TskCustomButton::mouseMoveEvent(QMouseEvent* event) {
    emit OnMouseMove(this);
    const QPoint p = event->position().toPoint();
    const bool outside = p.x() < 0 || p.y() < 0 || p.x() > width() || p.y() > height();
    if (event->buttons() == Qt::NoButton) {
        if (outside) {
            m_mouseIn = false;
            m_mouseDown = false;
            update();
        }
        return;
    }
    // While a mouse button (any of them) is held after a press here, the
    // toolkit keeps sending the pointer here and reports no leaving or
    // entering until the release: crossing the edge counts as leaving (the
    // repeats end, the face goes back, OnMouseExit) and coming back as
    // entering (the hover face; the press itself is over).
    if (outside)
        pointerLeft();
    else
        pointerEntered();
}

void TskCustomButton::mouseReleaseEvent(QMouseEvent* event) {
    emit OnMouseUp(this);
    if (event->button() != Qt::LeftButton || !m_clickPending)
        return;
    m_clickPending = false;
    // The press is over, whatever happened on the way: no repeat outlives it.
    stopRepeat();
    if (rect().contains(event->position().toPoint())) {
        Click();
        return;
    }
    // Released elsewhere: the press ends without a click.
    m_mouseDown = false;
    update();
}

void TskCustomButton::keyPressEvent(QKeyEvent* event) {
    emit OnKeyDown(this);
    // Held Ctrl or Alt make no difference to the focused button.
    if (!isPressKey(event->key())) {
        event->ignore();
        return;
    }
    if (hasFocus() && isEnabled() && !event->isAutoRepeat()) {
        m_mouseDown = true;
        repaint();
    }
    event->accept();
}

void TskCustomButton::keyReleaseEvent(QKeyEvent* event) {
    emit OnKeyUp(this);
    // Holding the key repeats the press, never the click.
    if (!isPressKey(event->key()) || event->isAutoRepeat()) {
        event->ignore();
        return;
    }
    if (hasFocus() && m_mouseDown && isEnabled()) {
        m_mouseDown = false;
        repaint();
        Click();
    }
    event->accept();
}

void TskCustomButton::changeEvent(QEvent* event) {
    TskStyledControl::changeEvent(event);
    if (event->type() == QEvent::EnabledChange)
        EnabledChanged();
    else if (event->type() == QEvent::FontChange)
        FontChanged();
}
