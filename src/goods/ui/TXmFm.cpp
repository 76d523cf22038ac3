#include "TXmFm.h"

#include "TXmAddFm.h"
#include "TXmAddRdFm.h"
#include "TXmEditFm.h"
#include "common/ui/Attempt.h"
#include "goods/GoodsCatalogue.h"
#include "goods/GoodsLists.h"
#include "lists/ui/SearchBarWidget.h"
#include "report/ListReport.h"
#include "session/RightTable.h"
#include "session/Session.h"

#include <QLineEdit>

using namespace Qt::StringLiterals;

TXmFm::TXmFm(Session &session, QWidget *parent)
    : ListWindow(session, GoodsLists::catalogue(), parent)
{
    setWindowTitle(u"商品项目管理"_s);
    followChanges(Change::Goods);
    setWindowState(windowState() | Qt::WindowMaximized);

    addButton(u"新增商品"_s, [this] { addItem(); });
    addButton(u"商品进货"_s, [this] { buyCurrentItem(); });
    addButton(u"修改"_s, [this] { editCurrentItem(); });
    addButton(u"删除"_s, [this] { deleteCurrentItem(); });
    addButton(u"刷新"_s, [this] { refresh(); });
    addButton(u"显示全部"_s, [this] { showAll(); });
    addButton(u"打印"_s, [this] { print(); });
    addButton(u"退出"_s, [this] { reject(); });
}

QLineEdit *TXmFm::searchBox() const
{
    return searchBar()->valueBox();
}

void TXmFm::showEvent(QShowEvent *event)
{
    ListWindow::showEvent(event);
    // Each showing starts from the whole catalogue as the database has it.
    searchBox()->clear();
    showAll();
}

void TXmFm::showAll()
{
    load();
}

std::optional<int> TXmFm::currentItem() const
{
    if (!hasCurrentRow())
        return std::nullopt;
    return currentValue(u"id"_s).toInt();
}

void TXmFm::addItem()
{
    TXmAddFm window(m_session, this);
    connect(&window, &TXmAddFm::saved, this, [this] { refresh(); });
    window.exec();
}

void TXmFm::buyCurrentItem()
{
    const std::optional<int> id = currentItem();
    if (!id)
        return;
    const bool allowed = attempt(m_session.prompt, [&] {
        GoodsCatalogue(m_session.db(), m_session.context.signedIn(), m_session.clock).checkPurchase(*id);
    });
    if (!allowed)
        return;
    TXmAddRdFm window(m_session, *id, this);
    if (window.exec() == QDialog::Accepted)
        refresh();
}

void TXmFm::editCurrentItem()
{
    const std::optional<int> id = currentItem();
    if (!id)
        return;
    TXmEditFm window(m_session, *id, this);
    if (window.exec() == QDialog::Accepted)
        refresh();
}

void TXmFm::deleteCurrentItem()
{
    const std::optional<int> id = currentItem();
    if (!id)
        return;
    // Refused before the question, as the catalogue would refuse after it.
    if (!attempt(m_session.prompt,
                 [&] { RightTable::require(m_session.context.Rights, Guarded::DeleteGoods); }))
        return;
    const QString name = currentValue(u"商品名"_s).toString();
    if (!m_session.prompt.question(u"您是否要删除\" "_s + name + u'"'))
        return;
    if (attempt(m_session.prompt, [&] {
            GoodsCatalogue(m_session.db(), m_session.context.signedIn(), m_session.clock).remove(*id);
        }))
        refresh();
}

void TXmFm::print()
{
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    ListReport report;
    report.addTitle(u"商品项目列表    [DATE]"_s, 14);
    report.addTitle(u"打印日期:[DATE]"_s);
    report.addColumn({u"编号"_s, u"编号"_s, 1});
    report.addColumn({u"商品名"_s, u"商品名"_s, 2});
    report.addColumn({u"单价"_s, u"单价"_s, 1, right});
    report.addColumn({u"类型"_s, u"商品类型"_s, 1.2});
    report.addColumn({u"库存"_s, u"库存"_s, 0.8, right});
    printList(report);
}
