#pragma once

#include <QByteArray>
#include <QStringList>

#include <stdexcept>

class QIODevice;

// Writes the image page, an HTML page showing local image files one below the
// other, into a device opened for writing by the caller. Every line ends in
// CR LF. The page is ASCII, so every reader takes its bytes alike: in titles and
// file names "&", "<", ">", '"' and every character beyond ASCII are character
// references; in an image address the characters that would change the file it
// points to, and the UTF-8 bytes beyond ASCII, are percent-encoded. Other names
// stay byte for byte.
class CImagePageWriter {
public:
    // A write the device refused; the lines written before it stay written.
    class WriteError : public std::runtime_error {
    public:
        explicit WriteError(const QString& reason);
    };

    // Six lower-case hexadecimal digits each, without "#".
    struct Colours {
        QByteArray background;
        QByteArray text;
        QByteArray link;
        QByteArray visitedLink;
        QByteArray activeLink;
    };
    // Black ground, yellow text, green links.
    static Colours PageColours();

    // The device stays the caller's: it is neither opened nor closed here.
    explicit CImagePageWriter(QIODevice& file);

    // The whole page: head, body start, a rule, then each image centred and
    // followed by a break, a closing rule and the end. Throws WriteError.
    void WritePage(const QString& title, const QStringList& imageNames);

    // Each operation writes whole lines and throws WriteError on failure.
    void WriteHead(const QString& title);
    void WriteBodyStart(const Colours& colours);
    void WriteBreak();
    void WriteRule();
    void WriteCenterStart();
    void WriteCenterEnd();
    void WriteImage(const QString& source, const QString& alternativeText);
    void WriteEnd();

private:
    void WriteLine(const QByteArray& line);

    QIODevice& file;
};
