// What the record of saved pictures costs one run, and whether writers lose
// anything to each other:
//   quillmar-record-bench convert FILE      converts a record in the text form
//   quillmar-record-bench run FILE ADDRESS  opens, looks ADDRESS up, records it
//   quillmar-record-bench write FILE PREFIX N   records PREFIX0 .. PREFIXN-1, one by one
//   quillmar-record-bench check FILE PREFIX N   prints how many of those are missing

#include "records/DownloadArchive.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryFile>

#include <cstdio>

namespace {

QString Numbered(const QString& prefix, int number) {
    return prefix + QString::number(number);
}

int Convert(DownloadArchive& record) {
    QElapsedTimer clock;
    clock.start();
    QString error;
    if (!record.Load(error)) {
        std::fprintf(stderr, "cannot convert: %s\n", qPrintable(error));
        return 1;
    }
    std::printf("converted in %.2f s\n", clock.elapsed() / 1000.0);
    return 0;
}

// What a one-picture run asks of the record: open it, look the picture up,
// record it once saved.
int RunOnce(DownloadArchive& record, const QString& address, const QString& savedFile) {
    QString error;
    if (!record.Load(error) || !record.SavedName(address).isEmpty() ||
        !record.Record(address, savedFile)) {
        std::fprintf(stderr, "run failed: %s\n", qPrintable(error));
        return 1;
    }
    return 0;
}

int Write(DownloadArchive& record, const QString& prefix, int count, const QString& savedFile) {
    int failed = 0;
    for (int number = 0; number < count; ++number)
        failed += !record.Record(Numbered(prefix, number), savedFile);
    std::printf("%s: %d writes failed\n", qPrintable(prefix), failed);
    return failed ? 1 : 0;
}

int Check(const DownloadArchive& record, const QString& prefix, int count) {
    HarvestLines lines;
    for (int number = 0; number < count; ++number)
        lines.append({QStringLiteral("picture.jpg"), Numbered(prefix, number)});
    const qsizetype missing = record.Unsaved(lines).size();
    std::printf("%s: %lld of %d missing\n", qPrintable(prefix), qlonglong(missing), count);
    return missing ? 1 : 0;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    if (arguments.size() < 2) {
        std::fputs("usage: quillmar-record-bench convert|run|write|check FILE ...\n", stderr);
        return 2;
    }
    DownloadArchive record(arguments[1]);
    // Every write names a saved file, as the download worker's do.
    QTemporaryFile saved;
    saved.open();
    const QString command = arguments[0];
    if (command == QLatin1String("convert"))
        return Convert(record);
    if (command == QLatin1String("run") && arguments.size() == 3)
        return RunOnce(record, arguments[2], saved.fileName());
    if (command == QLatin1String("write") && arguments.size() == 4)
        return Write(record, arguments[2], arguments[3].toInt(), saved.fileName());
    if (command == QLatin1String("check") && arguments.size() == 4)
        return Check(record, arguments[2], arguments[3].toInt());
    std::fputs("quillmar-record-bench: wrong arguments\n", stderr);
    return 2;
}
