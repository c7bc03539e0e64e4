#include "dialogs/FileSelect.h"

#include "dialogs/ControlWidths.h"
#include "dialogs/Widgets.h"
#include "lightcurve/FileNames.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalBlocker>

#include <algorithm>

namespace quorva {
namespace {

QFont pixelFont(const QFont& base, int pixels)
{
    QFont f(base);
    f.setPixelSize(pixels);
    return f;
}

// The file list: a file stays selected until another file is chosen. A
// click on the empty area or a Ctrl+click (or Ctrl+Space) on the selected
// file would clear the selection while "In:" still names the file, and every
// later re-plot would draw an empty page.
class FileList : public QListWidget {
public:
    using QListWidget::QListWidget;

protected:
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index, const QEvent* event) const override
    {
        if (!index.isValid() || selectionModel()->isSelected(index)) return QItemSelectionModel::NoUpdate;
        return QListWidget::selectionCommand(index, event);
    }
};

QString withSeparator(const QString& folder)
{
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

} // namespace

QString folderPartOf(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash < 0) return QDir::currentPath() + QLatin1Char('/');
    return path.left(slash + 1);
}

TForm2::TForm2(const std::string& inputFolder, const std::string& outputFolder, std::function<void()> rePlot,
    std::function<void()> closed)
    : QWidget(nullptr,
        Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
            | Qt::WindowCloseButtonHint),
      rePlot_(std::move(rePlot)), closed_(std::move(closed)),
      inputFolder_(QFile::decodeName(QByteArray::fromStdString(inputFolder))),
      outputFolder_(QFile::decodeName(QByteArray::fromStdString(outputFolder)))
{
    setWindowTitle(QString::fromLatin1(kCaption));
    setFont(pixelFont(font(), 11));
    setFixedSize(444, 254);
    move(555, 50);

    Label1 = label(this, "Filetype:", 0, 6);
    ComboBox1 = new QComboBox(this);
    ComboBox1->addItems({QStringLiteral("SFU"), QStringLiteral("ADU")});
    ComboBox1->setCurrentIndex(1);
    ComboBox1->setGeometry(40, 0, 49, 21);

    Label4 = label(this, "Select Input/Output:", 231, 6);
    ComboBox2 = new QComboBox(this);
    ComboBox2->addItems({QStringLiteral("Input File"), QStringLiteral("Output Folder")});
    ComboBox2->setCurrentIndex(0);
    ComboBox2->setGeometry(330, 0, 111, 21);

    // The hint lies under the file list and shows in output mode only.
    Label3 = new QLabel(QStringLiteral("Select Directory for Output"), this);
    Label3->setFont(pixelFont(font(), 19));
    Label3->move(16, 88);
    Label3->adjustSize();
    // The folder list starts at 256; at 19 pixels most fonts make the hint
    // longer than the room before it, so it gets the largest size that fits.
    constexpr int kHintRoom = 256 - 16 - 4;
    for (int pixels = 18; Label3->width() > kHintRoom && pixels >= 9; --pixels) {
        Label3->setFont(pixelFont(font(), pixels));
        Label3->adjustSize();
    }

    FileListBox1 = new FileList(this);
    FileListBox1->setGeometry(0, 24, 257, 195);
    FileListBox1->setSelectionMode(QAbstractItemView::SingleSelection);

    DirectoryListBox1 = new DirectoryListBox(this);
    DirectoryListBox1->setGeometry(256, 24, 185, 177);
    DriveComboBox1 = new DriveComboBox(this);
    DriveComboBox1->setGeometry(256, 200, 185, 21);
    DirectoryListBox2 = new DirectoryListBox(this);
    DirectoryListBox2->setGeometry(256, 24, 185, 177);
    DriveComboBox2 = new DriveComboBox(this);
    DriveComboBox2->setGeometry(256, 200, 185, 21);
    DriveComboBox1->follow(DirectoryListBox1->directory());
    DriveComboBox2->follow(DirectoryListBox2->directory());

    Label6 = label(this, "In:", 0, 224);
    Label2 = label(this, "-", 24, 224);
    Label7 = label(this, "Out:", 0, 240);
    Label5 = label(this, "-", 24, 240);

    // Captions keep clear of their neighbours whatever the font's widths.
    ComboBox1->move(std::max(ComboBox1->x(), Label1->x() + Label1->width() + 4), ComboBox1->y());
    Label4->move(std::min(Label4->x(), ComboBox2->x() - Label4->width() - 4), Label4->y());
    const int valueLeft = std::max(24, std::max(Label6->width(), Label7->width()) + 4);
    Label2->move(valueLeft, Label2->y());
    Label5->move(valueLeft, Label5->y());
    growControlsToTheirText(this);

    connect(ComboBox1, &QComboBox::activated, this, [this] { ComboBox1Change(); });
    connect(ComboBox2, &QComboBox::activated, this, [this] { ComboBox2Change(); });
    DirectoryListBox1->onChange = [this] { DirectoryListBox1Change(); };
    DirectoryListBox2->onChange = [this] { DirectoryListBox2Change(); };
    DriveComboBox1->onChange = [this](const QString& root) { DirectoryListBox1->setDirectory(root); };
    DriveComboBox2->onChange = [this](const QString& root) { DirectoryListBox2->setDirectory(root); };

    // A click plots, also on the file already selected; a keyboard move of
    // the selection plots as well. A mouse press changes the selection
    // first and is then reported as a click, so it plots once.
    connect(FileListBox1, &QListWidget::itemClicked, this, [this] { FileListBox1Click(); });
    connect(FileListBox1, &QListWidget::itemSelectionChanged, this, [this] {
        if (QApplication::mouseButtons() == Qt::NoButton && !FileListBox1->selectedItems().isEmpty())
            FileListBox1Click();
    });

    ComboBox1Change(); // mask and unit follow the start unit "ADU"
    FormCreate();
}

