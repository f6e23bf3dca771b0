#pragma once

#include "core/CommandTable.h"
#include "core/CommandTarget.h"

#include <QMdiSubWindow>
#include <QPointer>

class CQuillmarDoc;

// One browser window inside the main frame: holds the view of a document.
// Closing it asks nothing; a document never counts as changed.
class CChildFrame : public QMdiSubWindow, public CommandTarget {
    Q_OBJECT
public:
    CChildFrame(CQuillmarDoc& document, QWidget* view);
    ~CChildFrame() override;

    CQuillmarDoc* Document() const;
    QWidget* View() const;

    static const CommandTable<CChildFrame>& Commands();
    bool HandlesCommand(int id) const override;
    void OnCommand(int id) override;

private:
    void OnClose();

    QPointer<CQuillmarDoc> document;
};
