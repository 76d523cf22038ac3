#include "TLgFm.h"

#include "common/Prompt.h"
#include "common/ui/Attempt.h"
#include "common/ui/ButtonRow.h"
#include "common/ui/MaskedInput.h"
#include "operators/SignIn.h"
#include "session/Session.h"

#include <QComboBox>
#include <QEvent>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <optional>

using namespace Qt::StringLiterals;

TLgFm::TLgFm(Session &session, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , m_session(session)
    , m_banner(new QLabel(this))
    , m_name(new QComboBox(this))
    , m_password(new QLineEdit(this))
    , m_signIn(new QPushButton(u"确定"_s, this))
    , m_leave(new QPushButton(u"退出"_s, this))
{
    setWindowTitle(session.context.SoftName);
    m_banner->setText(session.context.SoftName);
    m_banner->setAlignment(Qt::AlignCenter);
    QFont bannerFont = m_banner->font();
    bannerFont.setPointSize(bannerFont.pointSize() + 8);
    bannerFont.setBold(true);
    m_banner->setFont(bannerFont);
    m_banner->setMinimumHeight(70);
    m_banner->setStyleSheet(u"color: #8a2c5a;"_s);

    m_name->setEditable(true);
    m_name->setInsertPolicy(QComboBox::NoInsert);
    m_name->setMinimumWidth(240);
    MaskedInput::setUp(m_password);
    m_signIn->setAutoDefault(false);
    m_leave->setAutoDefault(false);

    auto *form = new QFormLayout;
    form->addRow(u"用户名:"_s, m_name);
    form->addRow(u"密码:"_s, m_password);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_banner);
    layout->addLayout(form);
    layout->addLayout(buttonRow({m_signIn, m_leave}));

    // A new name, picked or typed, goes straight on to its password.
    connect(m_name, &QComboBox::currentTextChanged, this, &TLgFm::moveToPassword);
    connect(m_signIn, &QPushButton::clicked, this, &TLgFm::signIn);
    connect(m_leave, &QPushButton::clicked, this, &TLgFm::reject);
    m_password->installEventFilter(this);
}

void TLgFm::loadOperators()
{
    const QSignalBlocker blocker(m_name);
    m_name->clear();
    const auto list = fetch(m_session.prompt, [this] { return SignIn::loadOperators(m_session.db()); });
    if (list) {
        m_name->addItems(list->names);
        m_name->setEditText(list->firstName);
        m_password->setText(list->prefillPassword);
    }
    m_password->setFocus();
}

void TLgFm::moveToPassword()
{
    m_password->setFocus();
}

bool TLgFm::eventFilter(QObject *watched, QEvent *event)
{
    // With the password box in focus, Enter signs in.
    if (watched == m_password && event->type() == QEvent::FocusIn)
        m_signIn->setDefault(true);
    return QDialog::eventFilter(watched, event);
}

void TLgFm::signIn()
{
    const QString name = m_name->currentText();
    // A failure (no database, a missing right column, a value the database
    // refuses) shows its text and leaves the window as it was.
    const auto checked = fetch(m_session.prompt, [&] {
        return SignIn::check(m_session.db(), name, m_password->text());
    });
    if (!checked)
        return;
    const std::optional<Rights> &rights = *checked;
    if (!rights) {
        m_session.prompt.message(u"用户名或者密码错误请重新输入！"_s);
        m_password->selectAll();
        m_password->setFocus();
        return;
    }
    m_session.context.OperatorName = name;
    m_session.context.Rights = *rights;
    accept();
}
