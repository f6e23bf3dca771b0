#include "frame/CQuillmarDoc.h"

#include "frame/CChildFrame.h"
#include "frame/CDocTemplate.h"

#include <utility>

CQuillmarDoc::CQuillmarDoc(CDocTemplate& docTemplate, const QString& title)
    : QObject(&docTemplate), docTemplate(docTemplate), title(title) {}

CDocTemplate& CQuillmarDoc::Template() const {
    return docTemplate;
}

QString CQuillmarDoc::Title() const {
    return title;
}

QList<CChildFrame*> CQuillmarDoc::Frames() const {
    return frames;
}

void CQuillmarDoc::SetStartAddress(const QString& address) {
    startAddress = address;
}

QString CQuillmarDoc::TakeStartAddress() {
    return std::exchange(startAddress, QString());
}

void CQuillmarDoc::AddFrame(CChildFrame* frame) {
    frames.append(frame);
    UpdateFrameTitles();
}

void CQuillmarDoc::RemoveFrame(CChildFrame* frame) {
    frames.removeAll(frame);
    if (frames.isEmpty()) {
        delete this;
        return;
    }
    UpdateFrameTitles();
}

bool CQuillmarDoc::HandlesCommand(int) const {
    return false;
}

void CQuillmarDoc::OnCommand(int) {}

void CQuillmarDoc::UpdateFrameTitles() {
    if (frames.size() == 1) {
        frames.constFirst()->setWindowTitle(title);
        return;
    }
    for (int i = 0; i < frames.size(); ++i)
        frames.at(i)->setWindowTitle(title + QLatin1Char(':') + QString::number(i + 1));
}

#include "moc_CQuillmarDoc.cpp"
