#include "frame/CWatchPageDialog.h"

#include "core/Prompts.h"
#include "watches/WatchPeriod.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

CWatchPageDialog::CWatchPageDialog(const Watch& watch, const WatchChoices& followChoices,
                                   QWidget* parent)
    : QDialog(parent), watch(watch), followChoices(followChoices),
      folder(new QLineEdit(watch.folder)), period(new QLineEdit(WatchPeriod::Text(watch.period))),
      fromNow(new QCheckBox(QStringLiteral("only what is added from now on"))),
      follow(new QCheckBox(QStringLiteral("&Follow thumbnails to their pictures"))),
      logins(new QCheckBox(QStringLiteral("Check with the window's &logins"))), choices(new QLabel),
      problem(new QLabel) {
    setWindowTitle(QStringLiteral("Watch This Page"));
    auto* page = new QLabel(
        watch.title.isEmpty() ? watch.address : watch.title + QStringLiteral("\n") + watch.address);
    page->setWordWrap(true);
    page->setMinimumWidth(460);
    auto* browse = new QPushButton(QStringLiteral("&Browse..."));
    connect(browse, &QPushButton::clicked, this, &CWatchPageDialog::Browse);
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(folder);
    folderRow->addWidget(browse);
    period->setToolTip(QStringLiteral("30m, 6h, 2d: at least 5 minutes"));
    fromNow->setChecked(watch.choices.fromNow);
    // Only a watch's first check can note what is there.
    fromNow->setEnabled(watch.lastGood == 0);
    follow->setChecked(watch.choices.followThumbnails);
    logins->setChecked(watch.choices.windowLogins);
    choices->setWordWrap(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    ok = buttons->button(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* form = new QFormLayout(this);
    form->addRow(page);
    form->addRow(QStringLiteral("Folder:"), folderRow);
    form->addRow(QStringLiteral("Check &every:"), period);
    form->addRow(fromNow);
    form->addRow(follow);
    form->addRow(logins);
    form->addRow(QStringLiteral("Checks use:"), choices);
    form->addRow(problem);
    form->addRow(buttons);
    for (QLineEdit* edit : {folder, period})
        connect(edit, &QLineEdit::textChanged, this, &CWatchPageDialog::ShowChoices);
    connect(follow, &QCheckBox::toggled, this, &CWatchPageDialog::ShowChoices);
    ShowChoices();
}

Watch CWatchPageDialog::Chosen() const {
    Watch chosen = watch;
    chosen.folder = folder->text().trimmed();
    QString unused;
    chosen.period = WatchPeriod::Parse(period->text().trimmed(), unused).value_or(watch.period);
    const bool following = follow->isChecked();
    if (following && !watch.choices.followThumbnails) {
        chosen.choices.follow = followChoices.follow;
        chosen.choices.deep = true;
    }
    chosen.choices.followThumbnails = following;
    chosen.choices.fromNow = fromNow->isChecked();
    chosen.choices.windowLogins = logins->isChecked();
    return chosen;
}

void CWatchPageDialog::Browse() {
    const QString chosen = Prompts::current().chooseFolder(this, folder->text());
    if (!chosen.isEmpty())
        folder->setText(chosen);
}

void CWatchPageDialog::ShowChoices() {
    choices->setText(Chosen().choices.Text());
    QString why;
    WatchPeriod::Parse(period->text().trimmed(), why);
    if (folder->text().trimmed().isEmpty())
        why = QStringLiteral("Choose the folder its pictures go to.");
    problem->setText(why);
    problem->setVisible(!why.isEmpty());
    ok->setEnabled(why.isEmpty());
}

std::optional<Watch> CWatchPageDialog::Ask(QWidget* parent, const Watch& watch,
                                           const WatchChoices& followChoices) {
    CWatchPageDialog dialog(watch, followChoices, parent);
    if (Prompts::current().runModal(dialog) != QDialog::Accepted)
        return std::nullopt;
    return dialog.Chosen();
}
