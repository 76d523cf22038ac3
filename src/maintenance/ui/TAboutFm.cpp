#include "TAboutFm.h"

#include "common/ui/ButtonRow.h"
#include "session/Session.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

TAboutFm::TAboutFm(Session &session, QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(u"关于"_s);
    const AppContext &context = session.context;
    QString database;
    if (context.DbKind == u"a")
        database = u"数据库:单机版 (SQLite)"_s;
    else if (context.DbKind == u"s")
        database = u"数据库:网络版 (PostgreSQL)"_s;
    auto *layout = new QVBoxLayout(this);
    const QStringList texts = {context.SoftName, context.AboutMemo, context.TelText,
                               context.WebText, context.CompanyText, database};
    for (const QString &text : texts) {
        auto *label = new QLabel(text, this);
        label->setWordWrap(true);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        m_lines.append(label);
        layout->addWidget(label);
    }
    QFont title = m_lines.first()->font();
    title.setPointSizeF(title.pointSizeF() * 1.4);
    title.setBold(true);
    m_lines.first()->setFont(title);
    auto *ok = new QPushButton(u"确定"_s, this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    layout->addSpacing(12);
    layout->addLayout(buttonRow({ok}));
    setMinimumWidth(360);
}

QStringList TAboutFm::lines() const
{
    QStringList texts;
    for (const QLabel *label : m_lines)
        texts.append(label->text());
    return texts;
}
