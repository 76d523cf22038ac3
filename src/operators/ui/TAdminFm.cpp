#include "TAdminFm.h"

#include "common/Prompt.h"
#include "common/ui/Attempt.h"
#include "common/ui/GridLook.h"
#include "operators/OperatorStore.h"
#include "session/Session.h"

#include <QAction>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QToolBar>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

TAdminFm::TAdminFm(Session &session, QWidget *parent)
    : QDialog(parent)
    , m_session(session)
    , m_list(new QTableWidget(this))
    , m_name(new QLineEdit(this))
    , m_nameGroup(new QGroupBox(this))
    , m_rightsGroup(new QGroupBox(u"权限"_s, this))
{
    setWindowTitle(u"管理员管理 （新增用户的默认初始密码是"_s
                   + QString::fromUtf16(OperatorStore::DefaultPassword) + u"）"_s);
    resize(640, 460);

    auto *toolbar = new QToolBar(this);
    toolbar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    const std::pair<QString, void (TAdminFm::*)()> buttons[] = {
        {u"添加"_s, &TAdminFm::addOperator},    {u"修改"_s, &TAdminFm::editOperator},
        {u"保存"_s, &TAdminFm::saveOperator},   {u"取消"_s, &TAdminFm::cancelEdit},
        {u"删除"_s, &TAdminFm::deleteOperator}, {u"退出"_s, &TAdminFm::leave},
    };
    for (const auto &[caption, slot] : buttons) {
        QAction *action = toolbar->addAction(caption);
        connect(action, &QAction::triggered, this, slot);
        m_actions.append(action);
    }

    m_list->setColumnCount(1);
    m_list->setHorizontalHeaderLabels({u"用户名"_s});
    GridLook::setUp(m_list);
    m_list->verticalHeader()->hide();
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setMaximumWidth(200);
    connect(m_list, &QTableWidget::currentCellChanged, this, &TAdminFm::showCurrent);

    auto *nameLayout = new QHBoxLayout(m_nameGroup);
    nameLayout->addWidget(new QLabel(u"用户名:"_s, m_nameGroup));
    nameLayout->addWidget(m_name);

    auto *rightsLayout = new QGridLayout(m_rightsGroup);
    int index = 0;
    for (const auto &[column, caption] : OperatorStore::editableRights()) {
        auto *box = new QCheckBox(caption, m_rightsGroup);
        m_rightBoxes.insert(column, box);
        rightsLayout->addWidget(box, index / 4, index % 4);
        ++index;
    }

    auto *detail = new QVBoxLayout;
    detail->addWidget(m_nameGroup);
    detail->addWidget(m_rightsGroup);
    detail->addStretch();
    auto *body = new QHBoxLayout;
    body->addWidget(m_list);
    body->addLayout(detail, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(toolbar);
    layout->addLayout(body);

    if (m_session.database)
        m_store = std::make_unique<OperatorStore>(*m_session.database);
    setEditing(false);
    reload();
}

TAdminFm::~TAdminFm() = default;

QAction *TAdminFm::action(const QString &caption) const
{
    for (QAction *each : m_actions) {
        if (each->text() == caption)
            return each;
    }
    return nullptr;
}

QString TAdminFm::currentName() const
{
    const QTableWidgetItem *item = m_list->item(m_list->currentRow(), 0);
    return item ? item->text() : QString();
}

void TAdminFm::reload(const QString &select)
{
    const QStringList names = fetch(m_session.prompt, [this] {
                                  m_session.db();
                                  return m_store->names();
                              }).value_or(QStringList());
    const QSignalBlocker blocker(m_list);
    m_list->setRowCount(static_cast<int>(names.size()));
    int selected = 0;
    for (int row = 0; row < names.size(); ++row) {
        m_list->setItem(row, 0, new QTableWidgetItem(names.at(row)));
        if (names.at(row) == select)
            selected = row;
    }
    if (!names.isEmpty())
        m_list->setCurrentCell(selected, 0);
    showCurrent();
}

void TAdminFm::showCurrent()
{
    if (m_editing)
        return;
    const QString name = currentName();
    m_shown = {};
    if (!name.isEmpty() && m_store) {
        m_shown = fetch(m_session.prompt, [&] { return m_store->load(name); })
                      .value_or(OperatorStore::Operator());
    }
    m_name->setText(m_shown.name);
    for (auto it = m_rightBoxes.cbegin(); it != m_rightBoxes.cend(); ++it)
        it.value()->setChecked(m_shown.rights.value(it.key(), false));
}

void TAdminFm::setEditing(bool editing)
{
    m_editing = editing;
    action(u"添加"_s)->setEnabled(!editing);
    action(u"修改"_s)->setEnabled(!editing);
    action(u"删除"_s)->setEnabled(!editing);
    action(u"保存"_s)->setEnabled(editing);
    action(u"取消"_s)->setEnabled(editing);
    m_nameGroup->setEnabled(editing);
    m_rightsGroup->setEnabled(editing);
    m_list->setEnabled(!editing);
    if (editing)
        m_name->setFocus();
}

void TAdminFm::addOperator()
{
    m_adding = true;
    setEditing(true);
    m_name->clear();
    for (QCheckBox *box : std::as_const(m_rightBoxes))
        box->setChecked(false);
}

void TAdminFm::editOperator()
{
    if (currentName().isEmpty())
        return;
    m_adding = false;
    setEditing(true);
}

void TAdminFm::saveOperator()
{
    OperatorStore::Operator entry;
    entry.name = m_name->text();
    for (auto it = m_rightBoxes.cbegin(); it != m_rightBoxes.cend(); ++it)
        entry.rights.insert(it.key(), it.value()->isChecked());
    const bool saved = attempt(m_session.prompt, [&] {
        m_session.db();
        if (m_adding)
            m_store->add(entry);
        else
            m_store->update(m_shown, entry);
    });
    if (!saved)
        return;
    m_adding = false;
    setEditing(false);
    reload(entry.name);
}

void TAdminFm::cancelEdit()
{
    m_adding = false;
    setEditing(false);
    // Read again: a save refused because another workstation changed the
    // operator meanwhile then shows that change.
    reload(currentName());
}

void TAdminFm::deleteOperator()
{
    const QString name = currentName();
    if (name.isEmpty())
        return;
    bool asked = false;
    attempt(m_session.prompt, [&] {
        m_session.db();
        m_store->checkRemovable(name);
        if (!m_session.prompt.question(u"您是否要删除\" "_s + name + u'"'))
            return;
        asked = true;
        m_store->remove(name);
    });
    // Deleted here or meanwhile elsewhere: the list shows what is left.
    if (asked)
        reload();
}

void TAdminFm::leave()
{
    m_session.prompt.message(u"重启软件后,新的设置才能生效!"_s);
    accept();
}
