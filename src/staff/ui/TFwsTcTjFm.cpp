#include "TFwsTcTjFm.h"

#include "lists/ui/SearchBarWidget.h"
#include "staff/StaffLists.h"

#include <QToolBar>

using namespace Qt::StringLiterals;

TFwsTcTjFm::TFwsTcTjFm(Session &session, QWidget *parent)
    : ListWindow(session, StaffLists::commissionTotals(), parent)
{
    setWindowTitle(u"服务生提成统计"_s);
    toolbar()->hide();
    onBarButton(u"exit"_s, [this] { reject(); });
    resize(480, 560);

    // Every settled line, paid or not, until the operator picks days.
    load();
}

QDateEdit *TFwsTcTjFm::firstDate() const
{
    return searchBar()->firstDate();
}

QDateEdit *TFwsTcTjFm::lastDate() const
{
    return searchBar()->lastDate();
}
