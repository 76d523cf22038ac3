#include "RecordScreen.h"

#include "common/Prompt.h"
#include "common/ui/Attempt.h"
#include "common/ui/GridLook.h"
#include "lists/RecordTable.h"
#include "session/Session.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

using Action = RecordScreenDescription::Action;

QString captionOf(Action action, const RecordScreenDescription &described)
{
    switch (action) {
    case Action::Add:
        return u"添加"_s;
    case Action::Change:
        return u"修改"_s;
    case Action::Delete:
        return u"删除"_s;
    case Action::Save:
        return u"保存"_s;
    case Action::Cancel:
        return u"取消"_s;
    case Action::Exit:
        return described.exitCaption;
    }
    return {};
}

bool sameKey(const QVariant &a, const QVariant &b)
{
    return !a.isNull() && !b.isNull() && a.toString() == b.toString();
}

} // namespace

RecordScreen::RecordScreen(Session &session, RecordScreenDescription described, QWidget *parent)
    : QDialog(parent)
    , m_session(session)
    , m_description(std::move(described))
    , m_form(new QWidget(this))
    , m_grid(new QTableWidget(this))
{
    setWindowTitle(m_description.title);
    if (!m_description.closable) {
        setWindowFlags((windowFlags() | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
                       & ~Qt::WindowCloseButtonHint);
    }
    resize(600, 460);
    if (m_session.database)
        m_table = std::make_unique<RecordTable>(*m_session.database, m_description.table,
                                                m_session.context.signedIn());

    auto *toolbar = new QToolBar(this);
    toolbar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    for (Action which : m_description.buttons) {
        QAction *action = toolbar->addAction(captionOf(which, m_description));
        m_actions.append({which, action});
        switch (which) {
        case Action::Add:
            connect(action, &QAction::triggered, this, &RecordScreen::addRecord);
            break;
        case Action::Change:
            connect(action, &QAction::triggered, this, &RecordScreen::changeRecord);
            break;
        case Action::Delete:
            connect(action, &QAction::triggered, this, &RecordScreen::deleteRecord);
            break;
        case Action::Save:
            connect(action, &QAction::triggered, this, &RecordScreen::saveRecord);
            break;
        case Action::Cancel:
            connect(action, &QAction::triggered, this, &RecordScreen::cancelEdit);
            break;
        case Action::Exit:
            connect(action, &QAction::triggered, this, &RecordScreen::leave);
            break;
        }
    }

    buildForm(m_form);

    const QStringList gridColumns = [this] {
        if (!m_description.gridColumns.isEmpty())
            return m_description.gridColumns;
        QStringList all;
        for (const RecordField &field : m_description.table.fields)
            all.append(field.column);
        return all;
    }();
    QStringList headings;
    for (const QString &column : gridColumns) {
        const int index = m_description.table.indexOf(column);
        if (index < 0)
            continue;
        m_gridFields.append(index);
        const RecordField &field = m_description.table.fields[index];
        headings.append(field.heading.isEmpty() ? field.column : field.heading);
    }
    m_grid->setColumnCount(static_cast<int>(headings.size()));
    m_grid->setHorizontalHeaderLabels(headings);
    m_grid->verticalHeader()->hide();
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    GridLook::setUp(m_grid);
    connect(m_grid, &QTableWidget::currentCellChanged, this, &RecordScreen::showCurrent);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(toolbar);
    layout->addWidget(m_form);
    for (const QString &note : std::as_const(m_description.notes))
        layout->addWidget(new QLabel(note, this));
    layout->addWidget(m_grid, 1);

    setState(State::Browsing);
    reload();
}

RecordScreen::~RecordScreen() = default;

void RecordScreen::buildForm(QWidget *form)
{
    auto *layout = new QFormLayout(form);
    static const QRegularExpression numberKeys(u"[0-9.]*"_s);
    for (const RecordField &field : m_description.table.fields) {
        QWidget *box = nullptr;
        switch (field.kind) {
        case RecordField::Kind::YesNo: {
            auto *check = new QCheckBox(field.caption, form);
            connect(check, &QCheckBox::clicked, this, &RecordScreen::formEdited);
            layout->addRow(check);
            box = check;
            break;
        }
        case RecordField::Kind::Choice: {
            auto *combo = new QComboBox(form);
            combo->addItems(field.choices);
            connect(combo, &QComboBox::activated, this, &RecordScreen::formEdited);
            layout->addRow(field.caption, combo);
            box = combo;
            break;
        }
        case RecordField::Kind::Money:
        case RecordField::Kind::Number:
        case RecordField::Kind::Text: {
            auto *edit = new QLineEdit(form);
            // Amounts take digits and the point only, as every number box does.
            if (field.kind != RecordField::Kind::Text)
                edit->setValidator(new QRegularExpressionValidator(numberKeys, edit));
            connect(edit, &QLineEdit::textEdited, this, &RecordScreen::formEdited);
            layout->addRow(field.caption, edit);
            box = edit;
            break;
        }
        }
        m_fields.insert(field.column, box);
    }
}

QAction *RecordScreen::action(const QString &caption) const
{
    for (const auto &[which, action] : m_actions) {
        if (action->text() == caption)
            return action;
    }
    return nullptr;
}

QAction *RecordScreen::action(RecordScreenDescription::Action which) const
{
    for (const auto &[each, action] : m_actions) {
        if (each == which)
            return action;
    }
    return nullptr;
}

int RecordScreen::currentRow() const
{
    const int row = m_grid->currentRow();
    return row >= 0 && row < static_cast<int>(m_rows.size()) ? row : -1;
}

void RecordScreen::setState(State state)
{
    m_state = state;
    const bool editing = state != State::Browsing;
    for (const auto &[which, action] : std::as_const(m_actions)) {
        switch (which) {
        case Action::Save:
        case Action::Cancel:
            action->setEnabled(editing || m_description.editByTyping);
            break;
        default:
            action->setEnabled(!editing);
            break;
        }
    }
    m_form->setEnabled(editing || m_description.editByTyping);
    // The row being edited stays current until it is saved or given up.
    m_grid->setEnabled(!editing);
}

void RecordScreen::fillGridRow(int gridRow, const QVariantList &shown)
{
    for (int column = 0; column < m_gridFields.size(); ++column) {
        const int index = m_gridFields.at(column);
        const RecordField &field = m_description.table.fields[index];
        auto *item = new QTableWidgetItem;
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        if (field.kind == RecordField::Kind::YesNo)
            item->setData(Qt::CheckStateRole, shown.value(index).toBool() ? Qt::Checked : Qt::Unchecked);
        else
            item->setText(shown.value(index).toString());
        m_grid->setItem(gridRow, column, item);
    }
}

void RecordScreen::reload(const QVariant &select)
{
    std::optional<std::vector<RecordRow>> rows = fetch(m_session.prompt, [this] {
        m_session.db();
        return m_table->readAll();
    });
    m_rows = rows ? std::move(*rows) : std::vector<RecordRow>();

    const QSignalBlocker blocker(m_grid);
    m_grid->setRowCount(static_cast<int>(m_rows.size()));
    int current = m_rows.empty() ? -1 : 0;
    for (int row = 0; row < static_cast<int>(m_rows.size()); ++row) {
        fillGridRow(row, m_table->shownValues(m_rows[row]));
        if (sameKey(m_rows[row].key, select))
            current = row;
    }
    m_grid->setCurrentCell(current, 0);
    showCurrent();
}

void RecordScreen::showCurrent()
{
    if (m_state != State::Browsing)
        return;
    const int row = currentRow();
    if (row >= 0 && m_table) {
        showValues(m_table->shownValues(m_rows[row]));
        return;
    }
    QVariantList empty;
    for (const RecordField &field : m_description.table.fields)
        empty.append(field.kind == RecordField::Kind::YesNo ? QVariant(false) : QVariant(QString()));
    showValues(empty);
}

void RecordScreen::showValues(const QVariantList &shown)
{
    for (std::size_t i = 0; i < m_description.table.fields.size(); ++i) {
        QWidget *box = m_fields.value(m_description.table.fields[i].column);
        const QVariant value = shown.value(static_cast<int>(i));
        const QSignalBlocker blocker(box);
        if (auto *edit = qobject_cast<QLineEdit *>(box))
            edit->setText(value.toString());
        else if (auto *check = qobject_cast<QCheckBox *>(box))
            check->setChecked(value.toBool());
        else if (auto *combo = qobject_cast<QComboBox *>(box))
            combo->setCurrentIndex(combo->findText(value.toString()));
    }
}

QVariantList RecordScreen::enteredValues() const
{
    QVariantList values;
    for (const RecordField &field : m_description.table.fields) {
        QWidget *box = m_fields.value(field.column);
        if (auto *edit = qobject_cast<QLineEdit *>(box))
            values.append(edit->text());
        else if (auto *check = qobject_cast<QCheckBox *>(box))
            values.append(check->isChecked());
        else if (auto *combo = qobject_cast<QComboBox *>(box))
            values.append(combo->currentIndex() < 0 ? QString() : combo->currentText());
    }
    return values;
}

void RecordScreen::startAdding(bool clearForm)
{
    const int before = currentRow();
    m_keyBefore = before >= 0 ? m_rows[before].key : QVariant();
    m_editRow = -1;
    QVariantList shown = clearForm ? m_table->initialValues() : enteredValues();
    if (!clearForm) {
        // Typing began the row: the boxes not typed into start as those of
        // a row begun with "添加" do.
        const QVariantList initial = m_table->initialValues();
        for (std::size_t i = 0; i < m_description.table.fields.size(); ++i) {
            const int index = static_cast<int>(i);
            auto *edit = qobject_cast<QLineEdit *>(m_fields.value(m_description.table.fields[i].column));
            if (!edit || !edit->text().isEmpty() || initial.value(index).toString().isEmpty())
                continue;
            const QSignalBlocker blocker(edit);
            edit->setText(initial.value(index).toString());
            shown[index] = edit->text();
        }
    }
    {
        const QSignalBlocker blocker(m_grid);
        const int row = static_cast<int>(m_rows.size());
        m_grid->setRowCount(row + 1);
        fillGridRow(row, shown);
        m_grid->setCurrentCell(row, 0);
    }
    if (clearForm)
        showValues(shown);
    setState(State::Adding);
    if (clearForm && !m_description.table.fields.empty())
        m_fields.value(m_description.table.fields.front().column)->setFocus();
}

void RecordScreen::addRecord()
{
    if (m_state != State::Browsing)
        return;
    if (!m_table) {
        attempt(m_session.prompt, [this] { m_session.db(); });
        return;
    }
    // Starts from what the database holds now, with other workstations' rows.
    const int row = currentRow();
    reload(row >= 0 ? m_rows[row].key : QVariant());
    startAdding(true);
}

void RecordScreen::changeRecord()
{
    if (m_state != State::Browsing || currentRow() < 0)
        return;
    m_editRow = currentRow();
    setState(State::Changing);
    if (!m_description.table.fields.empty())
        m_fields.value(m_description.table.fields.front().column)->setFocus();
}

void RecordScreen::formEdited()
{
    if (!m_description.editByTyping || m_state != State::Browsing || !m_table)
        return;
    if (currentRow() < 0) {
        startAdding(false);
        return;
    }
    m_editRow = currentRow();
    setState(State::Changing);
}

void RecordScreen::saveRecord()
{
    if (m_state == State::Browsing)
        return;
    const QVariantList entered = enteredValues();
    if (m_description.check) {
        const SaveCheck verdict = m_description.check(RecordEntry{m_description.table, entered});
        if (!verdict.go) {
            if (!verdict.message.isEmpty())
                m_session.prompt.message(verdict.message);
            return;
        }
    }
    QVariant key;
    const bool saved = attempt(m_session.prompt, [&] {
        m_session.db();
        key = m_state == State::Adding ? m_table->insert(entered)
                                       : m_table->update(m_rows.at(m_editRow), entered);
    });
    if (!saved)
        return;
    m_editRow = -1;
    setState(State::Browsing);
    reload(key);
}

void RecordScreen::cancelEdit()
{
    if (m_state == State::Browsing)
        return;
    const QVariant keep = m_state == State::Changing ? m_rows.at(m_editRow).key : m_keyBefore;
    m_editRow = -1;
    setState(State::Browsing);
    // Read again: after a refused save the grid shows what the row holds now.
    reload(keep);
}

void RecordScreen::deleteRecord()
{
    if (m_state != State::Browsing)
        return;
    if (!m_table) {
        attempt(m_session.prompt, [this] { m_session.db(); });
        return;
    }
    const int row = currentRow();
    if (row < 0) {
        m_session.prompt.message(u"没有记录可以删除!"_s);
        return;
    }
    const RecordRow doomed = m_rows[row];
    const int nameField = m_description.table.indexOf(m_description.nameColumn);
    const QString name = nameField < 0
        ? QString()
        : RecordTable::shownValue(m_description.table.fields[nameField], doomed.values.value(nameField)).toString();
    if (!m_session.prompt.question(u"您是否要删除\" "_s + name + u'"'))
        return;
    // The row that takes its place in the list becomes current.
    const int next = row + 1 < static_cast<int>(m_rows.size()) ? row + 1 : row - 1;
    const QVariant nextKey = next >= 0 ? m_rows[next].key : QVariant();
    attempt(m_session.prompt, [&] {
        m_session.db();
        m_table->remove(doomed.key);
    });
    reload(nextKey);
}

void RecordScreen::leave()
{
    if (m_state != State::Browsing)
        return;
    QDialog::accept();
}

void RecordScreen::reject()
{
    if (!m_description.closable || m_state != State::Browsing)
        return;
    QDialog::reject();
}
