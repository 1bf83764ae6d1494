#include "skin/form/TskForm.h"

#include "component/AlignLayout.h"
#include "component/ComponentState.h"
#include "component/LayoutCollection.h"
#include "component/PropertyByName.h"
#include "platform/MessageBoxSeam.h"
#include "platform/WindowManager.h"
#include "skin/draw/SkinGeometry.h"
#include "skin/draw/SkinPainting.h"
#include "skin/draw/TskColor.h"
#include "skin/form/SkinFormEdges.h"
#include "skin/form/SkinFormRegion.h"
#include "skin/form/SkinMainForm.h"
#include "skin/form/TskTitleBar.h"
#include "skin/form/TskTitleBarPopupMenu.h"
#include "skin/menus/TskMainMenu.h"
#include "skin/menus/TskMenuBar.h"
#include "skin/menus/TskPopupMenu.h"
#include "skin/theme/SkinImageCatalog.h"
#include "skin/theme/SkinStyleList.h"
#include "skin/theme/TskSkinError.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMetaProperty>
#include <QPaintEvent>
#include <QPainter>
#include <QWindow>
#include <QWindowStateChangeEvent>

namespace {

// A picture as a stored layout names it: "NAME" is a whole built-in image,
// "NAME:n" frame n of its strip.
QImage layoutPicture(const QString& text) {
    const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
    bool numbered = false;
    const int frame = colon > 0 ? text.mid(colon + 1).toInt(&numbered) : 0;
    const QString name = numbered ? text.left(colon) : text;
    const QImage strip = LoadBuiltinImage(name);
    if (!numbered || strip.isNull())
        return strip;
    const TskBuiltinImageInfo* info = FindBuiltinImage(name);
    QImage picture;
    ExtractFrame(strip, picture, info ? info->frames : 1, frame);
    return picture;
}

TskMainMenu* asMainMenu(QMenu* menu) {
    return qobject_cast<TskMainMenu*>(menu);
}

// Sees every key event of the application for one form; kept apart from the
// form's own filter on its window so window events are handled once.
class ApplicationKeys : public QObject {
public:
    explicit ApplicationKeys(TskForm* form) : QObject(form), m_form(form) {
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type type = event->type();
        if (type != QEvent::KeyPress && type != QEvent::ShortcutOverride)
            return false;
        return m_form->ApplicationKeyEvent(watched, static_cast<QKeyEvent*>(event));
    }

private:
    TskForm* m_form;
};

} // namespace

TskForm::TskForm(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    // OnMouseMove follows the pointer with no button held.
    setMouseTracking(true);
    m_color = TskColor::fromQColor(palette().color(QPalette::Button));
    if (!parent || !parent->isWindow())
        return;
    for (QObject* child : parent->children())
        if (child != this && IsSkinForm(child))
            throw TskSkinError(
                QStringLiteral("Sorry, You can create only one TskForm component in one form!"));

    m_owner = parent;
    parent->setMinimumSize(kMinWidth, kMinHeight);
    setMinimumSize(kMinWidth, kMinHeight);
    m_maximizedAtCreation = parent->isMaximized();

    m_titleBar = new TskTitleBar(this);
    ComponentState::setOwner(m_titleBar, this);
    connect(m_titleBar, &TskTitleBar::OnCustomBtnsClick, this, &TskForm::OnTitleBarCustomBtnsClick);
    connect(m_titleBar, &TskTitleBar::OnHelpBtnClick, this, &TskForm::OnTitleBarHelpBtnClick);
    m_menuBarColor = m_color;
    m_menuBarHeight = 22;
    AlignLayout::manage(this);
    SetUIStyle(TskUIStyle::DeepBlue);
    m_autoUpdateSub = false;
    AlignLayout::setAlign(this, AlignLayout::alClient);
    SetCaption(parent->windowTitle());
    SetTitleBarVisible(true);
    takeOver();
    // The window's bounds with the ring it has grown by: what a window made
    // maximized comes back to.
    m_boundsAtCreation = parent->geometry();
}

TskForm::~TskForm() {
    m_destroying = true;
    if (TskMainMenu* menu = asMainMenu(m_menu))
        menu->SetSkinForm(nullptr);
    releaseOwner();
    delete m_menuBar;
    m_menuBar = nullptr;
    delete m_titleBar;
    m_titleBar = nullptr;
}

// ---- taking over the window ----

