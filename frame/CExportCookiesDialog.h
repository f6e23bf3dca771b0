#pragma once

#include <QDialog>
#include <QNetworkCookie>

class EngineCookieJar;
class QCheckBox;
class QPushButton;
class QRadioButton;

// "Export Cookies": writes the cookies of the active page's site, or of every
// site, into a cookie file that curl, wget and other tools read, saying first
// that the file will hold the user's logins.
class CExportCookiesDialog : public QDialog {
    Q_OBJECT
public:
    // host: the active page's site; empty when there is none to choose.
    CExportCookiesDialog(const EngineCookieJar& jar, const QString& host,
                         QWidget* parent = nullptr);

    // The cookies of the choice made, without their HttpOnly marks where asked.
    QList<QNetworkCookie> Chosen() const;

    // Asks, then writes the file the user names; what to show on the message
    // line once written, or an empty text when cancelled or failed (the
    // failure told in a message box).
    static QString Run(QWidget* parent, const EngineCookieJar& jar, const QString& host);

private:
    void ShowChoice();

    QList<QNetworkCookie> siteCookies;
    QList<QNetworkCookie> allCookies;
    QRadioButton* site;
    QRadioButton* everySite;
    // GNU Wget 1.x takes a line marked HttpOnly for a comment.
    QCheckBox* unmarked;
    QPushButton* save;
};
