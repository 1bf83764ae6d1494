#pragma once

// What the skinned popup and main menus share: the look properties, the style
// application, and the measuring and drawing of every item in the menu's
// style. The items live on real Qt menus so keyboard navigation, sub-menus
// and mnemonics behave as users expect; a per-menu proxy style hands each
// item to this class to be measured and drawn.

#include "skin/theme/SkinThemeUser.h"
#include "skin/theme/SkinThemes.h"
#include "skin/theme/TskFileTheme.h"

#include <QFont>
#include <QIcon>
#include <QImage>
#include <QList>
#include <QMenu>
#include <QPointer>
#include <QRect>
#include <QString>

class QAction;
class QPainter;
class QStyle;

class SkinMenu : public QMenu, public SkinThemeUser {
    Q_OBJECT
    Q_INTERFACES(SkinThemeUser)
    Q_PROPERTY(TskFileTheme* FileTheme READ FileTheme WRITE SetFileTheme)
    Q_PROPERTY(TskUIStyle UIStyle READ UIStyle WRITE SetUIStyle)
    Q_PROPERTY(int MenuItemHeight READ MenuItemHeight WRITE SetMenuItemHeight)
    Q_PROPERTY(int SeparatorHeight READ SeparatorHeight WRITE SetSeparatorHeight)
    Q_PROPERTY(int BarWidth READ BarWidth WRITE SetBarWidth)
    Q_PROPERTY(int BarColor READ BarColor WRITE SetBarColor)
    Q_PROPERTY(int Color READ Color WRITE SetColor)
    Q_PROPERTY(int SeparatorColor READ SeparatorColor WRITE SetSeparatorColor)
    Q_PROPERTY(int SelectedBorderColor READ SelectedBorderColor WRITE SetSelectedBorderColor)
    Q_PROPERTY(int SelectedColor READ SelectedColor WRITE SetSelectedColor)
    Q_PROPERTY(int SelectedFontColor READ SelectedFontColor WRITE SetSelectedFontColor)
    Q_PROPERTY(int FontColor READ FontColor WRITE SetFontColor)
    Q_PROPERTY(int BorderColor READ BorderColor WRITE SetBorderColor)
    Q_PROPERTY(bool FlatMenu READ FlatMenu WRITE SetFlatMenu)
    Q_PROPERTY(QString FontName READ FontName WRITE SetFontName)
    Q_PROPERTY(int FontSize READ FontSize WRITE SetFontSize)
    Q_PROPERTY(int FontCharset READ FontCharset WRITE SetFontCharset)
    Q_PROPERTY(bool UseSystemFont READ UseSystemFont WRITE SetUseSystemFont)
    Q_PROPERTY(TMenuAutoFlag AutoHotkeys READ AutoHotkeys WRITE SetAutoHotkeys)

public:
    // Whether the menu gives its items accelerators of its own.
    enum class TMenuAutoFlag { maAutomatic, maManual };
    Q_ENUM(TMenuAutoFlag)

    // What drawing needs of one item, read from a QAction or a style option.
    struct ItemData {
        QString caption; // with its "&" marks
        QString shortcut;
        bool separator = false;
        bool enabled = true;
        bool checked = false;
        bool isDefault = false;
        bool hasSubMenu = false;
        int imageIndex = -1;
        QIcon icon; // an action's own icon counts as its image when it has no index
    };

    // Where the parts of an item go inside its rectangle R.
    struct ItemGeometry {
        QRect bar;     // side bar (empty when BarWidth is 0)
        QRect body;    // the rest of R, filled with Color
        QRect caption; // the caption's box (text drawn from its top)
        bool captionRight = false;
        int shortcutX = 0; // left edge of the shortcut text
        int textTop = 0;
        int imageX = 0;   // image column
        QRect checkFrame; // black frame behind a checked item's image
        QRect checkFill;  // SelectedColor fill inside it
        QPoint imagePos;
    };

    static constexpr int kDisabledTextColor = 0x808080; // RGB(128,128,128)
    // The border ring of a menu window, as wide as the native one it stands for.
    static constexpr int kPanelWidth = 3;

    explicit SkinMenu(QWidget* owner = nullptr);
    ~SkinMenu() override;

    TskUIStyle UIStyle() const { return m_uiStyle; }
    void SetUIStyle(TskUIStyle style);
    TskFileTheme* FileTheme() const override { return m_fileTheme; }
    void SetFileTheme(TskFileTheme* theme) override;

