#include "skin/controls/TCustomControl.h"

#include "component/ComponentState.h"
#include "component/PropertyByName.h"
#include "component/TabChain.h"
#include "platform/SystemLanguage.h"
#include "skin/draw/SkinGeometry.h"
#include "skin/draw/SkinPainting.h"
#include "skin/draw/TskColor.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QPainter>
#include <QShortcutEvent>
#include <QStyle>
#include <QStyleOption>
#include <QToolTip>

namespace {
int& middleEastOverride() {
    static int value = -1;
    return value;
}
} // namespace

TCustomControl::TCustomControl(QWidget* parent) : QWidget(parent), m_color(TskColor::ButtonFace) {
    // Every paint covers the whole client area from one composed image.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);
    // OnMouseMove and the hover looks follow the pointer with no button held.
    setMouseTracking(true);
    watchWindow();
    TabChain::enlist(this);
}

TCustomControl::~TCustomControl() {
    if (m_keyWindow)
        m_keyWindow->removeEventFilter(this);
}

void TCustomControl::SetCaption(const QString& caption) {
    m_caption = caption;
    // The "&" character of the caption with Alt, through the window's
    // shortcuts, so a focused edit can't swallow it as typed text.
    if (m_accelerator != 0)
        releaseShortcut(m_accelerator);
    const QKeySequence accelerator = QKeySequence::mnemonic(caption);
    m_accelerator = accelerator.isEmpty() ? 0 : grabShortcut(accelerator, Qt::WindowShortcut);
    CaptionChanged();
    update();
}

void TCustomControl::SetColor(qint32 color) {
    m_color = color;
    m_parentColor = false;
    update();
}

void TCustomControl::SetParentColor(bool on) {
    m_parentColor = on;
    update();
}

qint32 TCustomControl::EffectiveColor() const {
    const QWidget* parent = parentWidget();
    if (!m_parentColor || !parent)
        return m_color;
    return TskColor::ofWidget(parent);
}

void TCustomControl::SetParentFont(bool on) {
    if (on)
        setFont(QFont()); // an empty font inherits the parent's again
}

void TCustomControl::SetBiDiMode(TBiDiMode mode) {
    m_biDiMode = mode;
    m_parentBiDiMode = false;
    update();
}

void TCustomControl::SetParentBiDiMode(bool on) {
    m_parentBiDiMode = on;
    update();
}

void TCustomControl::SetMiddleEastOverride(int value) {
    middleEastOverride() = value;
}

bool TCustomControl::UseRightToLeftLayout() const {
    TBiDiMode mode = m_biDiMode;
    if (m_parentBiDiMode && parentWidget()) {
        const QVariant inherited = GetPropertyByName(parentWidget(), "BiDiMode");
        if (inherited.canConvert<TBiDiMode>())
            mode = inherited.value<TBiDiMode>();
    }
    if (mode != TBiDiMode::bdRightToLeft)
        return false;
    const int forced = middleEastOverride();
    return forced >= 0 ? forced != 0 : SystemLanguage::isMiddleEast();
}

bool TCustomControl::ShowHint() const {
    if (!m_parentShowHint)
        return m_showHint;
    for (const QWidget* w = parentWidget(); w; w = w->parentWidget()) {
        const QVariant inherited = GetPropertyByName(w, "ShowHint");
        if (inherited.isValid())
            return inherited.toBool();
    }
    return true;
}

void TCustomControl::SetShowHint(bool on) {
    m_showHint = on;
    m_parentShowHint = false;
}

void TCustomControl::SetParentShowHint(bool on) {
    // Leaving the parent keeps what was shown until now.
    if (!on && m_parentShowHint)
        m_showHint = ShowHint();
    m_parentShowHint = on;
}

bool TCustomControl::Visible() const {
    if (isWindow() || !parentWidget())
        return isVisible();
    return isVisibleTo(parentWidget());
}

int TCustomControl::TabOrder() const {
    return TabChain::order(this);
}

void TCustomControl::SetTabOrder(int order) {
    // Stored places are settled together once every control exists.
    if (IsLoading())
        TabChain::setStoredOrder(this, order);
    else
        TabChain::setOrder(this, order);
}

void TCustomControl::SetTabStop(bool on) {
    setFocusPolicy(on ? Qt::TabFocus : Qt::NoFocus);
}

bool TCustomControl::CanFocus() const {
    return isEnabled() && isVisible();
}

bool TCustomControl::IsLoading() const {
    return ComponentState::isLoading(this);
}

void TCustomControl::Loaded() {
    AfterLoad();
    update();
}

bool TCustomControl::DialogKey(QKeyEvent*) {
    return false;
}

bool TCustomControl::DialogChar() {
    return false;
}

