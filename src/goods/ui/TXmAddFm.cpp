#include "TXmAddFm.h"

#include "GoodsForm.h"
#include "common/Prompt.h"
#include "common/ui/Attempt.h"
#include "common/ui/ButtonRow.h"
#include "goods/GoodsCatalogue.h"
#include "session/Session.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

TXmAddFm::TXmAddFm(Session &session, QWidget *parent)
    : QDialog(parent)
    , m_session(session)
    , m_form(new GoodsForm(GoodsForm::Kind::NewItem, this))
    , m_save(new QPushButton(u"保存"_s, this))
{
    setWindowTitle(u"增加消费项目"_s);
    if (const auto types = fetch(session.prompt, [&session] {
            return GoodsCatalogue(session.db(), session.context.signedIn(), session.clock).typeNames();
        }))
        m_form->setTypes(*types);

    auto *cancel = new QPushButton(u"取消"_s, this);
    m_save->setDefault(true);
    cancel->setAutoDefault(false);
    connect(m_save, &QPushButton::clicked, this, &TXmAddFm::save);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_form->typeBox(), &QComboBox::currentTextChanged, this, &TXmAddFm::ShowNumItem);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_form);
    layout->addLayout(buttonRow({m_save, cancel}));
    ShowNumItem();
}

bool TXmAddFm::stockFieldsShown() const
{
    return m_stockShown;
}

void TXmAddFm::ShowNumItem()
{
    const QString type = m_form->typeBox()->currentText();
    const auto keeps = type.isEmpty() ? std::optional<bool>(false)
                                      : fetch(m_session.prompt, [this, &type] {
                                            return GoodsCatalogue(m_session.db(), m_session.context.signedIn(),
                                                                  m_session.clock)
                                                .keepsStock(type);
                                        });
    m_stockShown = keeps.value_or(false);
    m_form->showStockFields(m_stockShown);
}

void TXmAddFm::save()
{
    const GoodsCatalogue::NewItem item = m_form->newItem();
    const bool added = attempt(m_session.prompt, [this, &item] {
        GoodsCatalogue(m_session.db(), m_session.context.signedIn(), m_session.clock).add(item);
    });
    if (!added)
        return;
    emit saved();
    m_form->clearInput();
    m_session.prompt.message(u"保存完成!"_s);
    m_form->nameEdit()->setFocus();
}
