#include "TPosPrtSetFm.h"

#include "common/ui/Attempt.h"
#include "common/ui/ButtonRow.h"
#include "maintenance/ReceiptPrinterSettings.h"
#include "session/Session.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

TPosPrtSetFm::TPosPrtSetFm(Session &session, QWidget *parent)
    : QDialog(parent)
    , m_session(session)
    , m_preview(new QRadioButton(u"预览"_s, this))
    , m_direct(new QRadioButton(u"直接打印"_s, this))
    , m_port(new QComboBox(this))
{
    setWindowTitle(u"Pos打印机设置"_s);
    auto *mode = new QGroupBox(u"结帐-打印按钮的默认状态"_s, this);
    auto *modeRow = new QHBoxLayout(mode);
    modeRow->addWidget(m_preview);
    modeRow->addWidget(m_direct);
    auto *port = new QGroupBox(u"端口选择"_s, this);
    auto *portRow = new QHBoxLayout(port);
    m_port->setEditable(true);
    m_port->addItems(ReceiptPrinterSettings::ports());
    m_port->setCurrentText(session.context.ReceiptPort);
    m_port->setMinimumWidth(200);
    portRow->addWidget(m_port, 1);

    // An unexpected stored value leaves both choices open.
    if (const auto preview = ReceiptPrinterSettings::previewOf(session.context))
        (*preview ? m_preview : m_direct)->setChecked(true);

    auto *applyButton = new QPushButton(u"应用"_s, this);
    auto *leave = new QPushButton(u"退出"_s, this);
    leave->setAutoDefault(false);
    connect(applyButton, &QPushButton::clicked, this, &TPosPrtSetFm::apply);
    connect(leave, &QPushButton::clicked, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(mode);
    layout->addWidget(port);
    layout->addLayout(buttonRow({applyButton, leave}));
}

void TPosPrtSetFm::apply()
{
    const bool preview = m_preview->isChecked();
    const QString port = m_port->currentText();
    if (!attempt(m_session.prompt, [&] {
            ReceiptPrinterSettings::apply(m_session.context.signedIn(), m_session.ini, m_session.context,
                                          preview, port);
        })) {
        return;
    }
    m_session.prompt.message(u"修改完毕,重启软件后生效!"_s);
    accept();
}