namespace {

// Set on a window while a skinned form holds it, or while the hand-back of
// one that went is still pending: whether the window was frameless before
// any skinned form took it.
constexpr const char* kFramelessBeforeSkin = "_deckvane_frameless_before_skin";

} // namespace

void TskForm::takeOver() {
    QWidget* owner = m_owner;
    const QVariant before = owner->property(kFramelessBeforeSkin);
    if (before.isValid()) {
        // A skinned form on this window went a moment ago and its hand-back
        // has not run: the window is still frameless and sized for the
        // ring, and what it was before belongs to the first form.
        m_ownerWasFrameless = before.toBool();
    } else {
        const bool wasVisible = owner->isVisible();
        m_ownerWasFrameless = owner->windowFlags().testFlag(Qt::FramelessWindowHint);
        owner->setProperty(kFramelessBeforeSkin, m_ownerWasFrameless);
        if (!m_ownerWasFrameless) {
            owner->setWindowFlag(Qt::FramelessWindowHint, true);
            if (wasVisible)
                owner->show();
        }
        // What was the window's client area stays its client area: the
        // window grows by the ring the form now paints.
        const QMargins ring =
            SkinFormBorder::ClientMargins(GetSideBorderWidth(), m_bottomBorderHeight);
        owner->resize(owner->width() + ring.left() + ring.right(),
                      owner->height() + ring.top() + ring.bottom());
    }
    // A compositor takes a window shape only as the region that gets the
    // pointer: the cut corners must be see-through pixels, which needs a
    // window with an alpha channel from its creation on.
    if (WindowManager::OnCompositor())
        owner->setAttribute(Qt::WA_TranslucentBackground);
    applyClientMargins();
    if (!owner->layout())
        AlignLayout::manage(owner);
    // The ring shows the resize pointer before any button is pressed.
    owner->setMouseTracking(true);
    owner->installEventFilter(this);
    m_applicationKeys = new ApplicationKeys(this);
    SetFormRegion();
}

void TskForm::keepFrameless() {
    // New window flags re-create the native window with the system's frame:
    // it goes again once the change is through.
    if (m_owner->windowFlags().testFlag(Qt::FramelessWindowHint))
        return;
    QPointer<QWidget> owner = m_owner;
    QPointer<TskForm> self(this);
    QMetaObject::invokeMethod(
        m_owner,
        [owner, self] {
            if (!owner || !self || self->m_destroying ||
                owner->windowFlags().testFlag(Qt::FramelessWindowHint))
                return;
            const bool wasVisible = owner->isVisible();
            owner->setWindowFlag(Qt::FramelessWindowHint, true);
            if (wasVisible)
                owner->show();
        },
        Qt::QueuedConnection);
}

void TskForm::releaseOwner() {
    QWidget* owner = m_owner;
    if (!owner)
        return;
    owner->removeEventFilter(this);
    delete m_applicationKeys;
    m_applicationKeys = nullptr;
    if (QCoreApplication::closingDown())
        return;
    // The window gets its frame back once control returns to the event loop:
    // a window that is itself being destroyed (its children go first) never
    // sees the call. A skinned form created on the window in between keeps
    // it as it is.
    const bool restoreFrame = !m_ownerWasFrameless;
    QPointer<QWidget> window = owner;
    QMetaObject::invokeMethod(
        owner,
        [window, restoreFrame] {
            if (!window || skinFormOf(window))
                return;
            window->setProperty(kFramelessBeforeSkin, QVariant());
            window->clearMask();
            window->unsetCursor();
            AlignLayout::setClientMargins(window, QMargins());
            if (restoreFrame) {
                const bool wasVisible = window->isVisible();
                window->setWindowFlag(Qt::FramelessWindowHint, false);
                if (wasVisible)
                    window->show();
            }
        },
        Qt::QueuedConnection);
}

void TskForm::applyClientMargins() {
    if (!m_owner)
        return;
    // The ring lies inside the skinned window, which may reach past the
    // window's own edges (maximized under a window manager).
    const QRect skin = SkinRect();
    const QRect own = m_owner->rect();
    const QMargins beyond(own.left() - skin.left(), own.top() - skin.top(),
                          RectRight(skin) - RectRight(own), RectBottom(skin) - RectBottom(own));
    const QMargins ring = SkinFormBorder::ClientMargins(GetSideBorderWidth(), m_bottomBorderHeight);
    AlignLayout::setClientMargins(m_owner, ring - beyond);
}

