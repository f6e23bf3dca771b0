#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

class CBitmapButton;
class QCheckBox;
class QLineEdit;
class QListWidget;

// Builds an image page: the user picks a folder, selects some of its GIF,
// JPEG and PNG files, sets a title and saves the page. The dialog stays open
// after a save, so several pages can be made in one run.
class CImagePageDialog : public QDialog {
    Q_OBJECT
public:
    static const int MaxTitleLength = 200;

    explicit CImagePageDialog(QWidget* parent = nullptr);

    // Results for the caller: the end code, whether the page should be opened
    // (1) or not (0), and the page saved last (empty while none was saved).
    int openWhenDone = 0;
    QString pagePath;

    QListWidget* imageList = nullptr;
    // The chosen folder's file names, as the listing delivered them.
    QStringList folderListing;
    CBitmapButton* folderButton = nullptr;
    CBitmapButton* generateButton = nullptr;
    CBitmapButton* okButton = nullptr;
    CBitmapButton* cancelButton = nullptr;
    // The folder picked last; empty before a pick and after a cancelled one.
    QString imageFolder;
    QLineEdit* titleEdit = nullptr;
    QCheckBox* openCheck = nullptr;

    void OnPickFolder();
    void OnGenerate();
    void OnOK();
    void OnCancel();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void CreateControls();
    void AddLabel(const QString& text, int left, int top, int width, int height);
    CBitmapButton* AddBitmapButton(int upBitmapId, int downBitmapId, int left, int top);
    void AddToolTips();
    void EnablePickAndClose(bool enable);
    void ListFolder(const QString& folder);
    QStringList SelectedImageNames() const;
    bool SavePage(const QString& path, const QStringList& imageNames) const;
};
