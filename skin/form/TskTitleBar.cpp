#include "skin/form/TskTitleBar.h"

#include "component/AlignLayout.h"
#include "component/ComponentState.h"
#include "platform/SystemLanguage.h"
#include "platform/WindowManager.h"
#include "skin/draw/SkinGeometry.h"
#include "skin/draw/SkinPainting.h"
#include "skin/draw/TskColor.h"
#include "skin/form/SkinFormBorder.h"
#include "skin/form/SkinMainForm.h"
#include "skin/form/TskTitleBarButtons.h"
#include "skin/form/TskTitleBarPopupMenu.h"
#include "skin/form/TskTitleBarSections.h"
#include "skin/theme/SkinFormInterface.h"
#include "skin/theme/SkinStyleList.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>

namespace {

constexpr qint32 kBlack = 0;
constexpr qint32 kWhite = 0x00FFFFFF;

} // namespace

TskTitleBar::TskTitleBar(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    m_systemMenu = new TskTitleBarPopupMenu(this);
    ComponentState::setOwner(m_systemMenu, this);
    m_systemMenu->installEventFilter(this);
    m_sections = new TskTitleBarSections(this);
    m_buttons = new TskTitleBarButtons(this);
    for (TskTitleBarBtnType type : {TskTitleBarButton::skControlBox, TskTitleBarButton::skClose,
                                    TskTitleBarButton::skMax, TskTitleBarButton::skMin})
        m_buttons->Add()->SetButtonType(type);

    AlignLayout::setAlign(this, AlignLayout::alTop);
    // On an ordinary window nobody else keeps the bar along the top edge.
    if (parent && !IsSkinForm(parent) && !parent->layout())
        AlignLayout::manage(parent);

    QFont captionFont(QStringLiteral("Tahoma"));
    captionFont.setPixelSize(11);
    captionFont.setBold(true);
    setFont(captionFont);
    m_fontColor = kWhite;
    watchForm();
    SetUIStyle(GetOwnerFormUIStyle(parent));
}

TskTitleBar::~TskTitleBar() {
    // The buttons and sections go before the system menu, whose handlers
    // read them.
    delete m_buttons;
    m_buttons = nullptr;
    delete m_sections;
    m_sections = nullptr;
    delete m_systemMenu;
    m_systemMenu = nullptr;
}

// ---- properties ----

void TskTitleBar::SetFileTheme(TskFileTheme* theme) {
    WatchFileTheme(this, m_fileTheme, theme, [this] { SetUIStyle(TskUIStyle::DeepBlue); });
    m_applyingTheme = true;
    SetUIStyle(m_uiStyle);
    m_applyingTheme = false;
}

void TskTitleBar::SetUIStyle(TskUIStyle value) {
    m_uiStyle = value;
    if (m_custom)
        return;
    TskUIStyle effective = value;
    const bool usingTheme = UsingFileTheme(m_fileTheme, value, effective);
    auto image = [&](TskThemeKey key) {
        QImage picture;
        SkinGetBitmap(m_fileTheme, value, key, &picture);
        return picture;
    };
    auto integer = [&](TskThemeKey key) { return SkinGetInt(m_fileTheme, value, key); };

    m_sections->Clear();
    TskTitleBarSection* left = m_sections->Add();
    left->SetPicture(image(ThemeKey::TitleBarLeftImage));
    left->SetAutoSize(true);
    TskTitleBarSection* right = m_sections->Add();
    right->SetPicture(image(ThemeKey::TitleBarRightImage));
    right->SetAutoSize(true);
    right->SetAlign(TskTitleBarSection::skRight);
    TskTitleBarSection* client = m_sections->Add();
    client->SetPicture(image(ThemeKey::TitleBarClientImage));
    client->SetAlign(TskTitleBarSection::skClient);

    m_leftBtnXOffset = integer(ThemeKey::TitleBarButtonLeftOffsetInt);
    m_rightBtnXOffset = integer(ThemeKey::TitleBarButtonRightOffsetInt);
    m_buttonImageHeight = image(ThemeKey::TitleBarButtonImage).height();
    m_buttonRowTop =
        integer(ThemeKey::TitleBarButtonTopInt) - (InSkinForm() ? SkinFormBorder::kFrame : 0);
    if (QWidget* form = ParentForm())
        form->setMinimumWidth(qMax(0, integer(ThemeKey::FormMinWidthInt)));
    m_roundCorner = integer(ThemeKey::FormRoundCornerInt);
    m_roundCornerBottom = usingTheme ? m_fileTheme->GetInt(ThemeKey::FormBottomRoundCornerInt) : 0;

    const TskUIStyle buttonStyle = usingTheme ? TskUIStyle::FromThemeFile : effective;
    for (int i = 0; i < m_buttons->Count(); ++i)
        m_buttons->Items(i)->SetUIStyle(buttonStyle);
    m_systemMenu->SetUIStyle(buttonStyle);
    m_systemMenu->SetFileTheme(m_fileTheme);

    if (!m_applyingTheme) {
        m_fontColor = StyleFontColor(
            value, usingTheme, usingTheme ? m_fileTheme->GetColor(ThemeKey::TitleBarFontColor) : 0,
            usingTheme ? m_fileTheme->GetColor(ThemeKey::ControlFontColor) : 0);
    }
    SetAutoSize(true);
    update();
}

