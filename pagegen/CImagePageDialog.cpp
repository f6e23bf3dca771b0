#include "pagegen/CImagePageDialog.h"

#include "controls/CBitmapButton.h"
#include "controls/ControlTexts.h"
#include "core/CommandIds.h"
#include "core/DialogUnits.h"
#include "core/PopupPlacement.h"
#include "core/Prompts.h"
#include "core/StringTable.h"
#include "pagegen/CImagePageWriter.h"

#include <QCheckBox>
#include <QDir>
#include <QFontInfo>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSaveFile>

#include <algorithm>
#include <utility>

namespace {

// String ids of the dialog's tool tips.
enum TipId {
    TipCancel = 1040,
    TipSelect = 1047,
    TipImageList = 1048,
    TipFolderButton = 1049,
    TipTitle = 1050,
    TipGenerate = 1051,
    TipOpenPage = 1052,
};

const char* const ErrorText = "Unable to create web page.";
const char* const ErrorCaption = "Error";

// Puts the process back into the folder it was in when this was made, however
// the scope is left: pickers may move it, and other windows rely on it.
class CurrentFolderKeeper {
public:
    CurrentFolderKeeper() : folder(QDir::currentPath()) {}
    ~CurrentFolderKeeper() { QDir::setCurrent(folder); }
    CurrentFolderKeeper(const CurrentFolderKeeper&) = delete;
    CurrentFolderKeeper& operator=(const CurrentFolderKeeper&) = delete;

private:
    QString folder;
};

bool TextFits(const QLabel* label, const QFont& font) {
    return QFontMetrics(font).horizontalAdvance(label->text()) <= label->width();
}

// The labels' rectangles suit a narrow dialog font; with a wider one, all
// labels get one smaller size rather than cut-off text.
void ShrinkLabelsToFit(const QList<QLabel*>& labels) {
    if (labels.isEmpty())
        return;
    const int smallestPixelSize = 8;
    QFont font = labels.constFirst()->font();
    int pixelSize = QFontInfo(font).pixelSize();
    const auto allFit = [&] {
        return std::all_of(labels.begin(), labels.end(),
                           [&](const QLabel* label) { return TextFits(label, font); });
    };
    while (!allFit() && pixelSize > smallestPixelSize)
        font.setPixelSize(--pixelSize);
    for (QLabel* label : labels)
        label->setFont(font);
}

// GIF, JPEG and PNG files with a three-letter extension, in any case.
bool IsOfferedImageName(const QString& name) {
    if (name.size() <= 4)
        return false;
    const QString ending = name.right(4).toLower();
    return ending == QLatin1String(".gif") || ending == QLatin1String(".jpg") ||
           ending == QLatin1String(".png");
}

} // namespace

CImagePageDialog::CImagePageDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint) {
    setModal(true);
    setFixedSize(DialogUnits::toPixels(108, 132));
    CreateControls();
    ShrinkLabelsToFit(findChildren<QLabel*>());
    titleEdit->setMaxLength(MaxTitleLength);
    AddToolTips();
    setAccessibleName(StringTable::name(ID_MAKE_PAGE));
    // A page starts with its folder.
    folderButton->setFocus();
}

void CImagePageDialog::CreateControls() {
    imageList = new QListWidget(this);
    imageList->setGeometry(DialogUnits::toPixels(1, 2, 105, 45));
    imageList->setSelectionMode(QAbstractItemView::MultiSelection);
    imageList->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    AddLabel(QStringLiteral("Select Image Directory >>"), 2, 51, 82, 8);
    folderButton = AddBitmapButton(181, 179, 92, 48);
    AddLabel(QStringLiteral("Set Page Title >>"), 2, 68, 56, 8);
    titleEdit = new QLineEdit(this);
    titleEdit->setGeometry(DialogUnits::toPixels(63, 66, 43, 12));
    AddLabel(QStringLiteral("Generate Web Page >>"), 2, 85, 76, 8);
    generateButton = AddBitmapButton(182, 178, 92, 82);
    AddLabel(QStringLiteral("Open in Browser >>"), 2, 101, 63, 8);
    openCheck = new QCheckBox(this);
    openCheck->setGeometry(DialogUnits::toPixels(97, 99, 9, 13));
    okButton = AddBitmapButton(176, 174, 37, 116);
    cancelButton = AddBitmapButton(177, 175, 55, 116);

    connect(folderButton, &QAbstractButton::clicked, this, &CImagePageDialog::OnPickFolder);
    connect(generateButton, &QAbstractButton::clicked, this, &CImagePageDialog::OnGenerate);
    connect(okButton, &QAbstractButton::clicked, this, &CImagePageDialog::OnOK);
    connect(cancelButton, &QAbstractButton::clicked, this, &CImagePageDialog::OnCancel);
}

