#include "TSetDataFm.h"

#include "common/ui/Attempt.h"
#include "common/ui/ButtonRow.h"
#include "common/ui/MaskedInput.h"
#include "maintenance/DatabaseSettings.h"
#include "session/Session.h"

#include <QApplication>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

TSetDataFm::TSetDataFm(Session &session, QWidget *parent)
    : QDialog(parent)
    , m_session(session)
    , m_embedded(new QRadioButton(u"单机版 (SQLite)  本机的数据文件，可以直接保存"_s, this))
    , m_serverChoice(new QRadioButton(u"网络版 (PostgreSQL)  只有测试连接成功才能保存"_s, this))
    , m_serverGroup(new QGroupBox(u"网络版 (PostgreSQL)"_s, this))
    , m_server(new QLineEdit(this))
    , m_database(new QLineEdit(this))
    , m_user(new QLineEdit(this))
    , m_password(new QLineEdit(this))
    , m_test(new QPushButton(u"测试"_s, this))
    , m_save(new QPushButton(u"保存"_s, this))
    , m_leave(new QPushButton(u"退出"_s, this))
{
    setWindowTitle(u"数据库设置"_s);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint);

    auto *choice = new QGroupBox(u"请选择"_s, this);
    auto *choices = new QVBoxLayout(choice);
    choices->addWidget(m_embedded);
    choices->addWidget(m_serverChoice);

    MaskedInput::setUp(m_password);
    auto *fields = new QFormLayout(m_serverGroup);
    fields->addRow(u"服务器名/ip地址:"_s, m_server);
    fields->addRow(u"数据库名:"_s, m_database);
    fields->addRow(u"用户名:"_s, m_user);
    fields->addRow(u"密码:"_s, m_password);
    fields->addRow(QString(), m_test);

    for (QPushButton *button : {m_test, m_save, m_leave})
        button->setAutoDefault(false);
    connect(m_embedded, &QRadioButton::clicked, this, &TSetDataFm::chooseEmbedded);
    connect(m_serverChoice, &QRadioButton::clicked, this, &TSetDataFm::chooseServer);
    connect(m_test, &QPushButton::clicked, this, &TSetDataFm::testServer);
    connect(m_save, &QPushButton::clicked, this, &TSetDataFm::save);
    connect(m_leave, &QPushButton::clicked, this, &TSetDataFm::leave);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(choice);
    layout->addWidget(m_serverGroup);
    layout->addLayout(buttonRow({m_save, m_leave}));
    setMinimumWidth(440);

    m_serverGroup->setEnabled(false);
    m_save->setEnabled(false);
    if (session.context.DbKind == u"a") {
        m_embedded->setChecked(true);
        chooseEmbedded();
    } else if (session.context.DbKind == u"s") {
        m_serverChoice->setChecked(true);
        chooseServer();
    }
    const auto stored = fetch(session.prompt, [&] { return DatabaseSettings::stored(session.ini); });
    if (stored) {
        m_server->setText(stored->server);
        m_database->setText(stored->database);
        m_user->setText(stored->user);
        m_password->setText(stored->password);
    }
}

void TSetDataFm::chooseEmbedded()
{
    m_serverGroup->setEnabled(false);
    m_save->setEnabled(true);
}

void TSetDataFm::chooseServer()
{
    m_serverGroup->setEnabled(true);
    m_save->setEnabled(false);
}

void TSetDataFm::testServer()
{
    const DatabaseSettings::Server server{m_server->text(), m_database->text(), m_user->text(),
                                          m_password->text()};
    m_session.prompt.message(DatabaseSettings::shownText(server));
    try {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        DatabaseSettings::test(server, m_session.context.ProgramDir);
        QApplication::restoreOverrideCursor();
    } catch (const DbError &error) {
        QApplication::restoreOverrideCursor();
        m_session.prompt.message(u"连接失败\n"_s + error.text(), {}, Prompt::Kind::Error);
        return;
    }
    m_tested = {server.server, server.database, server.user, server.password};
    m_session.prompt.message(u"连接成功!"_s);
    m_save->setEnabled(true);
}

void TSetDataFm::save()
{
    const DatabaseSettings::Server server{m_server->text(), m_database->text(), m_user->text(),
                                          m_password->text()};
    // The server's text is written only for the fields that were tested.
    const bool tested =
        m_tested == QStringList{server.server, server.database, server.user, server.password};
    const bool embedded = m_embedded->isChecked();
    if (!embedded && !tested) {
        m_session.prompt.message(u"服务器的设置改过了，请重新测试连接。"_s);
        m_save->setEnabled(false);
        return;
    }
    if (!attempt(m_session.prompt,
                 [&] { DatabaseSettings::save(m_session.ini, embedded, server, tested); }))
        return;
    m_session.prompt.message(u"软件重启后生效!"_s);
    accept();
}

void TSetDataFm::leave()
{
    m_session.prompt.message(u"软件重启后生效!"_s);
    reject();
}
