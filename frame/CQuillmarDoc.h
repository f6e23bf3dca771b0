#pragma once

#include "core/CommandTarget.h"

#include <QList>
#include <QObject>
#include <QString>

class CChildFrame;
class CDocTemplate;

// The document behind one or more browser windows. Pages are never saved or
// loaded as documents, so it only keeps its title and its windows; it deletes
// itself when its last window closes.
class CQuillmarDoc : public QObject, public CommandTarget {
    Q_OBJECT
public:
    CQuillmarDoc(CDocTemplate& docTemplate, const QString& title);

    CDocTemplate& Template() const;
    QString Title() const;
    QList<CChildFrame*> Frames() const;

    // The address the document's first window opens instead of the about
    // page; taking it leaves none, so later windows start as usual.
    void SetStartAddress(const QString& address);
    QString TakeStartAddress();

    void AddFrame(CChildFrame* frame);
    // Deletes the document when the last frame is gone.
    void RemoveFrame(CChildFrame* frame);

    bool HandlesCommand(int id) const override;
    void OnCommand(int id) override;

private:
    // "Quillmar1", or "Quillmar1:1", "Quillmar1:2" ... while several windows show it.
    void UpdateFrameTitles();

    CDocTemplate& docTemplate;
    QString title;
    QString startAddress;
    QList<CChildFrame*> frames;
};