    int MenuItemHeight() const { return m_menuItemHeight; }
    void SetMenuItemHeight(int value);
    int SeparatorHeight() const { return m_separatorHeight; }
    void SetSeparatorHeight(int value);
    int BarWidth() const { return m_barWidth; }
    void SetBarWidth(int value) { m_barWidth = value; }
    int BarColor() const { return m_barColor; }
    void SetBarColor(int value) { m_barColor = value; }
    int Color() const { return m_color; }
    void SetColor(int value) { m_color = value; }
    int SeparatorColor() const { return m_separatorColor; }
    void SetSeparatorColor(int value) { m_separatorColor = value; }
    int SelectedBorderColor() const { return m_selectedBorderColor; }
    void SetSelectedBorderColor(int value) { m_selectedBorderColor = value; }
    int SelectedColor() const { return m_selectedColor; }
    void SetSelectedColor(int value) { m_selectedColor = value; }
    int SelectedFontColor() const { return m_selectedFontColor; }
    void SetSelectedFontColor(int value) { m_selectedFontColor = value; }
    int FontColor() const { return m_fontColor; }
    void SetFontColor(int value) { m_fontColor = value; }
    // Stored for the layout; the drawing does not use it.
    int BorderColor() const { return m_borderColor; }
    void SetBorderColor(int value) { m_borderColor = value; }
    bool FlatMenu() const { return m_flatMenu; }
    void SetFlatMenu(bool value) { m_flatMenu = value; }
    QString FontName() const { return m_fontName; }
    void SetFontName(const QString& value) { m_fontName = value; }
    int FontSize() const { return m_fontSize; }
    void SetFontSize(int value) { m_fontSize = value; }
    int FontCharset() const { return m_fontCharset; }
    void SetFontCharset(int value) { m_fontCharset = value; }
    bool UseSystemFont() const { return m_useSystemFont; }
    virtual void SetUseSystemFont(bool value) { m_useSystemFont = value; }
    // maAutomatic (the default): each time a menu of the tree drops down,
    // its items without an accelerator get one, and an accelerator a sibling
    // already has is given another. maManual: the accelerators are exactly
    // the letters marked with "&".
    TMenuAutoFlag AutoHotkeys() const { return m_autoHotkeys; }
    void SetAutoHotkeys(TMenuAutoFlag flag) { m_autoHotkeys = flag; }

    // Installs the skinned drawing on this menu and every sub-menu below it.
    // A new menu is hooked at once, and items and sub-menus inserted later
    // anywhere in the tree are hooked as they come, so this only needs
    // calling again for menus handed over already filled.
    virtual void HookMenuItems();

    // Shows the menu at a screen point.
    virtual void Popup(int x, int y);

    // The font items are drawn with (system menu font or FontName/FontSize).
    QFont ItemFont() const;
    QSize MeasureMenuItem(const ItemData& item, const QFontMetrics& metrics) const;
    // The column QMenu adds after the items of Menu for the widest shortcut,
    // in the menu's own font: a measured item already counts its shortcut.
    static int ShortcutColumnWidth(const QMenu& menu);
    // Draws one item into R of Canvas.
    void DrawMenuItem(const ItemData& item, QPainter& canvas, const QRect& r, bool selected) const;
    // The menu window's border ring (kPanelWidth wide) and the area no item
    // covers: the skinned flat border when FlatMenu is on, a raised one else.
    void DrawMenuFrame(QPainter& canvas, const QRect& windowRect) const;
    void DrawMenuBackground(QPainter& canvas, const QRect& rect) const;
    void DrawMenuItem(QAction* action, QPainter& canvas, const QRect& r, bool selected) const;

    // Both right-to-left conditions: the menu lays out right to left and the
    // system locale is a Middle-East one.
    bool IsRightToLeft() const;

    // The image list item images come from (the "Images" reading), or null.
    virtual const QList<QImage>* ItemImages() const = 0;
    // The check mark drawn for checked items without a valid image.
    virtual QImage CheckMarkImage() const = 0;

    // ---- pure rules ----
    // A caption of exactly "-" makes a separator; "--" is a normal item.
    static bool IsSeparatorCaption(const QString& caption);
    // The captions of sibling items with accelerators made unique: an item
    // keeps its "&" letter unless an earlier sibling has it; one without a
    // letter (or with a taken one) gets the first letter or digit of its
    // caption that no sibling has, and none when every one is taken.
    // Separators ("-") stay as they are.
    static QStringList RethinkHotkeys(const QStringList& captions);
    // The same applied to the items of Menu.
    static void RethinkHotkeys(QMenu* menu);
    static int ItemHeight(bool separator, int menuItemHeight, int separatorHeight);
    static int ItemWidth(int captionWidth, int shortcutWidth, int barWidth);
    static ItemGeometry LayoutItem(const QRect& r, int barWidth, bool rightToLeft,
                                   int shortcutWidth);
    static bool ValidImageIndex(int index, const QList<QImage>* images);
    static qint32 ItemTextColor(bool enabled, bool selected, qint32 selectedFontColor,
                                qint32 fontColor);
    static ItemData DataFromAction(const QAction* action);
    // The 16x16 check mark with white as its transparent colour.
    static QImage MakeCheckMarkImage();
    // An item's image index lives on its action.
    static void SetItemImageIndex(QAction* action, int index);
    static int ItemImageIndex(const QAction* action);

signals:
    // The menu tree changed (an item added, removed or changed).
    void menuChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Called after a change anywhere in the tree.
    virtual void MenuChanged() {}

private:
    class Style;
    void hookMenu(QMenu* menu);
    void drawItemImage(QPainter& canvas, const QImage& image, QPoint pos, bool enabled) const;
    qint32 styleColor(TskThemeKey key) const;

    Style* m_style;
    TskUIStyle m_uiStyle = TskUIStyle::DeepBlue;
    QPointer<TskFileTheme> m_fileTheme;
    int m_menuItemHeight;
    int m_separatorHeight;
    int m_barWidth;
    int m_barColor;
    int m_color;
    int m_separatorColor;
    int m_selectedBorderColor;
    int m_selectedColor;
    int m_selectedFontColor;
    int m_fontColor;
    int m_borderColor;
    bool m_flatMenu;
    QString m_fontName;
    int m_fontSize;
    int m_fontCharset;
    bool m_useSystemFont;
    TMenuAutoFlag m_autoHotkeys = TMenuAutoFlag::maAutomatic;
};
