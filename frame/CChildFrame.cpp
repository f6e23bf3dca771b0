#include "frame/CChildFrame.h"

#include "core/CommandIds.h"
#include "frame/CQuillmarDoc.h"

CChildFrame::CChildFrame(CQuillmarDoc& document, QWidget* view) : document(&document) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWidget(view);
    document.AddFrame(this);
}

CChildFrame::~CChildFrame() {
    // The view goes first: it may still look at its document while it is destroyed.
    delete widget();
    if (document)
        document->RemoveFrame(this);
}

CQuillmarDoc* CChildFrame::Document() const {
    return document;
}

QWidget* CChildFrame::View() const {
    return widget();
}

bool CChildFrame::HandlesCommand(int id) const {
    return id == ID_FILE_CLOSE;
}

void CChildFrame::OnCommand(int id) {
    if (id == ID_FILE_CLOSE)
        close();
}

#include "moc_CChildFrame.cpp"
