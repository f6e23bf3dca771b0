#include "pagegen/CImagePageWriter.h"

#include <QIODevice>

CImagePageWriter::WriteError::WriteError(const QString& reason)
    : std::runtime_error(reason.toStdString()) {}

CImagePageWriter::Colours CImagePageWriter::PageColours() {
    return {"000000", "ffff00", "80ff00", "800080", "80ff00"};
}

CImagePageWriter::CImagePageWriter(QIODevice& file) : file(file) {}

void CImagePageWriter::WritePage(const QString& title, const QStringList& imageNames) {
    WriteHead(title);
    WriteBodyStart(PageColours());
    WriteBreak();
    WriteRule();
    WriteCenterStart();
    for (const QString& name : imageNames) {
        WriteImage(name, name);
        WriteBreak();
    }
    WriteCenterEnd();
    WriteRule();
    WriteEnd();
}

void CImagePageWriter::WriteHead(const QString& title) {
    WriteLine("<HTML>");
    WriteLine("<HEAD>");
    WriteLine("<TITLE>");
    WriteLine(title.toUtf8() + "</TITLE>");
    WriteLine("</HEAD>");
}

void CImagePageWriter::WriteBodyStart(const Colours& colours) {
    // Two blanks between the attributes and one before ">" are part of the format.
    WriteLine("<body bgcolor=\"#" + colours.background + "\" " + " text=\"#" + colours.text +
              "\" " + " link=\"#" + colours.link + "\" " + " vlink=\"#" + colours.visitedLink +
              "\" " + " alink=\"#" + colours.activeLink + "\" " + ">");
}

void CImagePageWriter::WriteBreak() {
    WriteLine("<br>");
}

void CImagePageWriter::WriteRule() {
    WriteLine("<hr>");
}

void CImagePageWriter::WriteCenterStart() {
    WriteLine("<center>");
}

void CImagePageWriter::WriteCenterEnd() {
    WriteLine("</center>");
}

void CImagePageWriter::WriteImage(const QString& source, const QString& alternativeText) {
    WriteLine("<img src=\"" + source.toUtf8() + "\"" + " alt=\"" + alternativeText.toUtf8() +
              "\">");
}

void CImagePageWriter::WriteEnd() {
    WriteLine("</BODY>");
    WriteLine("</HTML>");
}

void CImagePageWriter::WriteLine(const QByteArray& line) {
    const QByteArray bytes = line + "\r\n";
    if (file.write(bytes) != bytes.size())
        throw WriteError(file.errorString());
}
