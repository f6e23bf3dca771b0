#pragma once

#include <QString>
#include <QStringList>

class QCommandLineParser;

// One option of quillmar-harvest. The rows of ToolOptions make the usage text,
// the parser and the checks of which options go together: a new option is a
// row there and the code that reads its value.
struct ToolOption {
    enum class Subject { Scan, Follow, Output, Sites, Input, Download, Watch, Alone };
    Subject subject;
    const char* names;          // "h help": a short name before the long one
    const char* value;          // the value's name in the usage; empty for a switch
    const char* help;           // one paragraph, wrapped by the usage
    const char* needs = "";     // long names, one of which must be set too; the first is named
    const char* needsText = ""; // what is wrong when it lacks what it needs; empty: said for it
    const char* excludes = "";  // long names that cannot be set with it
};

class ToolOptions {
public:
    static QString Usage();
    // Every option but those answered before the parser sees the arguments.
    static void AddTo(QCommandLineParser& parser);
    // The first option set without what it needs, or with one it excludes, in
    // words; empty when the options fit together.
    static QString Conflict(const QCommandLineParser& parser);

private:
    static QString LongName(const ToolOption& option);
    static QString UsageLines(const ToolOption& option);
    static QString MissingNeed(const ToolOption& option, const QCommandLineParser& parser);
    static QString Excluded(const ToolOption& option, const QCommandLineParser& parser);
};