void CImagePageDialog::AddLabel(const QString& text, int left, int top, int width, int height) {
    auto* label = new QLabel(text, this);
    label->setGeometry(DialogUnits::toPixels(left, top, width, height));
}

CBitmapButton* CImagePageDialog::AddBitmapButton(int upBitmapId, int downBitmapId, int left,
                                                 int top) {
    auto* button = new CBitmapButton(this);
    button->LoadBitmaps(upBitmapId, downBitmapId);
    button->setGeometry(DialogUnits::toPixels(left, top, 14, 14));
    return button;
}

void CImagePageDialog::AddToolTips() {
    ApplyControlTexts(imageList, TipImageList);
    ApplyControlTexts(folderButton, TipFolderButton);
    ApplyControlTexts(titleEdit, TipTitle);
    ApplyControlTexts(generateButton, TipGenerate);
    ApplyControlTexts(openCheck, TipOpenPage);
    ApplyControlTexts(okButton, TipSelect);
    ApplyControlTexts(cancelButton, TipCancel);
}

void CImagePageDialog::OnPickFolder() {
    imageFolder.clear();
    EnablePickAndClose(false);
    {
        const CurrentFolderKeeper keeper;
        const QString folder = Prompts::current().chooseFolder(nullptr, QString());
        if (!folder.isEmpty()) {
            imageFolder = folder;
            imageList->clear();
            ListFolder(folder);
            for (const QString& name : std::as_const(folderListing)) {
                if (IsOfferedImageName(name))
                    imageList->addItem(name);
            }
        }
    }
    EnablePickAndClose(true);
}

void CImagePageDialog::EnablePickAndClose(bool enable) {
    folderButton->setEnabled(enable);
    okButton->setEnabled(enable);
    cancelButton->setEnabled(enable);
}

// Files only, hidden ones left out, by name ignoring case.
void CImagePageDialog::ListFolder(const QString& folder) {
    folderListing = QDir(folder).entryList(QDir::Files, QDir::Name | QDir::IgnoreCase);
}

void CImagePageDialog::OnGenerate() {
    const QStringList names = SelectedImageNames();
    if (names.isEmpty())
        return;
    const CurrentFolderKeeper keeper;
    const QString startFolder =
        !imageFolder.isEmpty() && QDir(imageFolder).exists() ? imageFolder : QDir::currentPath();
    const QString path = Prompts::current().chooseSaveFile(
        this, startFolder, QStringLiteral("Images"), QStringLiteral("htm"),
        QStringLiteral("HTML files (*.htm *.html)"));
    if (path.isEmpty())
        return;
    pagePath = path;
    if (!SavePage(path, names))
        Prompts::current().message(this, QString::fromLatin1(ErrorText),
                                   QString::fromLatin1(ErrorCaption), Prompts::Icon::None);
}

QStringList CImagePageDialog::SelectedImageNames() const {
    QStringList names;
    for (int row = 0; row < imageList->count(); ++row) {
        if (imageList->item(row)->isSelected())
            names.append(imageList->item(row)->text());
    }
    return names;
}

// Written beside the target and moved into place only when complete, so a
// failure never damages a page saved earlier under the same name.
bool CImagePageDialog::SavePage(const QString& path, const QStringList& imageNames) const {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    try {
        CImagePageWriter(file).WritePage(titleEdit->text(), imageNames);
    } catch (const CImagePageWriter::WriteError&) {
        return false;
    }
    return file.commit();
}

void CImagePageDialog::OnOK() {
    openWhenDone = openCheck->isChecked() ? 1 : 0;
    accept();
}

void CImagePageDialog::OnCancel() {
    reject();
}

// The check-mark button is the default: Enter that no control takes presses it.
void CImagePageDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        okButton->click();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CImagePageDialog::showEvent(QShowEvent* event) {
    PopupPlacement::CentreOnMousePointer(*this);
    QDialog::showEvent(event);
}

#include "moc_CImagePageDialog.cpp"
