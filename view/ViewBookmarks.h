#pragma once

#include <QString>
#include <QStringList>

class CQuillmarView;

// The bookmark, history and image page commands of one browser window; what
// they choose opens in the window, and what they did shows through the view's
// signals.
class ViewBookmarks {
public:
    explicit ViewBookmarks(CQuillmarView& view);

    void Add(const QString& address, const QString& bookmarkPath);
    void Open(const QString& bookmarkPath);
    // history: the window's own, which the dialog may clear.
    void ShowHistory(QStringList& history);
    // Writes an image page and opens it when asked to.
    void MakePage();

private:
    CQuillmarView& view;
};