QRect TskForm::SkinRect() const {
    if (!m_owner)
        return QRect();
    const QRect own = m_owner->rect();
    // A window manager or compositor gives a maximized window the work area
    // and holds it there (a window asking for other bounds is restored, or
    // refused). The window keeps its maximized state and its place, and
    // lays itself out as if it had the maximized bounds: the frame reaches
    // past three of its edges, out of sight, and its last row stays clear.
    if (m_owner->isMaximized() && WindowManager::PlacesWindows())
        return MaximizedBounds(own);
    return own;
}

// ---- style ----

void TskForm::SetFileTheme(TskFileTheme* theme) {
    if (theme == m_fileTheme)
        return;
    WatchFileTheme(this, m_fileTheme, theme, [this] { themeGone(); });
    SetUIStyle(m_uiStyle);
}

void TskForm::themeGone() {
    // Every child that followed the theme goes back to the fallback style,
    // whatever UIStyleAutoUpdateSub says.
    ContainerApplyUIStyle(this, TskUIStyle::DeepBlue, nullptr);
    SetUIStyle(TskUIStyle::DeepBlue);
}

void TskForm::SetUIStyle(TskUIStyle value) {
    m_uiStyle = value;
    TskUIStyle effective = value;
    if (UsingFileTheme(m_fileTheme, value, effective)) {
        TskFileTheme* theme = m_fileTheme;
        SetBorderColor(theme->GetColor(ThemeKey::FormBorderColor));
        SetBorderWidth(theme->GetInt(ThemeKey::FormBorderWidthInt));
        SetColor(theme->GetColor(ThemeKey::FormBackgroundColor));
        if (m_menuBar) {
            qint32 barColor = theme->GetColor(ThemeKey::MenuMenuBarColor);
            if (barColor == -1) {
                const qint32 fontColor = theme->GetColor(ThemeKey::ControlFontColor);
                barColor = fontColor == ThemeFamilyMarker(2)   ? 0x00AC5B3B
                           : fontColor == ThemeFamilyMarker(3) ? 0x00996733
                                                               : m_color;
            }
            SetMenuBarColor(barColor);
        }
        SetRoundCorner(theme->GetInt(ThemeKey::FormRoundCornerInt));
        SetRoundCornerBottom(theme->GetInt(ThemeKey::FormBottomRoundCornerInt));
        QImage side;
        theme->GetBitmap(ThemeKey::FormLeftBorderImage, side);
        if (side.width() > 0 && side.height() > 0) {
            m_sideBorderImage = side;
            m_sideBorderImageTurned = side.copy();
            RotateBitmap180(m_sideBorderImageTurned);
        } else {
            m_sideBorderImage = QImage();
            m_sideBorderImageTurned = QImage();
        }
        QImage bottom;
        theme->GetBitmap(ThemeKey::FormBottomBorderImage, bottom);
        m_bottomBorderImage = bottom;
        m_bottomBorderHeight = bottom.isNull() ? 0 : bottom.height();
    } else {
        SetBorderColor(GetBuiltinColor(effective, ThemeKey::FormBorderColor));
        SetBorderWidth(GetBuiltinInt(effective, ThemeKey::FormBorderWidthInt));
        SetColor(GetBuiltinColor(effective, ThemeKey::FormBackgroundColor));
        SetMenuBarColor(m_color);
        SetRoundCorner(GetBuiltinInt(effective, ThemeKey::FormRoundCornerInt));
        SetRoundCornerBottom(0);
        m_bottomBorderImage = QImage();
        m_bottomBorderHeight = 0;
        m_sideBorderImage = QImage();
        m_sideBorderImageTurned = QImage();
    }
    applyClientMargins();

    if (m_titleBar) {
        m_titleBar->SetFileTheme(m_fileTheme);
        m_titleBar->SetUIStyle(value);
    }
    if (TskMainMenu* menu = asMainMenu(m_menu)) {
        menu->SetUIStyle(value);
        menu->SetFileTheme(m_fileTheme);
    }
    if (m_autoUpdateSub)
        ContainerApplyUIStyle(this, value, m_fileTheme);
    update();
    PaintFormBorder();
    SetFormRegion();
}

void TskForm::RefreshFrame() {
    // The theme this form draws from has read a new file. Repainting the
    // frame alone would show the old file's colours, border images and
    // title bar around components that already show the new one: the form
    // takes the whole style again, and with it its title bar.
    SetUIStyle(m_uiStyle);
}

