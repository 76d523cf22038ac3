#include "TMemberFm.h"

#include "TMemberAddFm.h"
#include "TMemberEditFm.h"
#include "common/ui/Attempt.h"
#include "db/ResultTableModel.h"
#include "lists/ui/SearchBarWidget.h"
#include "members/MemberStore.h"
#include "session/Session.h"

using namespace Qt::StringLiterals;

TMemberFm::TMemberFm(Session &session, QWidget *parent)
    : ListWindow(session, MemberStore::list(), parent)
{
    setWindowTitle(u"会员管理"_s);
    followChanges(Change::Members);
    setWindowState(windowState() | Qt::WindowMaximized);

    addButton(u"添加"_s, [this] { addMember(); });
    addButton(u"修改"_s, [this] { editMember(); });
    addButton(u"删除"_s, [this] { deleteMember(); });
    addButton(u"刷新"_s, [this] { refresh(); });
    addButton(u"显示全部"_s, [this] { showAll(); });
    addButton(u"打印"_s, [this] { printList(report()); });
    addButton(u"充值"_s, [this] { recharge(); });
    addButton(u"Excel"_s, [this] { exportList(); });
    addButton(u"退出"_s, [this] { close(); });

    load();
}

ListReport TMemberFm::report()
{
    ListReport report;
    report.addTitle(u"会员资料    [DATE]"_s, 14);
    report.addColumn({u"会员卡号"_s, u"会员卡号"_s});
    report.addColumn({u"会员姓名"_s, u"会员姓名"_s});
    report.addColumn({u"性别"_s, u"会员性别"_s, 0.6});
    report.addColumn({u"会员类型"_s, u"会员类型"_s});
    report.addColumn({u"联系电话"_s, u"联系电话"_s, 1.4});
    report.addClosingLine(u"打印日期:[DATE]"_s);
    return report;
}

QComboBox *TMemberFm::fieldBox() const
{
    return searchBar()->fieldBox();
}

QLineEdit *TMemberFm::valueBox() const
{
    return searchBar()->valueBox();
}

QPushButton *TMemberFm::findButton() const
{
    return searchBar()->button(QString::fromUtf16(SearchBar::Search));
}

QString TMemberFm::currentCard() const
{
    return currentValue(u"会员卡号"_s).toString();
}

void TMemberFm::showAll()
{
    load();
}

void TMemberFm::addMember()
{
    TMemberAddFm window(m_session, this);
    window.exec();
    refresh();
    if (!window.addedCard().isEmpty())
        selectRow(u"会员卡号"_s, window.addedCard());
}

void TMemberFm::editMember()
{
    if (!hasCurrentRow())
        return;
    TMemberEditFm window(m_session, currentCard(), this);
    if (!window.isLoaded())
        return;
    if (window.exec() != QDialog::Accepted)
        return;
    refresh();
    selectRow(u"会员卡号"_s, window.savedCard());
}

void TMemberFm::deleteMember()
{
    if (!hasCurrentRow())
        return;
    const QString card = currentCard();
    bool removed = false;
    attempt(m_session.prompt, [&] {
        MemberStore store(m_session.db(), m_session.context.Rights);
        store.checkRemovable();
        const QString question = u"您是否要删除\" "_s + currentValue(u"会员姓名"_s).toString()
                                 + u'"';
        if (m_session.prompt.question(question)) {
            store.remove(card);
            removed = true;
        }
    });
    if (removed)
        refresh();
}

void TMemberFm::recharge()
{
    emit rechargeRequested(hasCurrentRow() ? currentCard() : QString());
    // The recharge changed the balance in place; show it.
    refresh();
}
