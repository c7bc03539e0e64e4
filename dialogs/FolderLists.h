#pragma once
// The folder and drive lists of the file selection dialog.
//
// DirectoryListBox shows the path from the root down to its current folder
// (one entry per folder, indented by depth) followed by the current folder's
// sub-folders; activating an entry (double click, Return) moves the list
// there. DriveComboBox lists the mounted volumes; choosing one moves the
// linked folder list to the volume's root.

#include <QComboBox>
#include <QListWidget>
#include <QString>

#include <functional>

namespace quorva {

class DirectoryListBox : public QListWidget {
public:
    explicit DirectoryListBox(QWidget* parent = nullptr);

    // Absolute, cleaned, without a trailing separator ("/" for the root).
    QString directory() const { return directory_; }

    // Moves the list to `path` (relative paths from the working directory).
    // False, and the list where it was, when `path` is not an existing
    // folder. Runs onChange when the folder changed.
    bool setDirectory(const QString& path);

    // Lists the current folder's sub-folders again.
    void refresh();

    // The entry of `folder` (for tests and keyboard-free use); null if none.
    QListWidgetItem* itemForFolder(const QString& folder) const;

    std::function<void()> onChange;

    static constexpr int kFolderRole = Qt::UserRole;

private:
    void activate(QListWidgetItem* item);
    QString directory_;
};

class DriveComboBox : public QComboBox {
public:
    explicit DriveComboBox(QWidget* parent = nullptr);

    // Lists the mounted volumes again.
    void refresh();
    // Selects the volume that holds `folder` (longest root that is a prefix)
    // without running onChange.
    void follow(const QString& folder);
    // Root folder of the selected volume; empty when none.
    QString drive() const;

    // The user chose a volume; its root folder.
    std::function<void(const QString& root)> onChange;

    static constexpr int kRootRole = Qt::UserRole;
};

// True when `path` lies in `root` (equal, or below it).
bool folderIsIn(const QString& path, const QString& root);

} // namespace quorva