// ---- plain properties ----

void TskForm::SetBorderColor(int value) {
    m_borderColor = value;
    PaintFormBorder();
}

void TskForm::SetBorderWidth(int value) {
    m_borderWidth = value;
    PaintFormBorder();
}

void TskForm::SetColor(int value) {
    m_color = value;
    update();
    PaintFormBorder();
}

bool TskForm::TitleBarCustom() const {
    return m_titleBar && m_titleBar->Custom();
}

void TskForm::SetTitleBarCustom(bool value) {
    if (m_titleBar)
        m_titleBar->SetCustom(value);
}

bool TskForm::TitleBarVisible() const {
    return m_titleBar && !m_titleBar->isHidden();
}

void TskForm::SetTitleBarVisible(bool value) {
    if (!m_titleBar || value == TitleBarVisible())
        return;
    m_titleBar->setVisible(value);
    restackBars();
    AlignLayout::realign(this);
    PaintFormBorder();
    SetFormRegion();
}

void TskForm::SetBiDiMode(TBiDiMode mode) {
    m_biDiMode = mode;
    // The title bar and the controls below take their parent's direction.
    setLayoutDirection(mode == TBiDiMode::bdRightToLeft ? Qt::RightToLeft : Qt::LeftToRight);
    update();
}

QString TskForm::Caption() const {
    return m_titleBar ? m_titleBar->Caption() : QString();
}

void TskForm::SetCaption(const QString& value) {
    if (m_titleBar)
        m_titleBar->SetCaption(value);
    if (m_owner)
        m_owner->setWindowTitle(value);
}

void TskForm::SetFormPanel(QWidget* panel) {
    if (panel == this) {
        MessageBoxSeam::showRefusal(
            QStringLiteral("Sorry, you can't select the Form assign to FormPanel property"));
        return;
    }
    m_formPanel = panel;
    if (!panel)
        return;
    AlignLayout::setAlign(panel, AlignLayout::alClient);
    if (auto* frame = qobject_cast<QFrame*>(panel))
        frame->setFrameShape(QFrame::NoFrame);
    for (const char* bevel : {"BevelOuter", "BevelInner"})
        if (HasProperty(panel, bevel))
            SetPropertyByName(panel, bevel, QStringLiteral("bvNone"));
    if (HasProperty(panel, "BorderStyle"))
        SetPropertyByName(panel, "BorderStyle", QStringLiteral("bsNone"));
    if (HasProperty(panel, "Caption"))
        SetPropertyByName(panel, "Caption", QString());
}

QVariant TskForm::TitleBarButtons() const {
    return m_titleBar ? QVariant::fromValue(m_titleBar->Buttons()) : QVariant();
}

void TskForm::SetTitleBarButtons(const QVariant& value) {
    applyCollection(value, true);
}

QVariant TskForm::TitleBarSections() const {
    return m_titleBar ? QVariant::fromValue(m_titleBar->Sections()) : QVariant();
}

void TskForm::SetTitleBarSections(const QVariant& value) {
    applyCollection(value, false);
}

void TskForm::applyCollection(const QVariant& value, bool buttons) {
    if (!m_titleBar)
        return;
    if (value.canConvert<TskTitleBarButtons*>() && buttons) {
        if (auto* source = value.value<TskTitleBarButtons*>())
            m_titleBar->Buttons()->Assign(*source);
    } else if (value.canConvert<TskTitleBarSections*>() && !buttons) {
        if (auto* source = value.value<TskTitleBarSections*>())
            m_titleBar->Sections()->Assign(*source);
    } else if (value.canConvert<LayoutCollection>()) {
        const LayoutCollection items = value.value<LayoutCollection>();
        if (buttons)
            m_titleBar->Buttons()->Clear();
        else
            m_titleBar->Sections()->Clear();
        for (const LayoutItem& stored : items) {
            QObject* item = buttons ? static_cast<QObject*>(m_titleBar->Buttons()->Add())
                                    : static_cast<QObject*>(m_titleBar->Sections()->Add());
            for (const auto& [name, stored_value] : stored.properties) {
                QVariant v = stored_value;
                const QByteArray key = name.toLatin1();
                const QVariant current = GetPropertyByName(item, key.constData());
                if (current.typeId() == QMetaType::QImage && v.typeId() == QMetaType::QString)
                    v = layoutPicture(v.toString());
                if (!SetPropertyByName(item, key.constData(), v))
                    qWarning("%s: %s item %d: cannot set %s to %s", qPrintable(objectName()),
                             buttons ? "TitleBarButtons" : "TitleBarSections",
                             int(&stored - items.constData()), key.constData(),
                             qPrintable(stored_value.toString()));
            }
        }
        if (!buttons)
            m_titleBar->SetAutoSize(m_titleBar->AutoSize());
    }
    m_titleBar->update();
    PaintFormBorder();
}

