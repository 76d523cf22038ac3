#include "TSpStatusFm.h"

#include "board/PlateState.h"
#include "board/PlateStatus.h"
#include "common/Prompt.h"
#include "common/ui/Attempt.h"
#include "session/Session.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

TSpStatusFm::TSpStatusFm(Session &session, const QString &plate, QWidget *parent)
    : QDialog(parent)
    , m_session(session)
    , m_plate(plate)
    , m_state(new QLabel(this))
{
    setWindowTitle(u"号牌"_s);

    auto *group = new QGroupBox(u"号牌信息"_s, this);
    auto *form = new QFormLayout(group);
    form->addRow(u"号牌:"_s, new QLabel(plate, this));
    form->addRow(u"当前状态:"_s, m_state);

    auto *buttons = new QHBoxLayout;
    const std::pair<QString, const char16_t *> targets[] = {
        {u"变为可用"_s, PlateState::Free},
        {u"变为预定"_s, PlateState::Reserved},
        {u"变为停用"_s, PlateState::Disabled},
    };
    for (const auto &[caption, target] : targets) {
        auto *button = new QPushButton(caption, this);
        button->setAutoDefault(false);
        const QString state = QString::fromUtf16(target);
        connect(button, &QPushButton::clicked, this, [this, state] { changeTo(state); });
        buttons->addWidget(button);
        m_buttons.append(button);
    }

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttons);

    // The state read now is the one the buttons go by.
    if (const auto state =
            fetch(m_session.prompt, [this] { return PlateStatus(m_session.db()).read(m_plate); }))
        m_state->setText(*state);
}

QString TSpStatusFm::shownState() const
{
    return m_state->text();
}

QPushButton *TSpStatusFm::button(const QString &caption) const
{
    for (QPushButton *each : m_buttons) {
        if (each->text() == caption)
            return each;
    }
    return nullptr;
}

void TSpStatusFm::changeTo(const QString &target)
{
    if (attempt(m_session.prompt,
                [&] { PlateStatus(m_session.db()).change(m_plate, shownState(), target); }))
        accept();
}
