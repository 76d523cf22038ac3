#include "TXmEditFm.h"

#include "GoodsForm.h"
#include "common/Prompt.h"
#include "common/ui/Attempt.h"
#include "common/ui/ButtonRow.h"
#include "session/RightTable.h"
#include "session/Session.h"

#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

TXmEditFm::TXmEditFm(Session &session, int itemId, QWidget *parent)
    : QDialog(parent)
    , m_session(session)
    , m_mayEdit(RightTable::allows(session.context.Rights, Guarded::EditGoods))
    , m_form(new GoodsForm(GoodsForm::Kind::StoredItem, this))
    , m_save(new QPushButton(u"保存"_s, this))
    , m_cancel(new QPushButton(u"取消修改"_s, this))
    , m_close(new QPushButton(u"关闭"_s, this))
{
    setWindowTitle(u"修改"_s);
    const auto read = fetch(session.prompt, [&session, itemId] {
        GoodsCatalogue catalogue(session.db(), session.context.signedIn(), session.clock);
        return std::make_pair(catalogue.item(itemId), catalogue.typeNames());
    });
    if (read) {
        m_shown = read->first;
        m_form->setTypes(read->second);
        m_form->showItem(m_shown);
    }

    const bool editable = m_mayEdit && read.has_value();
    m_form->setEnabled(editable);
    m_save->setEnabled(editable);
    m_cancel->setEnabled(editable);
    m_save->setDefault(true);
    m_cancel->setAutoDefault(false);
    m_close->setAutoDefault(false);
    connect(m_save, &QPushButton::clicked, this, &TXmEditFm::save);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_close, &QPushButton::clicked, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_form);
    layout->addLayout(buttonRow({m_save, m_cancel, m_close}));
}

void TXmEditFm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_mayEdit && !m_refusalShown) {
        m_refusalShown = true;
        m_session.prompt.message(RightTable::guard(Guarded::EditGoods).refusal);
    }
}

void TXmEditFm::save()
{
    const GoodsCatalogue::Change change = m_form->change();
    const bool saved = attempt(m_session.prompt, [this, &change] {
        GoodsCatalogue(m_session.db(), m_session.context.signedIn(), m_session.clock).update(m_shown, change);
    });
    if (saved)
        accept();
}
