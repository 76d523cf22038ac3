#include "TSpEditFm.h"

#include "board/PlateState.h"
#include "common/Prompt.h"
#include "common/ui/Attempt.h"
#include "common/ui/ButtonRow.h"
#include "db/DbError.h"
#include "session/Session.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

TSpEditFm::TSpEditFm(Session &session, PlateSettings &settings, int number,
                     const PlateSettings::PlateFields &shown, const QStringList &rooms,
                     QWidget *parent)
    : QDialog(parent)
    , m_session(session)
    , m_settings(settings)
    , m_number(number)
    , m_shown(shown)
    , m_plate(new QLineEdit(shown.plate, this))
    , m_room(new QComboBox(this))
    , m_state(new QComboBox(this))
    , m_save(new QPushButton(u"保存"_s, this))
{
    setWindowTitle(u"手牌信息"_s);
    // Both lists also take typed text.
    m_room->setEditable(true);
    m_room->addItems(rooms);
    m_room->setCurrentText(shown.room);
    m_state->setEditable(true);
    m_state->addItems({QString::fromUtf16(PlateState::Free), QString::fromUtf16(PlateState::Disabled),
                       QString::fromUtf16(PlateState::Reserved)});
    m_state->setCurrentText(shown.state);

    auto *form = new QFormLayout;
    form->addRow(u"号牌:"_s, m_plate);
    form->addRow(u"所属包厢:"_s, m_room);
    form->addRow(u"号牌状态:"_s, m_state);

    auto *cancel = new QPushButton(u"取消"_s, this);
    m_save->setDefault(true);
    cancel->setAutoDefault(false);
    connect(m_save, &QPushButton::clicked, this, &TSpEditFm::save);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttonRow({m_save, cancel}));
}

void TSpEditFm::save()
{
    const PlateSettings::PlateFields fields{m_plate->text(), m_room->currentText(),
                                            m_state->currentText()};
    const bool saved = attempt(m_session.prompt, [&] {
        try {
            m_settings.savePlate(m_number, m_shown, fields);
        } catch (const DbError &error) {
            // A duplicate number, most likely; the dialog stays for a correction.
            throw DbError(u"保存失败!\n"_s + error.text());
        }
    });
    if (saved)
        accept();
}
