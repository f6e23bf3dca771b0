#include "view/ViewBookmarks.h"

#include "bookmarks/BookmarkFile.h"
#include "bookmarks/CBookmarkDialog.h"
#include "bookmarks/CHistoryDialog.h"
#include "core/Prompts.h"
#include "engine/CBrowserEngine.h"
#include "pagegen/CImagePageDialog.h"
#include "view/CQuillmarView.h"

ViewBookmarks::ViewBookmarks(CQuillmarView& view) : view(view) {}

void ViewBookmarks::Add(const QString& address, const QString& bookmarkPath) {
    if (address.isEmpty())
        return;
    if (!BookmarkFile(bookmarkPath).Append(address.toUtf8())) {
        emit view.messageChanged(QStringLiteral("Unable to save bookmark!"));
        return;
    }
    emit view.messageChanged(QStringLiteral("Bookmark added."));
    emit view.messageChanged(QStringLiteral("Bookmark saved."));
}

void ViewBookmarks::Open(const QString& bookmarkPath) {
    CBookmarkDialog dialog(&view, bookmarkPath);
    if (Prompts::current().runModal(dialog) != QDialog::Accepted)
        return;
    const QString choice = dialog.m_selection;
    if (choice.isEmpty())
        return;
    if (!view.IsActive()) {
        emit view.messageChanged(QStringLiteral("Open new file."));
        return;
    }
    if (choice == CBookmarkDialog::ErrorResult)
        return;
    emit view.addressChanged(choice);
    if (!view.Engine()->Navigate(choice))
        emit view.messageChanged(QString::fromLatin1(CQuillmarView::NotAnAddressText));
}

void ViewBookmarks::ShowHistory(QStringList& history) {
    CHistoryDialog dialog(&view, &history);
    if (Prompts::current().runModal(dialog) != QDialog::Accepted ||
        dialog.m_selection == CHistoryDialog::ErrorResult)
        return;
    emit view.addressChanged(dialog.m_selection);
    view.Go(dialog.m_selection);
}

void ViewBookmarks::MakePage() {
    CImagePageDialog dialog(&view);
    if (Prompts::current().runModal(dialog) != QDialog::Accepted || !dialog.openWhenDone)
        return;
    emit view.addressTyped(dialog.pagePath);
    view.Go(dialog.pagePath);
}