void TForm2::FormCreate()
{
    ComboBox2Change(); // controls follow the start mode "Input File"
}

void TForm2::ComboBox1Change()
{
    QString mask;
    switch (ComboBox1->currentIndex()) {
    case 0:
        mask = QString::fromLatin1(kSfuMask);
        unitText_ = "SFU";
        break;
    case 1:
        mask = QString::fromLatin1(kAduMask);
        unitText_ = "ADU";
        break;
    default:
        return;
    }
    // The unit already chosen changes nothing; listing again would drop the
    // selected file.
    if (mask == fileMask_) return;
    fileMask_ = mask;
    refreshFileList();
}

void TForm2::ComboBox2Change()
{
    switch (ComboBox2->currentIndex()) {
    case 0:
        DirectoryListBox2->hide();
        DriveComboBox2->hide();
        DirectoryListBox1->show();
        DriveComboBox1->show();
        FileListBox1->show();
        Label1->show();
        ComboBox1->show();
        if (QFileInfo(folderPartOf(inputFolder_)).isDir())
            DirectoryListBox1->setDirectory(inputFolder_); // a folder that is gone leaves the list
        break;
    case 1:
        DirectoryListBox1->hide();
        DriveComboBox1->hide();
        FileListBox1->hide();
        DirectoryListBox2->show();
        DriveComboBox2->show();
        Label1->hide();
        ComboBox1->hide();
        if (!QFileInfo(folderPartOf(outputFolder_)).isDir() || !DirectoryListBox2->setDirectory(outputFolder_)) {
            // The stored folder is gone: take the one the list shows.
            outputFolder_ = withSeparator(DirectoryListBox2->directory());
            DirectoryListBox2Change();
        }
        break;
    default:
        break;
    }
}

void TForm2::DirectoryListBox1Change()
{
    inputFolder_ = DirectoryListBox1->directory();
    setLabelPath(Label2, inputFolder_);
    DriveComboBox1->follow(inputFolder_);
    refreshFileList();
}

void TForm2::DirectoryListBox2Change()
{
    const QString folder = DirectoryListBox2->directory();
    outputFolder_ = withSeparator(folder);
    setLabelPath(Label5, folder);
    DriveComboBox2->follow(folder);
}

void TForm2::FileListBox1Click()
{
    const QString file = selectedFile();
    if (file.isEmpty()) return;
    setLabelPath(Label2, file);
    if (rePlot_) rePlot_();
}

void TForm2::showFolders()
{
    setLabelPath(Label2, inputFolder_);
    setLabelPath(Label5, outputFolder_);
}

QString TForm2::selectedFile() const
{
    const QList<QListWidgetItem*> selected = FileListBox1->selectedItems();
    if (selected.isEmpty()) return {};
    return selected.first()->data(kPathRole).toString();
}

std::string TForm2::selectedFilePath() const
{
    return QFile::encodeName(selectedFile()).toStdString();
}

std::string TForm2::outputFolderPath() const
{
    return QFile::encodeName(outputFolder_).toStdString();
}

bool TForm2::clickFile(const QString& fileName)
{
    const QList<QListWidgetItem*> found = FileListBox1->findItems(fileName, Qt::MatchExactly);
    if (found.isEmpty()) return false;
    {
        const QSignalBlocker blocker(FileListBox1);
        FileListBox1->setCurrentItem(found.first());
    }
    FileListBox1Click();
    return true;
}

void TForm2::refreshFileList()
{
    const QSignalBlocker blocker(FileListBox1);
    FileListBox1->clear();
    QDir dir(DirectoryListBox1->directory());
    dir.setFilter(QDir::Files);
    dir.setSorting(QDir::Name | QDir::IgnoreCase | QDir::LocaleAware);
    const QStringList files = dir.entryList();
    const std::string mask = fileMask_.toStdString();
    for (const QString& name : files) {
        if (!matchesMask(QFile::encodeName(name).toStdString(), mask)) continue;
        auto* item = new QListWidgetItem(name, FileListBox1);
        item->setData(kPathRole, dir.filePath(name));
    }
}

void TForm2::closeEvent(QCloseEvent* event)
{
    // Only hidden: folders, mode, unit and selection stay for the next opening.
    event->accept();
    if (closed_) closed_();
}

void TForm2::setLabelPath(QLabel* label, const QString& text)
{
    label->setText(text);
    label->setToolTip(text); // the whole path, also when the window is narrower
    label->adjustSize();
}

} // namespace quorva
