#include "TFwsEditFm.h"

#include "common/ui/Attempt.h"
#include "common/ui/ButtonRow.h"
#include "session/Session.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

TFwsEditFm::TFwsEditFm(Session &session, Mode mode, const EmployeeStore::Shown &shown,
                       QWidget *parent)
    : QDialog(parent)
    , m_session(session)
    , m_mode(mode)
    , m_shown(shown)
    , m_code(new QLineEdit(this))
    , m_name(new QLineEdit(this))
    , m_sex(new QComboBox(this))
    , m_level(new QComboBox(this))
    , m_phone(new QLineEdit(this))
    , m_idNumber(new QLineEdit(this))
    , m_note(new QPlainTextEdit(this))
    , m_save(new QPushButton(u"保存"_s, this))
    , m_exit(new QPushButton(u"退出"_s, this))
{
    setWindowTitle(u"员工"_s);
    m_sex->addItems({u"男"_s, u"女"_s});
    // A level may be typed that has no row yet; the salary payment says so later.
    m_level->setEditable(true);
    m_level->setInsertPolicy(QComboBox::NoInsert);
    if (const auto names = fetch(m_session.prompt, [this] {
            return EmployeeStore(m_session.db()).levelNames();
        }))
        m_level->addItems(*names);
    m_note->setTabChangesFocus(true);

    auto *form = new QFormLayout;
    form->addRow(u"员工编号:"_s, m_code);
    form->addRow(u"员工姓名:"_s, m_name);
    form->addRow(u"性别:"_s, m_sex);
    form->addRow(u"员工等级:"_s, m_level);
    form->addRow(u"联系电话:"_s, m_phone);
    form->addRow(u"证件号码:"_s, m_idNumber);
    form->addRow(u"备注:"_s, m_note);

    m_exit->setAutoDefault(false);
    connect(m_save, &QPushButton::clicked, this, &TFwsEditFm::save);
    connect(m_exit, &QPushButton::clicked, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttonRow({m_save, m_exit}));

    if (m_mode == Mode::Change) {
        showEmployee(EmployeeStore::Employee::fromValues(m_shown));
    } else {
        m_sex->setCurrentText(u"男"_s);
        m_level->setCurrentIndex(-1);
    }
    m_code->setFocus();
}

void TFwsEditFm::showEmployee(const EmployeeStore::Employee &employee)
{
    m_code->setText(employee.code);
    m_name->setText(employee.name);
    // A sex other than the two choices, from older data, is kept as it is.
    if (employee.sex.isEmpty())
        m_sex->setCurrentIndex(-1);
    else if (m_sex->findText(employee.sex) < 0)
        m_sex->addItem(employee.sex);
    if (!employee.sex.isEmpty())
        m_sex->setCurrentText(employee.sex);
    m_level->setCurrentIndex(m_level->findText(employee.level));
    m_level->setEditText(employee.level);
    m_phone->setText(employee.phone);
    m_idNumber->setText(employee.idNumber);
    m_note->setPlainText(employee.note);
}

EmployeeStore::Employee TFwsEditFm::typed() const
{
    return {m_code->text(),  m_name->text(),     m_sex->currentText(), m_level->currentText(),
            m_phone->text(), m_idNumber->text(), m_note->toPlainText()};
}

void TFwsEditFm::save()
{
    const EmployeeStore::Employee employee = typed();
    const bool saved = attempt(m_session.prompt, [&] {
        EmployeeStore store(m_session.db());
        if (m_mode == Mode::Add)
            store.add(employee);
        else
            store.update(m_shown, employee);
    });
    if (!saved)
        return;
    m_savedCode = employee.code.trimmed();
    accept();
}
