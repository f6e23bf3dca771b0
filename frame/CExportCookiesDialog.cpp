#include "frame/CExportCookiesDialog.h"

#include "core/Prompts.h"
#include "transfer/EngineCookieJar.h"
#include "transfer/NetscapeCookieFile.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

const QString Caption = QStringLiteral("Export Cookies");

QString Counted(int count) {
    return count == 1 ? QStringLiteral("1 cookie") : QStringLiteral("%1 cookies").arg(count);
}

} // namespace

CExportCookiesDialog::CExportCookiesDialog(const EngineCookieJar& jar, const QString& host,
                                           QWidget* parent)
    : QDialog(parent), siteCookies(host.isEmpty() ? QList<QNetworkCookie>() : jar.CookiesOf(host)),
      allCookies(jar.CookiesOf(QString())),
      site(new QRadioButton(host.isEmpty()
                                ? QStringLiteral("Cookies of this &site (no page is open)")
                                : QStringLiteral("Cookies of this &site, %1: %2")
                                      .arg(host, Counted(int(siteCookies.size()))))),
      everySite(new QRadioButton(
          QStringLiteral("Cookies of &every site: %1").arg(Counted(int(allCookies.size()))))),
      unmarked(new QCheckBox(QStringLiteral(
          "Leave out the &HttpOnly marks, for wget 1.x (it skips the marked lines)"))) {
    setWindowTitle(Caption);
    auto* warning = new QLabel(QStringLiteral(
        "The file will hold your logins: whoever has it can use these sites as you. It is made "
        "readable by you alone; keep it so, and delete it when it is no longer needed."));
    warning->setWordWrap(true);
    warning->setMinimumWidth(420);
    auto* format = new QLabel(QStringLiteral("Written in the cookie file format that curl (-b "
                                             "FILE) and wget (--load-cookies FILE) read."));
    format->setWordWrap(true);
    site->setEnabled(!host.isEmpty());
    (host.isEmpty() ? everySite : site)->setChecked(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    save = buttons->addButton(QStringLiteral("&Save..."), QDialogButtonBox::AcceptRole);
    save->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(site, &QRadioButton::toggled, this, &CExportCookiesDialog::ShowChoice);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(warning);
    layout->addWidget(site);
    layout->addWidget(everySite);
    layout->addWidget(format);
    layout->addWidget(unmarked);
    layout->addWidget(buttons);
    ShowChoice();
}

QList<QNetworkCookie> CExportCookiesDialog::Chosen() const {
    QList<QNetworkCookie> chosen = site->isChecked() ? siteCookies : allCookies;
    if (unmarked->isChecked()) {
        for (QNetworkCookie& cookie : chosen)
            cookie.setHttpOnly(false);
    }
    return chosen;
}

void CExportCookiesDialog::ShowChoice() {
    save->setEnabled(!Chosen().isEmpty());
}

QString CExportCookiesDialog::Run(QWidget* parent, const EngineCookieJar& jar,
                                  const QString& host) {
    CExportCookiesDialog dialog(jar, host, parent);
    if (Prompts::current().runModal(dialog) != QDialog::Accepted)
        return QString();
    const QString path = Prompts::current().chooseSaveFile(
        parent, QDir::homePath(), QStringLiteral("cookies.txt"), QStringLiteral("txt"),
        QStringLiteral("Cookie files (*.txt);;All files (*)"));
    if (path.isEmpty())
        return QString();
    QString error;
    if (!NetscapeCookieFile::Write(path, dialog.Chosen(), error)) {
        Prompts::current().message(parent,
                                   QStringLiteral("The cookies were not saved. %1").arg(error),
                                   Caption, Prompts::Icon::Exclamation);
        return QString();
    }
    return QStringLiteral("%1 saved to %2 (readable by you alone)")
        .arg(Counted(int(dialog.Chosen().size())), path);
}
