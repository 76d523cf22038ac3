#include "TChongZhiRecordFm.h"

#include "lists/ui/SearchBarWidget.h"
#include "members/RechargeRecords.h"

#include <QLineEdit>
#include <QToolBar>

using namespace Qt::StringLiterals;

TChongZhiRecordFm::TChongZhiRecordFm(Session &session, QWidget *parent)
    : ListWindow(session, RechargeRecords::list(), parent)
{
    setWindowTitle(u"充值记录查询"_s);
    toolbar()->hide();
    onBarButton(u"exit"_s, [this] { reject(); });

    // Every recharge, until the operator asks for fewer.
    load();
    valueBox()->setFocus();
}

QComboBox *TChongZhiRecordFm::fieldBox() const
{
    return searchBar()->fieldBox();
}

QLineEdit *TChongZhiRecordFm::valueBox() const
{
    return searchBar()->valueBox();
}

QCheckBox *TChongZhiRecordFm::dateBox() const
{
    return searchBar()->rangeTick();
}

QDateEdit *TChongZhiRecordFm::firstDate() const
{
    return searchBar()->firstDate();
}

QDateEdit *TChongZhiRecordFm::lastDate() const
{
    return searchBar()->lastDate();
}

QCheckBox *TChongZhiRecordFm::timeBox() const
{
    return searchBar()->timeTick();
}

QTimeEdit *TChongZhiRecordFm::firstTime() const
{
    return searchBar()->firstTime();
}

QTimeEdit *TChongZhiRecordFm::lastTime() const
{
    return searchBar()->lastTime();
}

QPushButton *TChongZhiRecordFm::searchButton() const
{
    return searchBar()->button(QString::fromUtf16(SearchBar::Search));
}
