#include "frame/CDownloadReportDialog.h"

#include "core/Prompts.h"
#include "downloads/DownloadProgressText.h"
#include "downloads/DownloadReport.h"
#include "downloads/Downloads.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace {

enum Column { NameColumn, SubfolderColumn, SizeColumn, OutcomeColumn };
constexpr int JobRole = Qt::UserRole;
// Room beside a column's text, and the most a column widens to fit one.
constexpr int ColumnPadding = 12;
constexpr int WidestColumn = 420;
const QColor FailedColour(255, 96, 96);

QString SizeText(const DownloadReport::File& file) {
    if (file.outcome == DownloadReport::Outcome::Downloading)
        return DownloadProgressText::Amount(file.received, file.total);
    const bool known = file.outcome == DownloadReport::Outcome::Saved ||
                       file.outcome == DownloadReport::Outcome::AlreadySaved;
    return known ? DownloadProgressText::Bytes(file.received) : QString();
}

// A file on its way tells its pace, or that its job is paused.
QString StateText(const DownloadReport::Job& job, const DownloadReport::File& file) {
    if (file.outcome != DownloadReport::Outcome::Downloading)
        return DownloadReport::OutcomeText(file);
    if (job.paused)
        return QStringLiteral("paused");
    const QString pace = DownloadReport::PaceText(file);
    return DownloadReport::OutcomeText(file) + (pace.isEmpty() ? QString() : ", " + pace);
}

} // namespace

CDownloadReportDialog::CDownloadReportDialog(QWidget& owner, DownloadReport& report)
    : QDialog(&owner), report(report), files(new QTreeWidget(this)), totals(new QLabel(this)) {
    setWindowTitle(QStringLiteral("Download Report"));
    setObjectName(QStringLiteral("downloadReport"));
    // The list takes the dialogs' black ground and green text too.
    setStyleSheet(
        QStringLiteral("QTreeWidget, QHeaderView::section { background-color: rgb(0, 0, 0);"
                       " color: rgb(0, 255, 0); }"
                       "QTreeWidget::item:selected { background-color: rgb(0, 96, 0); }"));
    files->setHeaderLabels({QStringLiteral("Name"), QStringLiteral("Subfolder"),
                            QStringLiteral("Size"), QStringLiteral("Outcome")});
    files->setRootIsDecorated(true);
    files->setAccessibleName(QStringLiteral("Downloaded files"));
    // The outcome, a failure's reason above all, takes the room the others leave.
    files->header()->setStretchLastSection(true);
    totals->setAccessibleName(QStringLiteral("Download totals"));

    auto* buttons = new QHBoxLayout;
    const auto addButton = [this, buttons](const QString& text, auto handler) {
        auto* button = new QPushButton(text, this);
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, handler);
        buttons->addWidget(button);
        return button;
    };
    pauseButton = addButton(QStringLiteral("Pause"), &CDownloadReportDialog::OnPause);
    cancelButton = addButton(QStringLiteral("Cancel"), &CDownloadReportDialog::OnCancelJob);
    pauseAllButton = addButton(QStringLiteral("Pause All"), &CDownloadReportDialog::OnPauseAll);
    retryButton = addButton(QStringLiteral("Retry Failed"), &CDownloadReportDialog::OnRetryFailed);
    openFolderButton =
        addButton(QStringLiteral("Open Folder"), &CDownloadReportDialog::OnOpenFolder);
    addButton(QStringLiteral("Clear"), &CDownloadReportDialog::OnClear);
    buttons->addStretch();
    addButton(QStringLiteral("Close"), &QDialog::close)->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(files);
    layout->addWidget(totals);
    layout->addLayout(buttons);
    resize(760, 360);

    connect(&report, &DownloadReport::jobsChanged, this, &CDownloadReportDialog::FillJobs);
    connect(&report, &DownloadReport::fileChanged, this, &CDownloadReportDialog::ShowFile);
    connect(&report, &DownloadReport::jobEnded, this, &CDownloadReportDialog::ShowSummary);
    connect(&report, &DownloadReport::progressChanged, this, &CDownloadReportDialog::ShowProgress);
    connect(files, &QTreeWidget::currentItemChanged, this, &CDownloadReportDialog::UpdateButtons);
    FillJobs();
}