void TskTitleBar::SetAutoSize(bool value) {
    m_autoSize = value;
    if (m_sections->Count() == 0) {
        m_autoSize = false;
        return;
    }
    const int h = qMax(0, m_sections->Items(0)->Picture().height() -
                              (InSkinForm() ? SkinFormBorder::kFrame : 0));
    if (h == height())
        return;
    resize(width(), h);
    if (parentWidget())
        AlignLayout::realign(parentWidget());
}

// ---- the window ----

QWidget* TskTitleBar::ParentForm() const {
    return parentWidget() ? window() : nullptr;
}

bool TskTitleBar::InSkinForm() const {
    return IsSkinForm(parentWidget());
}

int TskTitleBar::SideBorderWidth() const {
    const SkinFormInterface* skinForm = SkinFormInterface::skinFormOf(ParentForm());
    return skinForm ? skinForm->GetSideBorderWidth() : 0;
}

bool TskTitleBar::IsRightToLeft() const {
    return layoutDirection() == Qt::RightToLeft && SystemLanguage::isMiddleEast();
}

void TskTitleBar::UpdateMaxButtons() {
    for (int i = 0; i < m_buttons->Count(); ++i)
        m_buttons->Items(i)->UpdateMaxPictures();
    update();
}

QImage TskTitleBar::SectionPicture(int index) const {
    const TskTitleBarSection* section = m_sections->Items(index);
    return section ? section->Picture() : QImage();
}

bool TskTitleBar::HasStandardSections() const {
    return m_sections->Count() == 3;
}

void TskTitleBar::PopupSystemMenuAtForm() {
    if (QWidget* form = ParentForm())
        m_systemMenu->Popup(form->x(), form->y() + height());
}

void TskTitleBar::ToggleMaximized(QWidget* form) {
    if (!form)
        return;
    const Qt::WindowStates state = form->windowState();
    if (state & Qt::WindowMaximized)
        form->setWindowState(state & ~Qt::WindowMaximized);
    else
        form->setWindowState((state & ~Qt::WindowMinimized) | Qt::WindowMaximized);
}

void TskTitleBar::MinimizeForm(QWidget* form) {
    // With no window manager to take the window off the screen it would stay
    // where it is, flagged minimized, its children hidden (the banner's web
    // view stops drawing) until something clears the flag: it stays as it is.
    if (!form || WindowManager::MissingOnX())
        return;
    if (form != ApplicationMainForm()) {
        form->setWindowState(form->windowState() | Qt::WindowMinimized);
        return;
    }
    // The main form takes the whole application down with it.
    for (QWidget* window : QApplication::topLevelWidgets()) {
        const Qt::WindowType type = window->windowType();
        if (window == form || (window->isVisible() && type != Qt::Popup && type != Qt::ToolTip))
            window->setWindowState(window->windowState() | Qt::WindowMinimized);
    }
}

QPoint TskTitleBar::ClampScreenX(QPoint point) {
    if (point.x() < 0)
        point.setX(0);
    return point;
}

void TskTitleBar::watchForm() {
    QWidget* form = ParentForm();
    if (form == m_watchedForm)
        return;
    if (m_watchedForm)
        m_watchedForm->removeEventFilter(this);
    m_watchedForm = form;
    if (form && form != this)
        form->installEventFilter(this);
}

bool TskTitleBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_systemMenu &&
        (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick))
        return systemMenuPress(static_cast<QMouseEvent*>(event));
    // A window maximized or restored by other means shows the right pictures too.
    if (watched == m_watchedForm && event->type() == QEvent::WindowStateChange)
        UpdateMaxButtons();
    return QWidget::eventFilter(watched, event);
}

