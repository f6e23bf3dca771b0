#include "pagegen/CImagePageWriter.h"

#include <QIODevice>

namespace {

// Text and attribute values: the characters that would end or start markup.
QByteArray escaped(QByteArray bytes) {
    bytes.replace('&', "&amp;").replace('<', "&lt;").replace('>', "&gt;").replace('"', "&quot;");
    return bytes;
}

// Text for the page: the page names no encoding, so characters beyond ASCII
// go in as numeric character references, which every reader decodes alike.
QByteArray pageText(const QString& text) {
    QByteArray bytes;
    for (const char32_t code : text.toUcs4()) {
        if (code < 0x80)
            bytes += escaped(QByteArray(1, char(code)));
        else
            bytes += "&#" + QByteArray::number(quint32(code)) + ';';
    }
    return bytes;
}

// A file name as a relative address that points at that file: characters that
// would start an escape, a fragment or a query, or end the address, are
// percent-encoded; so are ":" (read as a scheme) and "\" (read as "/"), and
// the UTF-8 bytes of characters beyond ASCII, which a reader would otherwise
// take in whatever encoding it assumes for the page.
QByteArray addressOf(const QString& name) {
    static const QByteArray special = "%#?:\\";
    QByteArray address;
    for (const char byte : name.toUtf8()) {
        const auto code = static_cast<unsigned char>(byte);
        if (code <= 0x20 || code >= 0x7f || special.contains(byte))
            address += '%' + QByteArray::number(code, 16).rightJustified(2, '0').toUpper();
        else
            address += byte;
    }
    return address;
}

} // namespace

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
    WriteLine(pageText(title) + "</TITLE>");
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
    WriteLine("<img src=\"" + escaped(addressOf(source)) + "\"" + " alt=\"" +
              pageText(alternativeText) + "\">");
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
