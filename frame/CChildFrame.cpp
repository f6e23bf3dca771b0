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

const CommandTable<CChildFrame>& CChildFrame::Commands() {
    static const CommandTable<CChildFrame> table = {
        {{ID_FILE_CLOSE, "&Close\tCtrl+W", {Qt::CTRL | Qt::Key_W}}, &CChildFrame::OnClose},
    };
    return table;
}

bool CChildFrame::HandlesCommand(int id) const {
    return Commands().Handles(id);
}

void CChildFrame::OnCommand(int id) {
    Commands().Run(*this, id);
}

void CChildFrame::OnClose() {
    close();
}

#include "moc_CChildFrame.cpp"
