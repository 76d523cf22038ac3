#include "TBaoXiangFm.h"

#include "board/PlateSettings.h"
#include "common/Prompt.h"
#include "common/ui/Attempt.h"
#include "common/ui/ButtonRow.h"
#include "session/Session.h"

#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

TBaoXiangFm::TBaoXiangFm(Session &session, PlateSettings &settings, const QString &mode,
                         const PlateSettings::Room &shown, QWidget *parent)
    : QDialog(parent)
    , m_session(session)
    , m_settings(settings)
    , m_mode(mode)
    , m_shown(shown)
    , m_name(new QLineEdit(this))
    , m_ticket(new QLineEdit(this))
    , m_minimum(new QLineEdit(this))
{
    setWindowTitle(u"包厢设置"_s);
    // Amounts: digits and one point.
    const QRegularExpression amount(u"[0-9]*\\.?[0-9]*"_s);
    m_ticket->setValidator(new QRegularExpressionValidator(amount, m_ticket));
    m_minimum->setValidator(new QRegularExpressionValidator(amount, m_minimum));

    auto *form = new QFormLayout;
    form->addRow(u"包厢类型:"_s, m_name);
    form->addRow(u"门票价格:"_s, m_ticket);
    form->addRow(u"最低消费:"_s, m_minimum);

    auto *save = new QPushButton(u"保存"_s, this);
    auto *cancel = new QPushButton(u"取消"_s, this);
    save->setDefault(true);
    connect(save, &QPushButton::clicked, this, &TBaoXiangFm::save);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttonRow({save, cancel}));

    if (m_mode == u"修改") {
        m_name->setText(m_shown.name);
        m_ticket->setText(m_shown.ticketText());
        m_minimum->setText(m_shown.minimumText());
    }
}

void TBaoXiangFm::save()
{
    // Empty amounts are saved as 0.
    if (m_ticket->text().trimmed().isEmpty())
        m_ticket->setText(u"0"_s);
    if (m_minimum->text().trimmed().isEmpty())
        m_minimum->setText(u"0"_s);
    const bool saved = attempt(m_session.prompt, [this] {
        m_session.db();
        if (m_mode == u"修改")
            m_settings.updateRoom(m_shown, m_name->text(), m_ticket->text(), m_minimum->text());
        else
            m_settings.addRoom(m_name->text(), m_ticket->text(), m_minimum->text());
    });
    if (saved)
        accept();
}
