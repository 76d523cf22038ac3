#include "TDataClearFm.h"

#include "BackupActions.h"
#include "common/ui/Attempt.h"
#include "common/ui/ButtonRow.h"
#include "session/Session.h"

#include <QCheckBox>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

TDataClearFm::TDataClearFm(Session &session, QWidget *parent)
    : QDialog(parent)
    , m_session(session)
{
    setWindowTitle(u"数据初始化"_s);
    auto *layout = new QVBoxLayout(this);
    for (const DataClearing::Records records : DataClearing::all()) {
        auto *box = new QCheckBox(DataClearing::caption(records), this);
        m_boxes.insert(records, box);
        layout->addWidget(box);
    }
    auto *clear = new QPushButton(u"清理"_s, this);
    auto *close = new QPushButton(u"关闭"_s, this);
    clear->setAutoDefault(false);
    close->setAutoDefault(false);
    connect(clear, &QPushButton::clicked, this, &TDataClearFm::clearChosen);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    layout->addSpacing(12);
    layout->addLayout(buttonRow({clear, close}));
}

void TDataClearFm::clearChosen()
{
    const std::optional<QString> password =
        m_session.prompt.maskedInput(u"请输入正确的密码"_s, u"密码:"_s);
    if (password != QString::fromUtf16(DataClearing::Password)) {
        m_session.prompt.message(QString::fromUtf16(DataClearing::WrongPassword));
        return;
    }
    QList<DataClearing::Records> chosen;
    QStringList tables;
    for (const DataClearing::Records records : DataClearing::all()) {
        if (m_boxes.value(records)->isChecked()) {
            chosen.append(records);
            tables += DataClearing::tables(records);
        }
    }
    // What is emptied cannot be had back but from a backup.
    if (!BackupActions::offerBackup(m_session, u"数据初始化"_s))
        return;
    QString question = u"您是否真的要删除?"_s;
    if (!tables.isEmpty())
        question += u"\n将清空的表："_s + tables.join(u"、"_s) + u"。"_s;
    if (!m_session.prompt.question(question))
        return;
    // All or nothing: a failure leaves every table as it was and the
    // window open.
    if (!attempt(m_session.prompt, [&] { DataClearing::clear(m_session.context.signedIn(), m_session.db(), chosen); }))
        return;
    m_session.prompt.message(u"清理完毕！"_s);
    accept();
}