CDownloadReportDialog* CDownloadReportDialog::ShowFor(QWidget& owner, DownloadReport& report) {
    auto* dialog = owner.findChild<CDownloadReportDialog*>(QString(), Qt::FindDirectChildrenOnly);
    if (!dialog)
        dialog = new CDownloadReportDialog(owner, report);
    if (!dialog->isVisible())
        dialog->ShowNewest();
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
    return dialog;
}

QTreeWidget* CDownloadReportDialog::Files() const {
    return files;
}

void CDownloadReportDialog::ShowNewest() {
    if (QTreeWidgetItem* newest = files->topLevelItem(0)) {
        files->setCurrentItem(newest);
        files->scrollToItem(newest, QAbstractItemView::PositionAtTop);
    }
}

void CDownloadReportDialog::FillJobs() {
    const int selected = SelectedJob();
    files->clear();
    FitColumnsToHeader();
    bool subfolders = false;
    for (const DownloadReport::Job& job : report.Jobs()) {
        auto* jobItem = new QTreeWidgetItem(files);
        jobItem->setData(NameColumn, JobRole, job.id);
        jobItem->setFirstColumnSpanned(true);
        for (int i = 0; i < job.files.size(); ++i) {
            auto* fileItem = new QTreeWidgetItem(jobItem);
            fileItem->setData(NameColumn, JobRole, job.id);
            subfolders = subfolders || !job.files[i].subfolder.isEmpty();
        }
        jobItem->setExpanded(true);
        for (int i = 0; i < job.files.size(); ++i)
            ShowFile(job.id, i);
        ShowSummary(job.id);
        if (job.id == selected)
            files->setCurrentItem(jobItem);
    }
    files->setColumnHidden(SubfolderColumn, !subfolders);
    totals->setText(report.TotalsText());
    UpdateButtons();
}

void CDownloadReportDialog::FitColumnsToHeader() {
    for (const int column : {NameColumn, SubfolderColumn, SizeColumn})
        files->setColumnWidth(column, files->header()->fontMetrics().horizontalAdvance(
                                          files->headerItem()->text(column)) +
                                          2 * ColumnPadding);
}

// Columns widen to what they show, never narrowing while files report; a long
// name is cut at its end, its full path in its tool tip.
void CDownloadReportDialog::WidenColumnsFor(const QTreeWidgetItem& item) {
    const QFontMetrics metrics = files->fontMetrics();
    for (const int column : {NameColumn, SubfolderColumn, SizeColumn}) {
        int wanted = metrics.horizontalAdvance(item.text(column)) + 2 * ColumnPadding;
        if (column == NameColumn)
            wanted += files->indentation() + style()->pixelMetric(QStyle::PM_SmallIconSize) +
                      ColumnPadding;
        wanted = std::min(wanted, WidestColumn);
        if (wanted > files->columnWidth(column))
            files->setColumnWidth(column, wanted);
    }
}

void CDownloadReportDialog::ShowFile(int job, int index) {
    const DownloadReport::Job* found = report.FindJob(job);
    QTreeWidgetItem* jobItem = JobItem(job);
    if (!found || !jobItem || index < 0 || index >= jobItem->childCount())
        return;
    const DownloadReport::File& file = found->files[index];
    QTreeWidgetItem* item = jobItem->child(index);
    item->setText(NameColumn, file.name); // the name saved under, once it is known
    item->setText(SubfolderColumn, file.subfolder);
    item->setText(SizeColumn, SizeText(file));
    item->setText(OutcomeColumn, StateText(*found, file));
    item->setToolTip(NameColumn, file.destination);
    item->setToolTip(OutcomeColumn, item->text(OutcomeColumn));
    MarkFailed(*item, file.outcome == DownloadReport::Outcome::Failed);
    WidenColumnsFor(*item);
    // A retry settles the files of the job it retries: that job's line counts again.
    if (found->ended)
        ShowSummary(job);
    if (file.outcome == DownloadReport::Outcome::Failed)
        UpdateButtons();
}

// A failed file stands out by its colour, and by its icon where colours are not told apart.
void CDownloadReportDialog::MarkFailed(QTreeWidgetItem& item, bool failed) const {
    item.setIcon(NameColumn,
                 failed ? style()->standardIcon(QStyle::SP_MessageBoxCritical) : QIcon());
    for (int column = 0; column < files->columnCount(); ++column)
        item.setForeground(column, failed ? QBrush(FailedColour) : QBrush());
}

