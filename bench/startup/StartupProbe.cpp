// Linked into a program, prints the milliseconds from QUILLMAR_BENCH_T0 (the
// launch time in nanoseconds since the epoch, set by the script) to the first
// page load finished in a shown web view, then ends the program.

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QWebEngineView>
#include <QWidget>

#include <chrono>
#include <cstdio>

namespace {

qint64 nowNanoseconds() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

void reportAndQuit(bool loaded) {
    const qint64 launched = qEnvironmentVariable("QUILLMAR_BENCH_T0").toLongLong();
    std::printf("%.1f\n", (nowNanoseconds() - launched) / 1e6);
    std::fflush(stdout);
    QCoreApplication::exit(loaded ? 0 : 1);
}

// Hooks every web view inside a widget as it is shown, before the widget's own
// show handling can start a load.
class ShowWatcher : public QObject {
    static constexpr const char* hookedProperty = "startupProbeHooked";

public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (event->type() == QEvent::Show && widget) {
            QList<QWebEngineView*> views = widget->findChildren<QWebEngineView*>();
            if (auto* view = qobject_cast<QWebEngineView*>(widget))
                views.append(view);
            for (QWebEngineView* view : views) {
                if (!view->property(hookedProperty).toBool())
                    connect(view, &QWebEngineView::loadFinished, this, &reportAndQuit);
                view->setProperty(hookedProperty, true);
            }
        }
        return false;
    }
};

void installProbe() {
    QCoreApplication::instance()->installEventFilter(new ShowWatcher(QCoreApplication::instance()));
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(installProbe)
