#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <vector>

// What a name template may tell about one listed file.
struct NameFields {
    QString name;   // the name it is saved under by default, extension included
    QUrl page;      // the page the job was started from
    QString title;  // that page's title
    QString viewer; // the title of the viewer page it was taken from; empty for none
    int width = 0;  // size in pixels; 0 when unknown
    int height = 0;
    int number = 0; // its place in the job, from 1
    QDate date;     // the day of the download
};

// Names each saved file relative to the download folder: "{site}/{title}/{num:03}-{name}.{ext}".
// Fields: name, ext, num (num:0N pads to N digits), site, title, viewer, w, h,
// date. Each value is made safe as listed names are (no leading dot, no
// invisible or control characters, no "/"), a separator beside an empty
// field is dropped with it and an empty folder part is left out, so a template
// never names a hidden file, an empty folder or a place outside the folder.
class NameTemplate {
public:
    static QString Default() { return QStringLiteral("{name}.{ext}"); }

    // Empty for a template that may be used, else why not, in one line.
    static QString Refusal(const QString& text);
    // The ready choices offered beside a free template, with their labels.
    struct Choice {
        QString label;
        QString text;
    };
    static QList<Choice> ReadyChoices();

    // A refused text stands for the default.
    explicit NameTemplate(const QString& text = Default());
    QString Text() const { return text; }
    bool IsDefault() const { return text == Default(); }

    // The subfolders ("" for none, parts joined by "/", each at most FolderLimit
    // bytes) and the file name fields give; the name is empty when the
    // template gave none, for the default name to stand.
    struct Placement {
        QString subfolder;
        QString name;
    };
    Placement Apply(const NameFields& fields) const;

    // The longest folder name most Linux file systems take, in bytes.
    static constexpr qsizetype FolderLimit = 255;
    // How deep a template may make folders.
    static constexpr int MaxFolders = 8;

private:
    struct Token {
        bool field = false;
        QString text;  // the literal, or the field's name
        int width = 0; // zero padding of a number
    };
    using Part = std::vector<Token>;
    static QString Parse(const QString& text, std::vector<Part>& parts);
    static QString Expand(const Part& part, const NameFields& fields);
    static QString Value(const Token& token, const NameFields& fields);

    QString text;
    std::vector<Part> parts;
};
