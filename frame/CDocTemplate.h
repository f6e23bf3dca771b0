#pragma once

#include <QList>
#include <QObject>
#include <QString>

#include <functional>

class CChildFrame;
class CMainFrame;
class CQuillmarDoc;
class QWidget;

// The one kind of document: makes a document, a child frame and a view, and
// owns the documents. The view comes from a factory so that windows can be
// built around any view widget.
class CDocTemplate : public QObject {
    Q_OBJECT
public:
    // The view for a document; nullptr when it cannot be made.
    using ViewFactory = std::function<QWidget*(CQuillmarDoc*)>;

    explicit CDocTemplate(ViewFactory viewFactory, QObject* parent = nullptr);

    // The document name of the template's string, "Quillmar".
    static QString DocumentName();

    // A new document in a new browser window, maximised in the frame, opening
    // startAddress (empty: the about page); nullptr when its view could not be made.
    CChildFrame* OpenNewDocument(CMainFrame& frame, const QString& startAddress = QString());
    // Another browser window on the document, with a view of its own.
    CChildFrame* CreateNewFrame(CQuillmarDoc& document, CMainFrame& frame);

    QList<CQuillmarDoc*> Documents() const;

private:
    ViewFactory viewFactory;
    int untitledCount = 0;
};
