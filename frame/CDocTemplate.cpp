#include "frame/CDocTemplate.h"

#include "core/CommandIds.h"
#include "core/StringTable.h"
#include "frame/CChildFrame.h"
#include "frame/CMainFrame.h"
#include "frame/CQuillmarDoc.h"
#include "view/CQuillmarView.h"

#include <QMdiArea>

CDocTemplate::CDocTemplate(ViewFactory viewFactory, QObject* parent)
    : QObject(parent), viewFactory(std::move(viewFactory)) {}

QString CDocTemplate::DocumentName() {
    // Fields: window title, document name, new-file name, filter, extension, type id, type name.
    return StringTable::text(IDR_QUILLMARTYPE).section(QLatin1Char('\n'), 1, 1);
}

CChildFrame* CDocTemplate::OpenNewDocument(CMainFrame& frame, const QString& startAddress) {
    auto* document = new CQuillmarDoc(*this, DocumentName() + QString::number(untitledCount + 1));
    document->SetStartAddress(startAddress);
    CChildFrame* child = CreateNewFrame(*document, frame);
    if (!child) {
        delete document;
        return nullptr;
    }
    ++untitledCount;
    return child;
}

CChildFrame* CDocTemplate::CreateNewFrame(CQuillmarDoc& document, CMainFrame& frame) {
    QWidget* view = viewFactory ? viewFactory(&document) : nullptr;
    if (!view)
        return nullptr;
    frame.AttachView(view);
    auto* child = new CChildFrame(document, view);
    frame.MdiArea()->addSubWindow(child);
    // Every browser window opens maximised, even after the previous one was restored.
    child->showMaximized();
    frame.MdiArea()->setActiveSubWindow(child);
    // A window opened before the main frame is shown loads its start page now,
    // while the frame is being shown, not once it is.
    if (auto* browserView = qobject_cast<CQuillmarView*>(view))
        browserView->OnInitialUpdate();
    return child;
}

QList<CQuillmarDoc*> CDocTemplate::Documents() const {
    return findChildren<CQuillmarDoc*>(QString(), Qt::FindDirectChildrenOnly);
}

#include "moc_CDocTemplate.cpp"
