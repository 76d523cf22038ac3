#include "TMemberFm.h"

#include "TMemberAddFm.h"
#include "TMemberEditFm.h"
#include "common/ui/Attempt.h"
#include "db/ResultTableModel.h"
#include "members/MemberStore.h"
#include "session/Session.h"

#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace Qt::StringLiterals;

TMemberFm::TMemberFm(Session &session, QWidget *parent)
    : ListWindow(session, MemberStore::list(), parent)
    , m_field(new QComboBox(this))
    , m_value(new QLineEdit(this))
    , m_find(new QPushButton(u"查找"_s, this))
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

    m_field->setEditable(true);
    m_field->setInsertPolicy(QComboBox::NoInsert);
    m_field->addItems({u"会员卡号"_s, u"会员姓名"_s, u"会员类型"_s, u"联系电话"_s, u"备注"_s});
    m_field->setCurrentIndex(0);
    m_value->installEventFilter(this);
    connect(m_find, &QPushButton::clicked, this, &TMemberFm::search);

    auto *bar = new QWidget(this);
    auto *row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(m_field);
    row->addWidget(new QLabel(u"中含有"_s, bar));
    row->addWidget(m_value, 1);
    row->addWidget(m_find);
    row->addStretch(1);
    setSearchBar(bar);

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

bool TMemberFm::eventFilter(QObject *watched, QEvent *event)
{
    // Enter in the value box searches.
    if (watched == m_value && event->type() == QEvent::FocusIn)
        m_find->setDefault(true);
    return ListWindow::eventFilter(watched, event);
}

QString TMemberFm::currentCard() const
{
    return currentValue(u"会员卡号"_s).toString();
}

void TMemberFm::search()
{
    const QString field = m_field->currentText();
    const QString value = m_value->text();
    if (field.isEmpty() || value.isEmpty()) {
        m_session.prompt.message(u"请填写查询条件!"_s);
        return;
    }
    ListFilter filter;
    filter.conditions.append({field, ListFilter::Match::Equals, value});
    if (load(filter) == 0)
        m_session.prompt.message(u"没有找到符合条件的数据."_s);
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