// The job's line spans the columns: the folder is shown once, whole, for all its files.
void CDownloadReportDialog::ShowSummary(int job) {
    const DownloadReport::Job* found = report.FindJob(job);
    QTreeWidgetItem* jobItem = JobItem(job);
    if (!found || !jobItem)
        return;
    const QString text = DownloadReport::JobLine(*found);
    jobItem->setText(NameColumn, text);
    jobItem->setToolTip(NameColumn, text);
    UpdateButtons(); // a retry that ended frees its job's Retry Failed
}

// Twice a second while jobs run: their lines, the files on their way and the totals.
void CDownloadReportDialog::ShowProgress() {
    totals->setText(report.TotalsText());
    for (const DownloadReport::Job& job : report.Jobs()) {
        if (!report.IsRunning(job.id))
            continue;
        ShowSummary(job.id);
        for (int i = 0; i < job.files.size(); ++i)
            if (job.files[i].outcome == DownloadReport::Outcome::Downloading)
                ShowFile(job.id, i);
    }
}

void CDownloadReportDialog::UpdateButtons() {
    const int job = SelectedJob();
    const DownloadReport::Job* found = report.FindJob(job);
    const bool running = report.IsRunning(job);
    pauseButton->setEnabled(running);
    pauseButton->setText(running && found->paused ? QStringLiteral("Resume")
                                                  : QStringLiteral("Pause"));
    cancelButton->setEnabled(running);
    const bool anyUnpaused = report.AnyRunning(false);
    pauseAllButton->setEnabled(anyUnpaused || report.AnyRunning(true));
    pauseAllButton->setText(anyUnpaused ? QStringLiteral("Pause All")
                                        : QStringLiteral("Resume All"));
    retryButton->setEnabled(found && report.FailedFilesOf(report.RetryTarget(job)).Count() > 0);
    openFolderButton->setEnabled(found && QFileInfo(found->folder).isDir());
}

QTreeWidgetItem* CDownloadReportDialog::JobItem(int job) const {
    for (int i = 0; i < files->topLevelItemCount(); ++i)
        if (files->topLevelItem(i)->data(NameColumn, JobRole).toInt() == job)
            return files->topLevelItem(i);
    return nullptr;
}

int CDownloadReportDialog::SelectedJob() const {
    if (const QTreeWidgetItem* current = files->currentItem())
        return current->data(NameColumn, JobRole).toInt();
    return report.Jobs().isEmpty() ? 0 : report.Jobs().first().id;
}

void CDownloadReportDialog::OnPause() {
    const int job = SelectedJob();
    const DownloadReport::Job* found = report.FindJob(job);
    if (found)
        report.SetPaused(job, !found->paused);
    UpdateButtons();
}

// Ends the selected job alone; the toolbar's Stop ends them all.
void CDownloadReportDialog::OnCancelJob() {
    report.Cancel(SelectedJob());
}

void CDownloadReportDialog::OnPauseAll() {
    report.SetAllPaused(report.AnyRunning(false));
    UpdateButtons();
}

// Fetches the files still failed of the selected job, or of the job a selected
// retry retries; while that runs, their job has none to offer again.
void CDownloadReportDialog::OnRetryFailed() {
    const int job = report.RetryTarget(SelectedJob());
    const DownloadReport::Job* found = report.FindJob(job);
    if (!found)
        return;
    DownloadRequest retry = DownloadRequest::FromSettings(JobOrigin(), found->folder);
    retry.job = report.FailedFilesOf(job);
    retry.retryOf = job;
    retry.report = &report;
    if (retry.job->Count() > 0 && Downloads::Start(retry))
        report.SetMessage(QStringLiteral("Downloading..."));
    UpdateButtons();
}

void CDownloadReportDialog::OnOpenFolder() {
    const DownloadReport::Job* found = report.FindJob(SelectedJob());
    if (found && !Prompts::current().openExternal(QUrl::fromLocalFile(found->folder)))
        Prompts::current().message(
            this, QStringLiteral("No file manager could open the folder %1.").arg(found->folder),
            QStringLiteral("Open Folder"), Prompts::Icon::Exclamation);
}

void CDownloadReportDialog::OnClear() {
    report.ClearFinished();
}

#include "moc_CDownloadReportDialog.cpp"