bool TskTitleBar::event(QEvent* event) {
    if (event->type() == QEvent::ParentChange)
        watchForm();
    return QWidget::event(event);
}

void TskTitleBar::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange)
        update();
    QWidget::changeEvent(event);
}

bool TskTitleBar::systemMenuPress(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || m_boxOnScreen.isNull())
        return false;
    const bool onBox = m_boxOnScreen.contains(event->globalPosition().toPoint());
    const bool soon =
        event->timestamp() >= m_boxClickTime &&
        event->timestamp() - m_boxClickTime <= quint64(QApplication::doubleClickInterval());
    m_boxOnScreen = QRect();
    if (!onBox || !soon)
        return false;
    m_systemMenu->hide();
    // Closed once the menu's press is over: the window may take the bar
    // and its menu with it.
    QPointer<QWidget> form = ParentForm();
    QMetaObject::invokeMethod(
        this,
        [form] {
            if (form)
                form->close();
        },
        Qt::QueuedConnection);
    return true;
}

// ---- geometry ----

TskTitleBar::Layout TskTitleBar::ComputeLayout(const LayoutInput& input,
                                               const std::vector<ButtonSlot>& buttons) {
    Layout layout;
    layout.rects.resize(buttons.size());
    int x = input.barWidth + input.rightBtnXOffset + input.sideBorderWidth;
    const int top = input.rowTop;
    for (size_t i = 0; i < buttons.size(); ++i) {
        const ButtonSlot& slot = buttons[i];
        if (!slot.visible)
            continue;
        if (slot.controlBox) {
            layout.controlBox = int(i);
            continue;
        }
        const int w = slot.size.width();
        x -= w + input.buttonInterval + 1;
        if (x + w + 1 > input.barWidth)
            x = input.barWidth - w - 1;
        layout.rects[i] = QRect(QPoint(x, top), slot.size);
    }
    int leftX = qMax(0, input.leftBtnXOffset - (input.sideBorderWidth - 1));
    if (layout.controlBox >= 0) {
        const QSize size = buttons[size_t(layout.controlBox)].size;
        layout.rects[size_t(layout.controlBox)] = QRect(QPoint(leftX, top), size);
        if (input.drawAppIcon) {
            layout.controlBoxDraw = QPoint(leftX + 3, top);
            leftX += 21;
        } else {
            layout.controlBoxDraw = QPoint(leftX, top - 1);
            leftX += size.width() + 5;
        }
    }
    if (leftX == 0)
        leftX = 6;
    layout.captionLeft = leftX;
    layout.rightEdge = x;
    return layout;
}

int TskTitleBar::HitTest(const Layout& layout, QPoint point) {
    int hot = -1;
    for (size_t i = 0; i < layout.rects.size(); ++i) {
        const QRect& r = layout.rects[i];
        if (int(i) != layout.controlBox && !r.isNull() && InRect(point, r))
            hot = int(i);
    }
    if (layout.controlBox >= 0 && InRect(point, layout.rects[size_t(layout.controlBox)]))
        hot = layout.controlBox;
    return hot;
}

QString TskTitleBar::FitCaption(const QString& caption, int room,
                                const std::function<int(const QString&)>& textWidth) {
    if (textWidth(caption) <= room)
        return caption;
    const QString dots = QStringLiteral("...");
    QString text = caption;
    while (!text.isEmpty() && textWidth(text + dots) > room) {
        // Never split a surrogate pair.
        const int cut = text.size() >= 2 && text.back().isLowSurrogate() ? 2 : 1;
        text.chop(cut);
    }
    return text + dots;
}

qint32 TskTitleBar::StyleFontColor(TskUIStyle uiStyle, bool usingTheme,
                                   qint32 themeTitleBarFontColor, qint32 themeControlFontColor) {
    // A built-in style has its caption colour among its values.
    if (const SkinStyle* style = SkinStyleList::Find(uiStyle))
        return style->titleBarFontColor;
    if (!usingTheme)
        return kWhite;
    if (themeTitleBarFontColor != -1)
        return themeTitleBarFontColor;
    switch (themeControlFontColor) {
    case ThemeFamilyMarker(1):
    case ThemeFamilyMarker(3):
    case ThemeFamilyMarker(4):
    case ThemeFamilyMarker(5):
        return kBlack;
    default:
        return kWhite;
    }
}

