#include "TZdMxFm.h"

#include "common/Clock.h"
#include "common/ui/Attempt.h"
#include "lists/ui/SearchBarWidget.h"
#include "session/Session.h"

#include <QLabel>
#include <QPushButton>
#include <QToolBar>

using namespace Qt::StringLiterals;

TZdMxFm::TZdMxFm(Session &session, QWidget *parent)
    : ListWindow(session, LineSearch::list(), parent)
    , m_takings(new QLabel(this))
    , m_count(new QLabel(this))
{
    setWindowTitle(u"账单明细"_s);
    setWindowState(windowState() | Qt::WindowMaximized);
    toolbar()->hide();
    onBarButton(u"close"_s, [this] { reject(); });
    onBarButton(u"print"_s, [this] { print(); });
    onBarButton(u"excel"_s, [this] { exportList(); });
    searchBar()->addBesideButtons(m_takings);
    searchBar()->addBesideButtons(m_count);

    FreshDate();
}

QDateEdit *TZdMxFm::fromDate() const
{
    return searchBar()->firstDate();
}

QTimeEdit *TZdMxFm::fromTime() const
{
    return searchBar()->firstTime();
}

QDateEdit *TZdMxFm::toDate() const
{
    return searchBar()->lastDate();
}

QTimeEdit *TZdMxFm::toTime() const
{
    return searchBar()->lastTime();
}

QCheckBox *TZdMxFm::timeCheck() const
{
    return searchBar()->rangeTick();
}

QComboBox *TZdMxFm::fieldBox() const
{
    return searchBar()->fieldBox();
}

QLineEdit *TZdMxFm::valueBox() const
{
    return searchBar()->valueBox();
}

QPushButton *TZdMxFm::button(const QString &caption) const
{
    return searchBar()->findChild<QPushButton *>(caption);
}

void TZdMxFm::FreshDate()
{
    const QDate today = m_session.clock.now().date();
    searchBar()->reset(today);

    const std::optional<int> lines = load(LineSearch::day(today));
    const auto takings = fetch(m_session.prompt, [&] {
        return LineSearch::takings(m_session.db(), today);
    });
    if (takings)
        m_takings->setText(*takings ? u"共 "_s + (*takings)->toString() + u" 元"_s : u"0"_s);
    if (lines)
        m_count->setText(u"共"_s + QString::number(*lines) + u" 条记录"_s);
}

void TZdMxFm::print()
{
    printList(LineSearch::report());
}
