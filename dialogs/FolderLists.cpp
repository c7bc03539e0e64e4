#include "dialogs/FolderLists.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QSignalBlocker>
#include <QStorageInfo>
#include <QStyle>

#include <algorithm>

namespace quorva {
namespace {

QString cleanFolder(const QString& path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

} // namespace

bool folderIsIn(const QString& path, const QString& root)
{
    if (root.isEmpty()) return false;
    if (path == root) return true;
    const QString prefix = root.endsWith(QLatin1Char('/')) ? root : root + QLatin1Char('/');
    return path.startsWith(prefix);
}

// ---- DirectoryListBox ------------------------------------------------------

DirectoryListBox::DirectoryListBox(QWidget* parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) { activate(item); });
    directory_ = cleanFolder(QDir::currentPath());
    refresh();
}

bool DirectoryListBox::setDirectory(const QString& path)
{
    if (path.isEmpty()) return false;
    const QFileInfo info(path);
    if (!info.isDir()) return false;
    const QString folder = cleanFolder(path);
    if (folder == directory_) return true;
    directory_ = folder;
    refresh();
    if (onChange) onChange();
    return true;
}

void DirectoryListBox::refresh()
{
    const QSignalBlocker blocker(this);
    clear();
    const QIcon openIcon = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closedIcon = style()->standardIcon(QStyle::SP_DirClosedIcon);

    // The path from the root down: "/", "home", "user", ...
    QStringList parts = directory_.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString path = QStringLiteral("/");
    int depth = 0;
    auto add = [this](const QString& text, const QString& folder, const QIcon& icon, int indent) {
        auto* item = new QListWidgetItem(icon, QString(indent * 2, QLatin1Char(' ')) + text, this);
        item->setData(kFolderRole, folder);
        item->setToolTip(folder);
        return item;
    };
    QListWidgetItem* current = add(QStringLiteral("/"), path, openIcon, depth);
    for (const QString& part : parts) {
        path = path.endsWith(QLatin1Char('/')) ? path + part : path + QLatin1Char('/') + part;
        current = add(part, path, openIcon, ++depth);
    }
    // Then the sub-folders of the current one.
    const QDir dir(directory_);
    const QStringList children
        = dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase | QDir::LocaleAware);
    for (const QString& child : children) add(child, dir.filePath(child), closedIcon, depth + 1);
    setCurrentItem(current);
    scrollToItem(current);
}

QListWidgetItem* DirectoryListBox::itemForFolder(const QString& folder) const
{
    const QString wanted = cleanFolder(folder);
    for (int i = 0; i < count(); ++i) {
        if (item(i)->data(kFolderRole).toString() == wanted) return item(i);
    }
    return nullptr;
}

void DirectoryListBox::activate(QListWidgetItem* item)
{
    if (!item) return;
    const QString folder = item->data(kFolderRole).toString();
    if (!setDirectory(folder)) refresh(); // the folder went away meanwhile: show what is there now
}

// ---- DriveComboBox ---------------------------------------------------------

DriveComboBox::DriveComboBox(QWidget* parent) : QComboBox(parent)
{
    connect(this, &QComboBox::activated, this, [this](int index) {
        const QString root = itemData(index, kRootRole).toString();
        if (!root.isEmpty() && onChange) onChange(root);
    });
    refresh();
}

void DriveComboBox::refresh()
{
    const QSignalBlocker blocker(this);
    const QString previous = drive();
    clear();
    QList<QStorageInfo> volumes = QStorageInfo::mountedVolumes();
    std::sort(volumes.begin(), volumes.end(),
        [](const QStorageInfo& a, const QStorageInfo& b) { return a.rootPath() < b.rootPath(); });
    const QIcon icon = style()->standardIcon(QStyle::SP_DriveHDIcon);
    for (const QStorageInfo& v : volumes) {
        const QString root = v.rootPath();
        // Containers bind-mount single files (/etc/hosts): not a drive.
        if (!v.isValid() || !v.isReady() || !QFileInfo(root).isDir()) continue;
        if (findData(root, kRootRole) >= 0) continue; // the same root mounted twice: one entry
        QString text = root;
        const QString name = v.displayName();
        if (!name.isEmpty() && name != root) text += QStringLiteral(" [") + name + QLatin1Char(']');
        addItem(icon, text);
        setItemData(count() - 1, root, kRootRole);
        setItemData(count() - 1, root, Qt::ToolTipRole);
    }
    if (findData(QStringLiteral("/"), kRootRole) < 0) {
        // Every folder lies on the root volume at least.
        insertItem(0, icon, QStringLiteral("/"));
        setItemData(0, QStringLiteral("/"), kRootRole);
    }
    if (!previous.isEmpty()) follow(previous);
}

void DriveComboBox::follow(const QString& folder)
{
    const QSignalBlocker blocker(this);
    int best = -1;
    int bestLength = -1;
    for (int i = 0; i < count(); ++i) {
        const QString root = itemData(i, kRootRole).toString();
        if (folderIsIn(folder, root) && root.size() > bestLength) {
            best = i;
            bestLength = static_cast<int>(root.size());
        }
    }
    setCurrentIndex(best);
}

QString DriveComboBox::drive() const
{
    return currentIndex() < 0 ? QString() : itemData(currentIndex(), kRootRole).toString();
}

} // namespace quorva