std::vector<TskTitleBar::ButtonSlot> TskTitleBar::buttonSlots() const {
    std::vector<ButtonSlot> result;
    for (int i = 0; i < m_buttons->Count(); ++i) {
        const TskTitleBarButton* button = m_buttons->Items(i);
        result.push_back({button->Visible(),
                          button->ButtonType() == TskTitleBarButton::skControlBox,
                          button->PicNormal().size()});
    }
    return result;
}

TskTitleBar::Layout TskTitleBar::CurrentLayout() const {
    LayoutInput input;
    input.barWidth = width();
    input.sideBorderWidth = SideBorderWidth();
    input.leftBtnXOffset = m_leftBtnXOffset;
    input.rightBtnXOffset = m_rightBtnXOffset;
    input.buttonInterval = m_buttonInterval;
    input.rowTop = m_buttonRowTop;
    input.drawAppIcon = m_drawAppIcon;
    return ComputeLayout(input, buttonSlots());
}

void TskTitleBar::updateHot() {
    m_hotButton = m_mouse ? HitTest(CurrentLayout(), *m_mouse) : -1;
}

// ---- painting ----

void TskTitleBar::paintEvent(QPaintEvent*) {
    if (width() <= 0 || height() <= 0)
        return;
    // Composed off screen and copied once: no flicker while the mouse moves.
    QImage bitmap(size(), QImage::Format_ARGB32_Premultiplied);
    bitmap.fill(palette().color(QPalette::Window));
    DrawSections(bitmap);
    DrawButtons(bitmap);
    QPainter painter(this);
    painter.drawImage(0, 0, bitmap);
}

void TskTitleBar::DrawSections(QImage& bitmap) {
    QPainter canvas(&bitmap);
    int a = 0, b = 0;
    if (InSkinForm()) {
        // The images start at the window's corner, inside the form's frame.
        const int w = SideBorderWidth();
        a = w != 0 ? -w : -SkinFormBorder::kFrame;
        b = -SkinFormBorder::kFrame;
    }
    const int count = m_sections->Count();
    int leftEnd = a, rightStart = bitmap.width();
    if (count >= 1) {
        const QImage left = m_sections->Items(0)->Picture();
        canvas.drawImage(a, b, left);
        leftEnd = a + left.width();
    }
    if (count >= 2) {
        const QImage right = m_sections->Items(1)->Picture();
        rightStart = bitmap.width() - right.width() - a;
        canvas.drawImage(rightStart, b, right);
    }
    if (count >= 3) {
        const QImage client = m_sections->Items(2)->Picture();
        const QRect target = RectLTRB(leftEnd, b, rightStart, b + client.height());
        if (!client.isNull() && target.width() > 0 && target.height() > 0)
            canvas.drawImage(target.topLeft(), client.scaled(target.size(), Qt::IgnoreAspectRatio,
                                                             Qt::FastTransformation));
    }
}

QImage TskTitleBar::appIcon() const {
    QIcon icon = window()->windowIcon();
    if (icon.isNull())
        icon = QApplication::windowIcon();
    return icon.isNull() ? QImage() : icon.pixmap(16, 16).toImage();
}

