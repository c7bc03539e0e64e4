#pragma once
// The file selection dialog (TForm2, "Select Tervasol Lightcurve File"): a
// non-modal window in two modes. "Input File" lists the light-curve files of
// a folder by unit mask ("LC*SFU*.txt" or "LC*ADU*.txt", any case); a click on
// a file plots it at once through the main window's re-plot. "Output Folder"
// chooses the folder the plot files go to. The dialog keeps the input and
// output folders, the unit text and the file mask; the selected file is
// asked of its file list whenever it is needed.

#include "dialogs/FolderLists.h"

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QString>
#include <QWidget>

#include <functional>
#include <string>

namespace quorva {

class TForm2 : public QWidget {
public:
    static constexpr const char* kCaption = "Select Tervasol Lightcurve File";

    // The folders as the configuration gave them (raw bytes of the file
    // system). `rePlot` is the main window's re-plot, `closed` re-enables its
    // "Open..." button.
    TForm2(const std::string& inputFolder, const std::string& outputFolder, std::function<void()> rePlot,
        std::function<void()> closed);

    // Handlers.
    void FormCreate();
    void ComboBox1Change();         // unit
    void ComboBox2Change();         // mode
    void DirectoryListBox1Change(); // input folder list moved
    void DirectoryListBox2Change(); // output folder list moved
    void FileListBox1Click();       // a file was clicked: plot it

    // The main window's first "Open...": show the configured folders.
    void showFolders();

    // Full path of the file selected in the file list; empty when none.
    QString selectedFile() const;
    std::string selectedFilePath() const; // as the file system wants it
    // Selects the entry of `fileName` in the file list as a click does
    // (plotting it); false when the list has no such file.
    bool clickFile(const QString& fileName);

    QString inputFolder() const { return inputFolder_; }
    QString outputFolder() const { return outputFolder_; }
    std::string outputFolderPath() const;
    const std::string& unitText() const { return unitText_; }
    const QString& fileMask() const { return fileMask_; }

    // Lists the files of the input folder list's folder that match the mask.
    void refreshFileList();

    QLabel* Label1;
    QComboBox* ComboBox1;
    QLabel* Label4;
    QComboBox* ComboBox2;
    QLabel* Label3;
    QListWidget* FileListBox1;
    DirectoryListBox* DirectoryListBox1;
    DriveComboBox* DriveComboBox1;
    DirectoryListBox* DirectoryListBox2;
    DriveComboBox* DriveComboBox2;
    QLabel* Label6;
    QLabel* Label2;
    QLabel* Label7;
    QLabel* Label5;

    static constexpr int kPathRole = Qt::UserRole;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void setLabelPath(QLabel* label, const QString& text);

    std::function<void()> rePlot_;
    std::function<void()> closed_;
    QString inputFolder_;
    QString outputFolder_;
    std::string unitText_;
    QString fileMask_;
};

// The folder part of a path as the mode switch tests it: up to and
// including the last '/'; a path without one is relative to the working
// directory, so its folder part is that directory.
QString folderPartOf(const QString& path);

} // namespace quorva
