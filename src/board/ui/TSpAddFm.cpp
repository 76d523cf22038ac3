#include "TSpAddFm.h"

#include "board/PlateSettings.h"
#include "common/Prompt.h"
#include "common/ui/Attempt.h"
#include "common/ui/ButtonRow.h"
#include "session/Session.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

TSpAddFm::TSpAddFm(Session &session, PlateSettings &settings, const QStringList &rooms,
                   const QString &currentRoom, QWidget *parent)
    : QDialog(parent)
    , m_session(session)
    , m_settings(settings)
    , m_start(new QLineEdit(this))
    , m_end(new QLineEdit(this))
    , m_prefix(new QLineEdit(this))
    , m_room(new QComboBox(this))
{
    setWindowTitle(u"批量添加号牌"_s);
    const QRegularExpression digits(u"[0-9]*"_s);
    m_start->setValidator(new QRegularExpressionValidator(digits, m_start));
    m_end->setValidator(new QRegularExpressionValidator(digits, m_end));
    m_room->setEditable(true);
    m_room->addItems(rooms);
    m_room->setCurrentText(currentRoom);

    auto *group = new QGroupBox(u"号牌信息"_s, this);
    auto *form = new QFormLayout(group);
    form->addRow(u"起始数值:"_s, m_start);
    form->addRow(u"终止数值:"_s, m_end);
    form->addRow(u"前缀字符:"_s, m_prefix);
    form->addRow(u"包厢类型:"_s, m_room);
    form->addRow(new QLabel(u"例如： 号牌\"SP001\"中\"SP\"是前缀字符"_s, this));
    form->addRow(new QLabel(u"所有包厢的号牌都不能重复，必须唯一!"_s, this));

    auto *save = new QPushButton(u"保存"_s, this);
    auto *cancel = new QPushButton(u"取消"_s, this);
    save->setAutoDefault(false);
    cancel->setAutoDefault(false);
    connect(save, &QPushButton::clicked, this, &TSpAddFm::save);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttonRow({save, cancel}));
}

void TSpAddFm::save()
{
    m_prefix->setText(m_prefix->text().trimmed());
    if (m_start->text().trimmed().isEmpty() || m_end->text().trimmed().isEmpty()) {
        m_session.prompt.message(u"请输入号牌的起始值和终止值！"_s, {}, Prompt::Kind::Warning);
        (m_start->text().trimmed().isEmpty() ? m_start : m_end)->setFocus();
        return;
    }
    const bool added = attempt(m_session.prompt, [this] {
        m_settings.addRange(m_start->text(), m_end->text(), m_prefix->text(),
                            m_room->currentText());
    });
    if (!added)
        return;
    m_session.prompt.message(u"号牌批量添加成功！"_s, {}, Prompt::Kind::Warning);
    accept();
}