void TskTitleBar::DrawButtons(QImage& bitmap) {
    const Layout layout = CurrentLayout();
    m_hotButton = m_mouse ? HitTest(layout, *m_mouse) : -1;
    QPainter canvas(&bitmap);

    auto stateImage = [&](const TskTitleBarButton* button, int index) {
        const QImage normal = button->PicNormal();
        QImage picture = normal;
        if (index == m_hotButton)
            picture = m_pressed ? button->PicMouseDown() : button->PicMouseOn();
        // The scratch bitmap has PicNormal's size.
        return picture.size() == normal.size() ? picture : picture.copy(normal.rect());
    };
    auto draw = [&](const TskTitleBarButton* button, const QImage& picture, QPoint at) {
        if (picture.isNull())
            return;
        if (button->Transparent())
            DrawMasked(canvas, at, picture, picture.pixel(0, picture.height() - 1));
        else
            canvas.drawImage(at, picture);
    };

    for (int i = 0; i < m_buttons->Count(); ++i) {
        const TskTitleBarButton* button = m_buttons->Items(i);
        if (i == layout.controlBox || layout.rects[size_t(i)].isNull())
            continue;
        draw(button, stateImage(button, i), layout.rects[size_t(i)].topLeft());
    }
    if (layout.controlBox >= 0) {
        const TskTitleBarButton* box = m_buttons->Items(layout.controlBox);
        if (m_drawAppIcon) {
            const QImage icon = appIcon();
            if (!icon.isNull())
                canvas.drawImage(layout.controlBoxDraw, icon);
        } else {
            draw(box, stateImage(box, layout.controlBox), layout.controlBoxDraw);
        }
    }

    canvas.setFont(font());
    canvas.setPen(TskColor::toQColor(m_formActive ? m_fontColor : TskColor::InactiveCaption));
    const QFontMetrics metrics(font());
    const QString text = FitCaption(m_caption, layout.rightEdge - layout.captionLeft,
                                    [&](const QString& s) { return metrics.horizontalAdvance(s); });
    const int y = (m_buttonImageHeight - metrics.height()) / 2 + m_buttonRowTop;
    const int textWidth = metrics.horizontalAdvance(text);
    const int x = IsRightToLeft() ? layout.rightEdge - textWidth - 10 : layout.captionLeft;
    canvas.drawText(QRect(x, y, textWidth + 1, metrics.height()),
                    Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
}

// ---- mouse ----

void TskTitleBar::mousePressEvent(QMouseEvent* event) {
    QWidget::mousePressEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    m_mouse = event->position().toPoint();
    m_pressed = true;
    updateHot();
    update();
    QWidget* form = ParentForm();
    if (form && m_hotButton < 0 && !form->isMaximized()) {
        m_pressed = false;
        m_formStart = form->pos();
        StartWindowDrag(event->globalPosition().toPoint());
    }
}

void TskTitleBar::StartWindowDrag(QPoint pressGlobal) {
    m_dragArmed = ParentForm() != nullptr;
    m_manualDrag = false;
    m_pressGlobal = pressGlobal;
}

void TskTitleBar::mouseMoveEvent(QMouseEvent* event) {
    QWidget::mouseMoveEvent(event);
    m_mouse = event->position().toPoint();
    if (m_dragArmed && (event->buttons() & Qt::LeftButton)) {
        const QPoint now = event->globalPosition().toPoint();
        QWidget* form = ParentForm();
        // The window goes with the pointer from its first motion, as the
        // system's own caption drag does: there is no drag distance to cover.
        if (form && !m_manualDrag && now != m_pressGlobal) {
            // Not at the press: a window manager that gets round to a move
            // only after the button is up again keeps moving with no button
            // held, misses the release, and un-maximizes the window the
            // double click just maximized. Begun from the press point, the
            // move keeps the grabbed point under the pointer all the same.
            if (WindowManager::StartMove(form->windowHandle(), m_pressGlobal))
                m_dragArmed = false;
            else
                m_manualDrag = true; // nobody to ask: the bar moves it
        }
        if (form && m_manualDrag)
            form->move(m_formStart + (now - m_pressGlobal));
    }
    updateHot();
    update();
}

void TskTitleBar::mouseReleaseEvent(QMouseEvent* event) {
    QWidget::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    m_dragArmed = false;
    m_manualDrag = false;
    m_mouse = event->position().toPoint();
    updateHot();
    QPointer<TskTitleBar> self(this);
    const int index = m_hotButton;
    if (TskTitleBarButton* button = m_buttons->Items(index)) {
        const TskTitleBarBtnType type = button->ButtonType();
        if (type != TskTitleBarButton::skControlBox || button->ControlBoxMenu()) {
            button->DoClick();
            if (!self)
                return;
            if (type == TskTitleBarButton::skCustom)
                emit OnCustomBtnsClick(this, index);
            else if (type == TskTitleBarButton::skHelp)
                emit OnHelpBtnClick(this, index);
        } else {
            const QRect box = CurrentLayout().rects[size_t(index)];
            m_boxOnScreen = QRect(mapToGlobal(box.topLeft()), box.size());
            m_boxClickTime = event->timestamp();
            const QPoint at = mapToGlobal(QPoint(0, height()));
            m_systemMenu->Popup(at.x(), at.y());
        }
    }
    if (!self)
        return;
    m_pressed = false;
    update();
}

void TskTitleBar::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    m_mouse = event->position().toPoint();
    m_pressed = true;
    updateHot();
    update();
    if (m_hotButton < 0) {
        for (int i = 0; i < m_buttons->Count(); ++i) {
            TskTitleBarButton* button = m_buttons->Items(i);
            if (button->Visible() && button->ButtonType() == TskTitleBarButton::skMax) {
                button->DoClick();
                break;
            }
        }
    } else if (m_hotButton == CurrentLayout().controlBox) {
        if (QWidget* form = ParentForm())
            form->close();
    }
}

void TskTitleBar::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    emit OnResize(this);
}

void TskTitleBar::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    m_mouse.reset();
    updateHot();
    update();
}
