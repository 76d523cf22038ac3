#include "BesideGrid.h"

#include "lists/ui/FooterBar.h"
#include "lists/ui/ListWindow.h"

#include <QBoxLayout>
#include <QTableView>

void placeBesideGrid(ListWindow &window, QWidget *panel)
{
    auto *outer = qobject_cast<QBoxLayout *>(window.layout());
    outer->removeWidget(window.grid());
    outer->removeWidget(window.footer());
    auto *list = new QVBoxLayout;
    list->setSpacing(0);
    list->addWidget(window.grid(), 1);
    list->addWidget(window.footer());
    auto *row = new QHBoxLayout;
    row->addWidget(panel);
    row->addLayout(list, 1);
    outer->addLayout(row, 1);
}