bool TskForm::TitleBarDrawAppIcon() const {
    return m_titleBar && m_titleBar->DrawAppIcon();
}

void TskForm::SetTitleBarDrawAppIcon(bool value) {
    if (m_titleBar)
        m_titleBar->SetDrawAppIcon(value);
}

QFont TskForm::Font() const {
    return m_titleBar ? m_titleBar->font() : QFont();
}

void TskForm::SetFont(const QFont& font) {
    if (m_titleBar)
        m_titleBar->setFont(font);
}

int TskForm::FontColor() const {
    return m_titleBar ? m_titleBar->FontColor() : 0;
}

void TskForm::SetFontColor(int value) {
    if (m_titleBar)
        m_titleBar->SetFontColor(value);
}

int TskForm::RoundCorner() const {
    return TitleBarVisible() ? m_titleBar->RoundCorner() : 0;
}

void TskForm::SetRoundCorner(int value) {
    if (!m_titleBar)
        return;
    m_titleBar->SetRoundCorner(value);
    SetFormRegion();
}

int TskForm::RoundCornerBottom() const {
    return TitleBarVisible() ? m_titleBar->RoundCornerBottom() : 0;
}

void TskForm::SetRoundCornerBottom(int value) {
    if (!m_titleBar)
        return;
    m_titleBar->SetRoundCornerBottom(value);
    SetFormRegion();
}

int TskForm::GetTitleBarHeight() const {
    return TitleBarVisible() ? m_titleBar->height() : 0;
}

int TskForm::GetSideBorderWidth() const {
    return m_sideBorderImage.isNull() ? 0 : m_sideBorderImage.width();
}

// ---- painting ----

void TskForm::paintEvent(QPaintEvent*) {
    if (m_destroying)
        return;
    // One fill, straight into the window's backing store: that is already
    // the off-screen picture the window system shows in one go, and an own
    // copy of the whole panel for every paint (transparent controls ask for
    // the panel behind them again and again) would only add to it.
    QPainter canvas(this);
    const SkinStyle* style = SkinStyleList::Find(m_uiStyle);
    if (style && style->patternBackground) {
        // The pattern starts at the panel's top-left corner.
        TileDraw(canvas, LoadBuiltinImage(style->imageName("FORM_BACKGROUND")), rect());
    } else {
        canvas.fillRect(rect(), TskColor::toQColor(m_color));
    }
}

SkinFormBorder::Input TskForm::FrameInput() const {
    SkinFormBorder::Input in;
    if (!m_owner)
        return in;
    const QRect skin = SkinRect();
    in.width = skin.width();
    in.height = skin.height();
    in.borderColor = m_borderColor;
    in.borderWidth = m_borderWidth;
    in.color = m_color;
    if (m_titleBar) {
        in.titleBarVisible = TitleBarVisible();
        in.titleBarHeight = m_titleBar->height();
        in.standardSections = m_titleBar->HasStandardSections();
        in.leftImage = m_titleBar->SectionPicture(0);
        in.rightImage = m_titleBar->SectionPicture(1);
        in.clientImage = m_titleBar->SectionPicture(2);
        in.roundCorner = RoundCorner();
    } else {
        in.titleBarVisible = false;
    }
    in.formColor = TskColor::ofWidget(m_owner);
    in.menuBarExists = m_menuBar != nullptr;
    in.menuBarVisible = m_menuBar && !m_menuBar->isHidden();
    in.menuBarColor = m_menuBar ? m_menuBar->Color() : m_menuBarColor;
    in.menuBarHeight = m_menuBar ? m_menuBar->height() : 0;
    in.sideImage = m_sideBorderImage;
    in.sideImageTurned = m_sideBorderImageTurned;
    in.bottomImage = m_bottomBorderImage;
    return in;
}

