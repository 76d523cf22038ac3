#include "TSysInfoFm.h"

#include "common/ui/Attempt.h"
#include "common/ui/ButtonRow.h"
#include "maintenance/ShopInfo.h"
#include "session/Session.h"

#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

TSysInfoFm::TSysInfoFm(Session &session, QWidget *parent)
    : QDialog(parent)
    , m_session(session)
    , m_name(new QLineEdit(this))
    , m_tel(new QLineEdit(this))
    , m_address(new QLineEdit(this))
{
    setWindowTitle(u"系统信息设置"_s);
    auto *form = new QFormLayout;
    form->addRow(u"店名:"_s, m_name);
    form->addRow(u"电话:"_s, m_tel);
    form->addRow(u"地址:"_s, m_address);
    auto *saveButton = new QPushButton(u"保存"_s, this);
    auto *back = new QPushButton(u"返回"_s, this);
    back->setAutoDefault(false);
    connect(saveButton, &QPushButton::clicked, this, &TSysInfoFm::save);
    connect(back, &QPushButton::clicked, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttonRow({saveButton, back}));
    setMinimumWidth(420);

    if (const auto shop = fetch(session.prompt, [&] { return ShopInfo::read(session.db()); })) {
        m_name->setText(shop->name);
        m_tel->setText(shop->tel);
        m_address->setText(shop->address);
    }
}

void TSysInfoFm::save()
{
    const ShopInfo::Shop shop{m_name->text(), m_tel->text(), m_address->text()};
    if (!attempt(m_session.prompt, [&] { ShopInfo::save(m_session.db(), shop); }))
        return;
    m_session.prompt.message(u"重启软件后生效！"_s);
    accept();
}
