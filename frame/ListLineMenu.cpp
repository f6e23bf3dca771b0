#include "frame/ListLineMenu.h"

#include "frame/CHarvestList.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenu>

ListLineMenu::ListLineMenu(CHarvestList& list, OpenAddress openInNewWindow, Command download,
                           Command showThumbnail)
    : QObject(&list), list(list), openInNewWindow(std::move(openInNewWindow)),
      download(std::move(download)), showThumbnail(std::move(showThumbnail)) {
    list.setContextMenuPolicy(Qt::CustomContextMenu);
    connect(&list, &QWidget::customContextMenuRequested, this, &ListLineMenu::ShowMenu);
    connect(&list, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* line) {
        this->openInNewWindow(line->data(CHarvestList::AddressRole).toString());
    });
}

QMenu* ListLineMenu::MenuAt(const QPoint& pos) {
    QListWidgetItem* line = list.itemAt(pos);
    if (!line)
        return nullptr;
    if (!line->isSelected()) {
        list.clearSelection();
        line->setSelected(true);
    }
    list.setCurrentItem(line, QItemSelectionModel::NoUpdate);
    const QString address = line->data(CHarvestList::AddressRole).toString();
    auto* menu = new QMenu(&list);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addAction(QStringLiteral("&Copy Address"), this, &ListLineMenu::CopyAddresses);
    menu->addAction(QStringLiteral("Open in &New Window"), this,
                    [this, address] { openInNewWindow(address); });
    menu->addAction(QStringLiteral("&Download"), this, [this] { download(); });
    menu->addAction(QStringLiteral("Show &Thumbnail"), this, [this] { showThumbnail(); });
    return menu;
}

void ListLineMenu::ShowMenu(const QPoint& pos) {
    if (QMenu* menu = MenuAt(pos))
        menu->popup(list.viewport()->mapToGlobal(pos));
}

// One address a line, in list order, as a download manager takes them.
void ListLineMenu::CopyAddresses() const {
    QStringList addresses;
    for (const HarvestLine& line : list.SelectedLines())
        addresses.append(line.address);
    QApplication::clipboard()->setText(addresses.join(QLatin1Char('\n')));
}

#include "moc_ListLineMenu.cpp"