void TskForm::PaintFormBorder() {
    if (m_destroying || !m_owner || m_owner->isMinimized())
        return;
    // Only the ring around the panel: the panel paints itself.
    m_owner->update(QRegion(m_owner->rect()) - QRegion(geometry()));
}

void TskForm::paintOwner() {
    QPainter canvas(m_owner);
    // Outside the shape stays see-through where the window has an alpha channel.
    if (!m_region.isEmpty())
        canvas.setClipRegion(m_region);
    canvas.fillRect(m_owner->rect(), TskColor::toQColor(m_color));
    canvas.translate(SkinRect().topLeft());
    SkinFormBorder::Paint(canvas, FrameInput());
}

void TskForm::SetFormRegion() {
    if (m_destroying || !m_owner)
        return;
    const int corner = RoundCorner();
    const int cornerBottom = RoundCornerBottom();
    const QRect skin = SkinRect();
    m_region = SkinFormRegion::FormRegion(skin.width(), skin.height(), corner, cornerBottom)
                   .translated(skin.topLeft()) &
               m_owner->rect();
    // The offscreen platform has no window shapes; the region is kept all the same.
    if (QGuiApplication::platformName() == QLatin1String("offscreen"))
        return;
    if (m_region == QRegion(m_owner->rect()))
        m_owner->clearMask();
    else
        m_owner->setMask(m_region);
}

// ---- window events ----

QRect TskForm::MaximizedBounds(const QRect& workArea) {
    return RectLTRB(workArea.left() - 4, workArea.top() - 4, RectRight(workArea) + 4,
                    RectBottom(workArea) - 1);
}

bool TskForm::IsSystemMenuKey(const QKeyEvent* key) {
    return key && key->key() == Qt::Key_Space && (key->modifiers() & Qt::AltModifier) &&
           !(key->modifiers() & (Qt::ControlModifier | Qt::MetaModifier));
}

void TskForm::applyMaximizedBounds() {
    // A window manager sizes the windows it maximizes itself, and answers a
    // resize asked of one (openbox, depending on timing) by restoring it; a
    // compositor gives a maximized window its size and allows no other.
    // There the window stays where it was put and lays its skin out over the
    // maximized bounds instead (SkinRect); only where nobody else places
    // windows does it take those bounds itself.
    if (WindowManager::PlacesWindows())
        return;
    const QRect target = MaximizedBounds(GetWorkAreaRect());
    if (m_owner->geometry() == target)
        return;
    SetWindowBounds(m_owner, target);
}

void TskForm::ownerStateChanged(Qt::WindowStates oldState) {
    QWidget* owner = m_owner;
    const bool maximized = owner->isMaximized();
    if (m_maximizedAtCreation) {
        if (!maximized) {
            SetControlBounds(owner, m_boundsAtCreation);
            m_maximizedAtCreation = false;
        }
    } else if (maximized && !(oldState & Qt::WindowMaximized)) {
        // A window manager may have sized the window before it says so:
        // the bounds it had when the maximizing was asked for, when known.
        const QRect normal = owner->normalGeometry();
        m_normalBounds = normal.isValid() ? normal : owner->geometry();
    }
    applyClientMargins();
    if (maximized) {
        applyMaximizedBounds();
    } else if ((oldState & Qt::WindowMaximized) && !owner->isMinimized() &&
               m_normalBounds.isValid()) {
        // Without a window manager nobody else puts the window back; with
        // one, the maximized bounds asked for a moment ago may still be on
        // their way, so the request goes out even when the window seems to
        // be in place already.
        SetWindowBounds(owner, m_normalBounds);
    }
    PaintFormBorder();
    if (m_titleBar)
        m_titleBar->UpdateMaxButtons();
    SetFormRegion();
}

