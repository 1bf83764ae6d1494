#include "app/controls/TDirectoryListBox.h"

#include "platform/MountTable.h"
#include "skin/draw/PngResource.h"

#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QPainter>
#include <QStyledItemDelegate>

namespace {

constexpr int kLevelRole = Qt::UserRole + 1;

// Indents each row by its level; the rest is the standard item look.
class IndentDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem indented = option;
        indented.rect.adjust(index.data(kLevelRole).toInt() * TDirectoryListBox::kIndent, 0, 0, 0);
        QStyledItemDelegate::paint(painter, indented, index);
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(static_cast<QListWidget*>(parent())->property("ItemHeight").toInt());
        return size;
    }
};

// Decoded once: a folder with many subfolders would otherwise decode the
// same picture for every row.
const QIcon& iconOf(TDirectoryListBox::Icon icon) {
    static const QIcon open = PngResource::icon(QStringLiteral(":/icons/OPENFOLDER.png"));
    static const QIcon current = PngResource::icon(QStringLiteral(":/icons/CURRENTFOLDER.png"));
    static const QIcon closed = PngResource::icon(QStringLiteral(":/icons/CLOSEDFOLDER.png"));
    switch (icon) {
    case TDirectoryListBox::Icon::OpenFolder:
        return open;
    case TDirectoryListBox::Icon::CurrentFolder:
        return current;
    case TDirectoryListBox::Icon::ClosedFolder:
        break;
    }
    return closed;
}

} // namespace

TDirectoryListBox::TDirectoryListBox(QWidget* parent) : QListWidget(parent) {
    setIconSize(QSize(16, 15));
    setItemDelegate(new IndentDelegate(this));
    setUniformItemSizes(true);
    connect(this, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { openRow(row(item)); });
    setDirectory(QDir::currentPath());
}

QList<TDirectoryListBox::Entry> TDirectoryListBox::entriesFor(const QString& directory,
                                                              const QStringList& subfolders) {
    QList<Entry> entries;
    const QString clean = QDir::cleanPath(directory);
    const QStringList parts = clean.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    entries.append({QStringLiteral("/"), QStringLiteral("/"), 0,
                    parts.isEmpty() ? Icon::CurrentFolder : Icon::OpenFolder});
    QString path;
    for (int i = 0; i < parts.size(); ++i) {
        path += QLatin1Char('/') + parts[i];
        entries.append({parts[i], path, i + 1,
                        i + 1 == parts.size() ? Icon::CurrentFolder : Icon::OpenFolder});
    }
    const QString base = parts.isEmpty() ? QString() : path;
    for (const QString& sub : subfolders)
        entries.append(
            {sub, base + QLatin1Char('/') + sub, int(parts.size()) + 1, Icon::ClosedFolder});
    return entries;
}

QStringList TDirectoryListBox::visibleSubfolders(const QString& directory) {
    return QDir(directory).entryList(QDir::Dirs | QDir::NoDotAndDotDot,
                                     QDir::Name | QDir::IgnoreCase | QDir::LocaleAware);
}

bool TDirectoryListBox::setDirectory(const QString& path) {
    const QFileInfo info(path);
    if (!info.isDir() || !info.isExecutable())
        return false;
    const QString absolute = QDir::cleanPath(info.absoluteFilePath());
    QDir::setCurrent(absolute);
    const bool changed = absolute != m_directory;
    m_directory = absolute;
    m_lastFolderOnDrive.insert(drive(), absolute);
    rebuild();
    if (changed)
        emit OnChange();
    return true;
}

QString TDirectoryListBox::drive() const {
    return MountTable::driveOf(m_directory, m_drives ? *m_drives : MountTable::mountedDrives());
}

void TDirectoryListBox::setDrive(const QString& mountPoint) {
    if (mountPoint.isEmpty() || mountPoint == drive())
        return;
    if (!setDirectory(m_lastFolderOnDrive.value(mountPoint, mountPoint)))
        setDirectory(mountPoint);
}

void TDirectoryListBox::setItemHeight(int height) {
    m_itemHeight = height;
    doItemsLayout();
}

void TDirectoryListBox::rebuild() {
    m_entries = entriesFor(m_directory, visibleSubfolders(m_directory));
    clear();
    int current = 0;
    for (int i = 0; i < m_entries.size(); ++i) {
        const Entry& e = m_entries[i];
        auto* item = new QListWidgetItem(iconOf(e.icon), e.name, this);
        item->setData(Qt::UserRole, e.path);
        item->setData(kLevelRole, e.level);
        if (e.icon == Icon::CurrentFolder)
            current = i;
    }
    setCurrentRow(current);
}

void TDirectoryListBox::openRow(int row) {
    if (row >= 0 && row < m_entries.size())
        setDirectory(m_entries[row].path);
}

void TDirectoryListBox::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        openRow(currentRow());
        return;
    }
    QListWidget::keyPressEvent(event);
}
