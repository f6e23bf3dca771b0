#include "app/CInterruptedDownloadsDialog.h"

#include "app/InterruptedDownloads.h"
#include "core/CommandIds.h"
#include "core/StringTable.h"
#include "records/DownloadQueue.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QUrl>
#include <QVBoxLayout>

namespace {

constexpr int ShownSites = 3;

// Text from the queue file as the dialog shows it: nothing in it can break
// the line, reorder it or hide.
QString Shown(const QString& text) {
    QString shown;
    for (const char32_t code : text.toUcs4()) {
        const QChar::Category kind = QChar::category(code);
        const bool breaks = kind == QChar::Separator_Line || kind == QChar::Separator_Paragraph;
        shown += QChar::isPrint(code) && !breaks ? QString::fromUcs4(&code, 1)
                                                 : QString(QChar::ReplacementCharacter);
    }
    return shown;
}

// The hosts the job's files come from, in the order first met.
QString SitesOf(const QueuedJob& job) {
    QStringList sites;
    for (const DownloadEntry& entry : job.Job.Entries) {
        const QUrl source(entry.Source);
        const QString site =
            source.isLocalFile() ? QStringLiteral("this computer") : Shown(source.host());
        if (!sites.contains(site))
            sites.append(site);
    }
    if (sites.size() <= ShownSites)
        return sites.join(QStringLiteral(", "));
    return QStringLiteral("%1 and %2 other sites")
        .arg(sites.mid(0, ShownSites).join(QStringLiteral(", ")))
        .arg(sites.size() - ShownSites);
}

} // namespace

CInterruptedDownloadsDialog::CInterruptedDownloadsDialog(const QList<QueuedJob>& jobs,
                                                         QWidget* parent)
    : QDialog(parent), lines(new QListWidget(this)), several(jobs.size() > 1) {
    setWindowTitle(StringTable::text(IDR_MAINFRAME));
    auto* icon = new QLabel(this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(32));
    auto* question = new QLabel(InterruptedDownloads::Question(int(jobs.size())), this);
    lines->setAccessibleName(QStringLiteral("Interrupted downloads"));
    lines->setTextElideMode(Qt::ElideMiddle); // the folder's own name stays in view
    for (const QueuedJob& job : jobs) {
        const bool resumable = CanResume(job);
        auto* line = new QListWidgetItem(
            Line(job) + (resumable ? QString() : QStringLiteral(" (the folder is not there)")),
            lines);
        line->setToolTip(line->text());
        Qt::ItemFlags flags = resumable ? Qt::ItemIsEnabled : Qt::NoItemFlags;
        if (several)
            flags |= Qt::ItemIsUserCheckable;
        line->setFlags(flags);
        if (several)
            line->setCheckState(resumable ? Qt::Checked : Qt::Unchecked);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Yes | QDialogButtonBox::No, this);
    yesButton = buttons->button(QDialogButtonBox::Yes);
    connect(yesButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(buttons->button(QDialogButtonBox::No), &QPushButton::clicked, this,
            [this] { done(Declined); });
    connect(lines, &QListWidget::itemChanged, this, &CInterruptedDownloadsDialog::UpdateYes);

    auto* top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addWidget(question, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(lines);
    layout->addWidget(buttons);
    resize(640, std::min(120 + 24 * int(jobs.size()), 480));
    UpdateYes();
}

bool CInterruptedDownloadsDialog::Chosen(int i) const {
    const QListWidgetItem* line = lines->item(i);
    if (!line || !(line->flags() & Qt::ItemIsEnabled))
        return false;
    return !several || line->checkState() == Qt::Checked;
}

QListWidget* CInterruptedDownloadsDialog::Lines() const {
    return lines;
}

QString CInterruptedDownloadsDialog::Line(const QueuedJob& job) {
    const int count = job.Job.Count();
    return QStringLiteral("%1 %2 from %3 into %4")
        .arg(count)
        .arg(count == 1 ? QStringLiteral("file") : QStringLiteral("files"))
        .arg(SitesOf(job), Shown(job.Folder));
}

bool CInterruptedDownloadsDialog::CanResume(const QueuedJob& job) {
    return QFileInfo(job.Folder).isDir();
}

// Yes needs a job to resume.
void CInterruptedDownloadsDialog::UpdateYes() {
    bool any = false;
    for (int i = 0; i < lines->count(); ++i)
        any = any || Chosen(i);
    yesButton->setEnabled(any);
}

#include "moc_CInterruptedDownloadsDialog.cpp"
