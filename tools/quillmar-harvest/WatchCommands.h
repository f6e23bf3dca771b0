#pragma once

#include "BatchHarvest.h"
#include "HarvestDownload.h"
#include "watches/WatchPeriod.h"

#include <QString>
#include <QStringList>

#include <optional>

class InterruptWatch;
class QCommandLineParser;

// The watch list from the command line: --watch adds or updates a watch and
// checks it, --check-watches checks the due ones (or those named, or --all),
// --list-watches tells them, --unwatch removes one. Checks are made one after
// another in this process, each with its watch's own choices.
class WatchCommands {
public:
    enum class Action { None, Watch, Check, List, Unwatch };
    struct Choice {
        Action action = Action::None;
        QStringList addresses; // --watch, --unwatch: the one page; --check-watches: those named
        bool all = false;      // --check-watches --all
        bool json = false;
        std::optional<qint64> period; // --every
        bool fromNow = false;
    };

    // The watch options of parser; error says why they do not fit together.
    static Choice Parse(const QCommandLineParser& parser, QString& error);
    // The text a watch is kept under: a local file's address, or the page's
    // address as the address box would read it.
    static QString AddressOf(const QString& given);

    // Runs choice's action; harvest and download are the command line's
    // choices: those of a new watch, and the run's own (timeout, parallel
    // files, rate) for every check. Returns the exit code.
    static int Run(const Choice& choice, const BatchHarvest::Choice& harvest,
                   const HarvestDownload::Choice& download, InterruptWatch& interrupts);
};
