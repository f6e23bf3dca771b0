// quillmar-download-bench LIST FOLDER [PARALLEL]: downloads every address in
// LIST (one a line) into FOLDER through the download worker on a thread of its
// own, as the browser does, PARALLEL files at once (default 4), and prints the
// time taken and the peak memory use.

#include "fetch/DownloadJob.h"
#include "fetch/DownloadProgressSink.h"
#include "fetch/DownloadWorker.h"

#include <QElapsedTimer>
#include <QFile>
#include <QUrl>

#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>
#include <thread>

namespace {

// Counts failures; prints nothing per file so output costs do not skew the timing.
class CountingSink : public DownloadProgressSink {
public:
    void AnimationStarted() override {}
    void AnimationStopped() override {}
    void FilesLeft(int) override {}
    void Message(const QString&) override {}
    void FileFinished(int, const QString& name, bool saved, const QString& reason) override {
        if (!saved)
            std::fprintf(stderr, "failed %s: %s\n", qPrintable(name), qPrintable(reason));
    }
};

DownloadJob ReadJob(const QString& listPath, const QString& folder) {
    DownloadJob job;
    QFile list(listPath);
    if (!list.open(QIODevice::ReadOnly | QIODevice::Text))
        return job;
    while (!list.atEnd()) {
        const QString address = QString::fromUtf8(list.readLine().trimmed());
        if (!address.isEmpty())
            job.Add(folder, QUrl(address).fileName(), address);
    }
    return job;
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc != 3 && argc != 4) {
        std::fputs("usage: quillmar-download-bench LIST FOLDER [PARALLEL]\n", stderr);
        return 2;
    }
    DownloadJob job = ReadJob(QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]));
    job.Parallel = argc == 4 ? std::atoi(argv[3]) : 4;
    const int count = job.Count();
    DownloadWorker worker(std::move(job), std::make_unique<CountingSink>());
    QElapsedTimer clock;
    clock.start();
    int saved = 0;
    std::thread thread([&] { saved = worker.Run(); });
    thread.join();
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("files %d saved %d seconds %.3f max_rss_kb %ld\n", count, saved, seconds,
                usage.ru_maxrss);
    return saved == count ? 0 : 1;
}