bool TskForm::eventFilter(QObject* watched, QEvent* event) {
    if (m_destroying || !m_owner)
        return QWidget::eventFilter(watched, event);
    if (watched == m_owner) {
        switch (event->type()) {
        case QEvent::Paint:
            paintOwner();
            return true;
        case QEvent::WindowActivate:
        case QEvent::WindowDeactivate:
            if (m_titleBar)
                m_titleBar->SetFormActive(event->type() == QEvent::WindowActivate);
            break;
        case QEvent::WindowStateChange:
            ownerStateChanged(static_cast<QWindowStateChangeEvent*>(event)->oldState());
            break;
        case QEvent::Resize:
            if (m_owner->isMaximized())
                applyMaximizedBounds();
            applyClientMargins();
            PaintFormBorder();
            if (m_titleBar)
                m_titleBar->UpdateMaxButtons();
            SetFormRegion();
            break;
        case QEvent::MouseButtonPress:
        case QEvent::MouseMove:
        case QEvent::MouseButtonRelease:
            if (ringMouseEvent(static_cast<QMouseEvent*>(event)))
                return true;
            break;
        case QEvent::Leave:
            if (!m_resizeEdges)
                m_owner->unsetCursor();
            break;
        case QEvent::Show:
            // The window never carries a menu of its own: the menu bar shows it.
            if (HasProperty(m_owner, "Menu"))
                SetPropertyByName(m_owner, "Menu", QVariant::fromValue<QMenu*>(nullptr));
            SetFormRegion();
            keepFrameless();
            break;
        case QEvent::WinIdChange:
        case QEvent::ParentChange:
            keepFrameless();
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TskForm::enterEvent(QEnterEvent* event) {
    QWidget::enterEvent(event);
    // Off the ring, onto the panel or a control on it: the window's own
    // pointer again.
    if (m_owner && !m_resizeEdges)
        m_owner->unsetCursor();
}

void TskForm::mousePressEvent(QMouseEvent* event) {
    emit OnMouseDown(this);
    if (event->button() == Qt::LeftButton)
        m_clickPressed = true;
}

void TskForm::mouseMoveEvent(QMouseEvent*) {
    emit OnMouseMove(this);
}

void TskForm::mouseReleaseEvent(QMouseEvent* event) {
    emit OnMouseUp(this);
    if (event->button() != Qt::LeftButton || !m_clickPressed)
        return;
    m_clickPressed = false;
    if (rect().contains(event->position().toPoint()))
        emit OnClick(this);
}

void TskForm::contextMenuEvent(QContextMenuEvent* event) {
    if (!m_popupMenu) {
        event->ignore();
        return;
    }
    m_popupMenu->Popup(event->globalPos().x(), event->globalPos().y());
}

bool TskForm::EdgesResizable() const {
    QWidget* owner = m_owner;
    if (!owner || owner->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen))
        return false;
    if (owner->minimumSize() == owner->maximumSize())
        return false;
    if (HasProperty(owner, "BorderStyle")) {
        const QString style = GetPropertyByName(owner, "BorderStyle").toString();
        return style == QLatin1String("bsSizeable") || style == QLatin1String("bsSizeToolWin");
    }
    return true;
}

bool TskForm::ringMouseEvent(QMouseEvent* event) {
    QWidget* owner = m_owner;
    const QPoint global = event->globalPosition().toPoint();
    if (m_resizeEdges) {
        // The window system had no resize of its own: the window follows
        // the pointer until the button comes up.
        if (event->type() == QEvent::MouseMove) {
            owner->setGeometry(SkinFormEdges::Resized(m_resizeStart, m_resizeEdges,
                                                      global - m_resizePressGlobal,
                                                      owner->minimumSize(), owner->maximumSize()));
        } else if (event->type() == QEvent::MouseButtonRelease &&
                   !(event->buttons() & Qt::LeftButton)) {
            m_resizeEdges = {};
            owner->unsetCursor();
        }
        return true;
    }
    const Qt::Edges edges = SkinFormEdges::HitTest(
        owner->size(), event->position().toPoint(),
        SkinFormBorder::ClientMargins(GetSideBorderWidth(), m_bottomBorderHeight),
        EdgesResizable());
    if (event->type() == QEvent::MouseMove && event->buttons() == Qt::NoButton) {
        if (edges)
            owner->setCursor(SkinFormEdges::CursorFor(edges));
        else
            owner->unsetCursor();
        return false;
    }
    if (event->type() != QEvent::MouseButtonPress || event->button() != Qt::LeftButton || !edges)
        return false;
    if (QWindow* handle = owner->windowHandle(); handle && handle->startSystemResize(edges))
        return true;
    m_resizeEdges = edges;
    m_resizeStart = owner->geometry();
    m_resizePressGlobal = global;
    return true;
}

bool TskForm::ApplicationKeyEvent(QObject* receiver, QKeyEvent* key) {
    if (m_destroying || !m_owner)
        return false;
    const bool shortcutOverride = key->type() == QEvent::ShortcutOverride;
    if (IsSystemMenuKey(key)) {
        // The window the key came to answers; a window without a skinned
        // form hands it to the main window's.
        auto* widget = qobject_cast<QWidget*>(receiver);
        SkinFormInterface* target =
            widget ? SkinFormInterface::skinFormOf(widget->window()) : nullptr;
        if (!target)
            target = SkinFormInterface::skinFormOf(ApplicationMainForm());
        if (target != this)
            return false;
        if (shortcutOverride) {
            key->accept();
            return true;
        }
        if (m_titleBar)
            m_titleBar->PopupSystemMenuAtForm();
        return true;
    }
    return !shortcutOverride && MenuShortCut(key);
}

// ---- menu bar ----

void TskForm::SetMenu(QMenu* menu) {
    if (m_menu) {
        disconnect(m_menu, nullptr, this, nullptr);
        if (TskMainMenu* old = asMainMenu(m_menu))
            old->SetSkinForm(nullptr);
    }
    m_menu = menu;
    if (menu) {
        connect(menu, &QObject::destroyed, this, &TskForm::menuGone);
        if (TskMainMenu* main = asMainMenu(menu))
            main->SetSkinForm(this);
    }
    if (!m_menu) {
        DestroyMenuBar();
        return;
    }
    if (!m_menuBar)
        CreateMenuBar();
    UpdateMenuBar();
}

void TskForm::menuGone() {
    m_menu = nullptr;
    DestroyMenuBar();
}

void TskForm::restackBars() {
    // Top-aligned children are stacked by their top edge, ties in child
    // order: the title bar goes first, the menu bar right after it.
    if (m_menuBar) {
        m_menuBar->move(0, 0);
        m_menuBar->lower();
    }
    if (m_titleBar) {
        m_titleBar->move(0, 0);
        m_titleBar->lower();
    }
}

void TskForm::CreateMenuBar() {
    if (m_menuBar || !m_owner)
        return;
    m_menuBar = new TskMenuBar(this);
    ComponentState::setOwner(m_menuBar, this);
    // Buttons wrapping onto another row grow the bar: the ring beside it
    // follows.
    connect(m_menuBar, &TskMenuBar::heightChanged, this, [this] { PaintFormBorder(); });
    m_menuBar->SetBarHeight(m_menuBarHeight);
    m_menuBar->SetColor(m_menuBarColor);
    AlignLayout::setAlign(m_menuBar, AlignLayout::alTop);
    restackBars();
    m_menuBar->show();
    AlignLayout::realign(this);
    PaintFormBorder();
}

void TskForm::DestroyMenuBar() {
    delete m_menuBar;
    m_menuBar = nullptr;
    if (m_menu) {
        disconnect(m_menu, nullptr, this, nullptr);
        if (TskMainMenu* main = asMainMenu(m_menu))
            main->SetSkinForm(nullptr);
    }
    m_menu = nullptr;
    AlignLayout::realign(this);
    PaintFormBorder();
}

void TskForm::UpdateMenuBar() {
    if (!m_menuBar)
        return;
    if (!m_menu) {
        DestroyMenuBar();
        return;
    }
    m_menuBar->SetMenu(m_menu);
    m_menuBar->Rebuild();
    UpdateMenuBarFont();
}

void TskForm::UpdateMenuBarItems() {
    // The bar's buttons share the menu's items, so their captions and
    // enabled states are already current; they only need showing.
    if (m_menuBar)
        m_menuBar->update();
}

void TskForm::UpdateMenuBarFont() {
    if (!m_menuBar || !m_menu)
        return;
    // A skinned main menu decides the bar's font; with any other menu the
    // bar keeps its own.
    if (asMainMenu(m_menu))
        m_menuBar->setFont(m_menuBar->DrawFont());
    m_menuBar->update();
}

void TskForm::SetMenuBarColor(int value) {
    m_menuBarColor = value;
    if (m_menuBar) {
        m_menuBar->SetColor(value);
        PaintFormBorder();
    }
}

void TskForm::SetMenuBarHeight(int value) {
    m_menuBarHeight = value;
    if (m_menuBar) {
        m_menuBar->SetBarHeight(value);
        AlignLayout::realign(this);
        PaintFormBorder();
    }
}

bool TskForm::MenuShortCut(const QKeyEvent* key) {
    if (m_destroying || !m_owner || !m_menu)
        return false;
    if (!FormIsActive(m_owner) || !m_owner->isActiveWindow())
        return false;
    TskMainMenu* menu = asMainMenu(m_menu);
    return menu && menu->IsShortCut(key);
}
