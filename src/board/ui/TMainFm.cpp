#include "TMainFm.h"

#include "app/Session.h"
#include "common/Prompt.h"
#include "operators/ui/TAdminChangePassFm.h"
#include "operators/ui/TAdminFm.h"

#include <QCloseEvent>
#include <QMenuBar>

using namespace Qt::StringLiterals;

TMainFm::TMainFm(Session &session, QWidget *parent)
    : QMainWindow(parent)
    , m_session(session)
{
    setWindowTitle(session.context.SoftName);
    resize(1024, 700);
    buildMenus();
}

void TMainFm::buildMenus()
{
    const Rights &rights = m_session.context.Rights;
    QMenu *maintenance = menuBar()->addMenu(u"系统维护"_s);
    QAction *operators = maintenance->addAction(u"管理员设置"_s, this, &TMainFm::openOperators);
    operators->setEnabled(rights.has(u"管理员设置"_s));
    maintenance->addAction(u"管理密码修改"_s, this, &TMainFm::openPasswordChange);
}

void TMainFm::openOperators()
{
    TAdminFm window(m_session, this);
    window.exec();
}

void TMainFm::openPasswordChange()
{
    TAdminChangePassFm window(m_session, this);
    window.exec();
}

void TMainFm::closeEvent(QCloseEvent *event)
{
    if (m_askOnClose && !m_session.prompt.question(u"确认要退出吗?"_s)) {
        event->ignore();
        return;
    }
    event->accept();
}