void TCustomControl::PaintBackground(QPainter& canvas, bool transparent) const {
    if (transparent)
        PaintParentBackground(canvas, this);
    else
        canvas.fillRect(rect(), TskColor::toQColor(EffectiveColor()));
}

void TCustomControl::TakeFocus() {
    if (CanFocus())
        setFocus(Qt::MouseFocusReason);
}

QColor TCustomControl::FontColor() const {
    return palette().color(foregroundRole());
}

std::vector<QPoint> TCustomControl::FocusRectPixels(const QRect& r) {
    std::vector<QPoint> pixels;
    const int left = r.x(), top = r.y();
    const int right = RectRight(r) - 1, bottom = RectBottom(r) - 1;
    if (right < left || bottom < top)
        return pixels;
    // A checkerboard phase keeps the dots alternating round the corners.
    auto add = [&](int x, int y) {
        if (((x + y) & 1) == 0)
            pixels.emplace_back(x, y);
    };
    for (int x = left; x <= right; ++x) {
        add(x, top);
        if (bottom != top)
            add(x, bottom);
    }
    for (int y = top + 1; y < bottom; ++y) {
        add(left, y);
        if (right != left)
            add(right, y);
    }
    return pixels;
}

void TCustomControl::DrawFocusRect(QPainter& canvas, const QRect& r) {
    const std::vector<QPoint> pixels = FocusRectPixels(r);
    canvas.save();
    canvas.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    canvas.setPen(QPen(QColor(255, 255, 255), 0));
    canvas.drawPoints(pixels.data(), int(pixels.size()));
    canvas.restore();
}

QImage TCustomControl::GreyedImage(const QImage& image) {
    if (image.isNull())
        return image;
    QStyleOption option;
    const QPixmap greyed = QApplication::style()->generatedIconPixmap(
        QIcon::Disabled, QPixmap::fromImage(image), &option);
    return greyed.toImage();
}

void TCustomControl::paintEvent(QPaintEvent*) {
    PrepareSize();
    if (width() <= 0 || height() <= 0)
        return;
    QImage buffer(size(), QImage::Format_RGB32);
    // What no step below covers shows the fill colour, not stale memory.
    buffer.fill(TskColor::toQColor(EffectiveColor()));
    {
        QPainter canvas(&buffer);
        canvas.setFont(font());
        Paint(canvas);
    }
    QPainter(this).drawImage(0, 0, buffer);
}

bool TCustomControl::event(QEvent* event) {
    switch (event->type()) {
    case QEvent::Shortcut:
        if (static_cast<QShortcutEvent*>(event)->shortcutId() == m_accelerator && m_accelerator) {
            DialogChar();
            return true;
        }
        break;
    case QEvent::ParentChange:
        // A new parent: the end of its tab order, and its edges to keep.
        TabChain::enlist(this);
        AlignLayout::setAnchors(this, Anchors());
        watchWindow();
        break;
    case QEvent::Show:
        watchWindow();
        break;
    case QEvent::FontChange:
    case QEvent::EnabledChange:
        update();
        break;
    case QEvent::KeyPress: {
        // OnKeyDown comes from the key handlers; a key that types a
        // character (Return and Escape included) gives OnKeyPress after it,
        // to the focused control only.
        const bool handled = QWidget::event(event);
        if (hasFocus() && !static_cast<QKeyEvent*>(event)->text().isEmpty())
            emit OnKeyPress(this);
        return handled;
    }
    case QEvent::ToolTip:
        // A control that shows no hints hands the question to its parent,
        // whose hint shows instead; one that shows hints but has none shows
        // nothing.
        if (!ShowHint()) {
            event->ignore();
            return false;
        }
        if (toolTip().isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), toolTip(), this);
        return true;
    default:
        break;
    }
    return QWidget::event(event);
}

bool TCustomControl::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_keyWindow && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (DialogKey(key))
            return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TCustomControl::watchWindow() {
    // Keys nobody in the window took reach the window last; the control
    // listens there, as a dialog asks its controls for dialog keys.
    QWidget* top = window();
    if (top == m_keyWindow)
        return;
    if (m_keyWindow)
        m_keyWindow->removeEventFilter(this);
    m_keyWindow = top != this ? top : nullptr;
    if (m_keyWindow)
        m_keyWindow->installEventFilter(this);
}

void TCustomControl::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    emit OnEnter(this);
    update();
}

void TCustomControl::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    emit OnExit(this);
    update();
}

void TCustomControl::contextMenuEvent(QContextMenuEvent* event) {
    if (!m_popupMenu) {
        event->ignore();
        return;
    }
    m_popupMenu->Popup(event->globalPos().x(), event->globalPos().y());
    event->accept();
}

void TCustomControl::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    emit OnResize(this);
    update();
}
