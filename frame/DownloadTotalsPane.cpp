#include "frame/DownloadTotalsPane.h"

#include "downloads/DownloadReport.h"

#include <QLabel>
#include <QStatusBar>

DownloadTotalsPane::DownloadTotalsPane(QStatusBar& statusBar, DownloadReport& report)
    : QObject(&statusBar), report(report), label(new QLabel(&statusBar)) {
    label->setObjectName(QStringLiteral("downloadTotals"));
    label->setAccessibleName(QStringLiteral("Download totals"));
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Sunken);
    statusBar.addPermanentWidget(label);
    connect(&report, &DownloadReport::progressChanged, this, &DownloadTotalsPane::Show);
    Show();
}

void DownloadTotalsPane::Show() {
    const QString totals = report.TotalsText();
    label->setText(totals);
    label->setToolTip(report.RunningLines().join(QLatin1Char('\n')));
    label->setVisible(!totals.isEmpty());
}

#include "moc_DownloadTotalsPane.cpp"
