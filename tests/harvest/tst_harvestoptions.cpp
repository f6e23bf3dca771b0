#include "support/TestMain.h"
#include "support/ToolRun.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>

using namespace testsupport;

namespace {

QString distFile(const QString& name) {
    QFile file(testDataPath(QStringLiteral("../../dist/") + name));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The options quillmar-harvest --help lists, each with its value's name
// (empty for a switch).
QMap<QString, QString> listedOptions() {
    static const QRegularExpression optionLine(
        QStringLiteral("^  (?:-[a-z], )?--([a-z][a-z-]*)((?: \\S+)*?)(?:  |$)"),
        QRegularExpression::MultilineOption);
    QMap<QString, QString> options;
    const ToolRun help = runHarvestTool({QStringLiteral("--help")});
    for (const QRegularExpressionMatch& match : optionLine.globalMatch(help.output))
        options.insert(match.captured(1), match.captured(2).trimmed());
    return options;
}

// The options a manual page describes in its own paragraph.
QSet<QString> manualOptions(const QString& page) {
    static const QRegularExpression entry(
        QStringLiteral("^\\.TP\\n\\.B[IR]? [^\\n]*?\\\\-\\\\-((?:[a-z]|\\\\-)+)"),
        QRegularExpression::MultilineOption);
    QSet<QString> options;
    for (const QRegularExpressionMatch& match : entry.globalMatch(page))
        options.insert(match.captured(1).replace(QStringLiteral("\\-"), QStringLiteral("-")));
    return options;
}

// The options the completion offers after "-", and those it completes a value
// for (or knows take one) after them.
QSet<QString> completedOptions(const QString& script, bool values) {
    static const QRegularExpression offered(QStringLiteral("== -\\* \\]\\]; then\\s+COMPREPLY=\\("
                                                           "\\$\\(compgen -W '([^']*)'"));
    static const QRegularExpression valuePattern(QStringLiteral("^\\s+(--[a-z|\\s-]+)\\)$"),
                                                 QRegularExpression::MultilineOption);
    static const QRegularExpression name(QStringLiteral("--([a-z][a-z-]*)"));
    QString words;
    if (values) {
        const QString joined = QString(script).replace(QStringLiteral("\\\n"), QStringLiteral(" "));
        for (const QRegularExpressionMatch& match : valuePattern.globalMatch(joined))
            words += match.captured(1) + QLatin1Char(' ');
    } else {
        words = offered.match(script).captured(1);
    }
    QSet<QString> options;
    for (const QRegularExpressionMatch& match : name.globalMatch(words))
        options.insert(match.captured(1));
    return options;
}

} // namespace

class HarvestOptionsTest : public QObject {
    Q_OBJECT

    QMap<QString, QString> options;
    QSet<QString> documented;
    QSet<QString> offered;
    QSet<QString> valued;

private slots:
    void initTestCase() {
        options = listedOptions();
        const QString completion = distFile(QStringLiteral("quillmar-harvest.bash-completion"));
        documented = manualOptions(distFile(QStringLiteral("quillmar-harvest.1")));
        offered = completedOptions(completion, false);
        valued = completedOptions(completion, true);
        QVERIFY2(options.contains(QStringLiteral("download")) &&
                     options.value(QStringLiteral("shard")) == QLatin1String("K/N"),
                 qPrintable(QStringList(options.keys()).join(' ')));
        QVERIFY(!documented.isEmpty() && !offered.isEmpty());
    }

    void everyOptionIsDocumentedAndCompleted_data() {
        QTest::addColumn<QString>("option");
        QTest::addColumn<bool>("takesValue");
        for (auto option = options.cbegin(); option != options.cend(); ++option)
            QTest::newRow(qPrintable(option.key())) << option.key() << !option.value().isEmpty();
    }
    void everyOptionIsDocumentedAndCompleted() {
        QFETCH(QString, option);
        QFETCH(bool, takesValue);
        QVERIFY2(documented.contains(option), "missing from the manual page");
        QVERIFY2(offered.contains(option), "not offered by the completion");
        QCOMPARE(valued.contains(option), takesValue);
    }

    // What the documents describe, the tool has.
    void theDocumentsNameNoOtherOption() {
        const QSet<QString> listed(options.keyBegin(), options.keyEnd());
        QCOMPARE(documented - listed, QSet<QString>());
        QCOMPARE(offered - listed, QSet<QString>());
    }

    // The first line of what the tool says to a command line whose options do
    // not go together. "--timeout 0" fails last: its message shows the others fit.
    void optionsNeedTheirCompanions_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("error");
        const QString fits = QStringLiteral("--timeout takes a number of seconds from 1 to 86400");
        const auto row = [](const char* name, const QStringList& arguments, const QString& error) {
            QTest::newRow(name) << arguments << error;
        };
        row("links alone", {"--links", "a.html"}, "--images, --links and --match need --download");
        row("parallel alone", {"--parallel", "2", "a.html"}, "--parallel needs --download");
        row("quiet alone", {"--quiet", "a.html"}, "--quiet needs --download");
        row("quiet following", {"--quiet", "--follow", "--timeout", "0", "a.html"}, fits);
        row("quiet downloading", {"--quiet", "--download", ".", "--timeout", "0", "a.html"}, fits);
        row("no-origin alone", {"--no-origin", "a.html"}, "--no-origin needs --download");
        row("take alone", {"--take", "all", "a.html"}, "--take needs --follow");
        row("size with next pages", {"--min-size", "9x9", "--pages", "2", "--timeout", "0", "a"},
            fits);
        row("size following", {"--min-size", "9x9", "--follow", "--timeout", "0", "a"}, fits);
        row("watch without folder", {"--watch", "a.html"}, "--watch needs --download DIR");
        row("two watch actions", {"--download", ".", "--watch", "--unwatch", "a", "b"},
            "--watch cannot be used with --unwatch");
        row("all without check", {"--all", "--list-watches"}, "--all needs --check-watches");
        row("value after =", {"--parallel=2", "--download=.", "--timeout=0", "a.html"}, fits);
    }
    void optionsNeedTheirCompanions() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, error);
        const ToolRun run = runHarvestTool(arguments);
        QCOMPARE(run.exitCode, 2);
        QCOMPARE(run.errors.section(QLatin1Char('\n'), 0, 0), "quillmar-harvest: " + error);
    }
};

QUILLMAR_ENGINE_TEST_MAIN(HarvestOptionsTest)
#include "tst_harvestoptions.moc"
