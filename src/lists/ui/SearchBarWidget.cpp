#include "SearchBarWidget.h"

#include "common/ui/ButtonRow.h"
#include "common/ui/DatePickers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimeEdit>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

SearchBarWidget::SearchBarWidget(SearchBar description, QDate today, QWidget *parent)
    : QWidget(parent)
    , m_description(std::move(description))
{
    auto *lines = new QVBoxLayout(this);
    lines->setContentsMargins(0, 4, 0, 0);
    auto *row = new QHBoxLayout;
    lines->addLayout(row);

    switch (m_description.layout) {
    case SearchBar::Layout::OneLine:
        if (m_description.rangeFirst)
            addRange(row);
        addField(row);
        if (!m_description.rangeFirst)
            addRange(row);
        addTickLists(row);
        addButtons(row);
        break;
    case SearchBar::Layout::ButtonsBelow: {
        if (m_description.rangeFirst)
            addRange(row);
        addField(row);
        if (!m_description.rangeFirst)
            addRange(row);
        addTickLists(row);
        auto *below = new QHBoxLayout;
        lines->addLayout(below);
        addButtons(below);
        break;
    }
    case SearchBar::Layout::RangeBelow: {
        addField(row);
        addButtons(row);
        auto *below = new QHBoxLayout;
        lines->addLayout(below);
        addRange(below);
        addTickLists(below);
        below->addStretch(1);
        break;
    }
    }
    reset(today);
}

void SearchBarWidget::addField(QHBoxLayout *row)
{
    const SearchBar &bar = m_description;
    if (bar.fields.isEmpty())
        return;
    if (!bar.lead.isEmpty())
        row->addWidget(new QLabel(bar.lead, this));
    if (bar.fields.size() == 1 && !bar.anyColumn) {
        if (bar.lead.isEmpty())
            row->addWidget(new QLabel(bar.fields.first().caption, this));
    } else {
        m_field = new QComboBox(this);
        m_field->setEditable(bar.anyColumn);
        m_field->setInsertPolicy(QComboBox::NoInsert);
        for (const SearchBar::Field &field : bar.fields)
            m_field->addItem(field.caption);
        row->addWidget(m_field);
    }
    if (!bar.matchLabel.isEmpty())
        row->addWidget(new QLabel(bar.matchLabel, this));
    m_value = new QLineEdit(this);
    m_value->setMinimumWidth(160);
    m_value->installEventFilter(this);
    row->addWidget(m_value, 1);
}

void SearchBarWidget::addRange(QHBoxLayout *row)
{
    if (!m_description.range)
        return;
    const SearchBar::Range &range = *m_description.range;
    if (!range.tick.isEmpty())
        m_rangeTick = new QCheckBox(range.tick, this);
    if (range.firstLabel.isEmpty() && m_rangeTick)
        row->addWidget(m_rangeTick);
    else
        row->addWidget(new QLabel(range.firstLabel, this));
    m_firstDate = DatePickers::date(this);
    row->addWidget(m_firstDate);
    if (range.withTimes) {
        m_firstTime = DatePickers::time(this, range.firstTime);
        row->addWidget(m_firstTime);
    }
    row->addWidget(new QLabel(range.lastLabel, this));
    m_lastDate = DatePickers::date(this);
    row->addWidget(m_lastDate);
    if (range.withTimes) {
        m_lastTime = DatePickers::time(this, range.lastTime);
        row->addWidget(m_lastTime);
    }
    if (!range.firstLabel.isEmpty() && m_rangeTick)
        row->addWidget(m_rangeTick);
    if (range.withTimes && !range.timeTick.isEmpty()) {
        m_timeTick = new QCheckBox(range.timeTick, this);
        row->addWidget(m_timeTick);
    }
    for (QCheckBox *tick : {m_rangeTick, m_timeTick}) {
        if (tick)
            connect(tick, &QCheckBox::toggled, this, &SearchBarWidget::enableBoxes);
    }
}

void SearchBarWidget::addTickLists(QHBoxLayout *row)
{
    for (const SearchBar::TickList &list : m_description.tickLists) {
        auto *tick = new QCheckBox(list.caption, this);
        auto *choice = new QComboBox(this);
        choice->addItems(list.choices);
        connect(tick, &QCheckBox::toggled, this, &SearchBarWidget::enableBoxes);
        row->addWidget(tick);
        row->addWidget(choice);
        m_ticks.append(tick);
        m_choices.append(choice);
    }
}

void SearchBarWidget::addButtons(QHBoxLayout *row)
{
    for (const SearchBar::Button &described : m_description.buttons) {
        QPushButton *button = addBarButton(row, this, described.caption,
                                           described.id == QStringView(SearchBar::Search));
        connect(button, &QPushButton::clicked, this, [this, id = described.id] { emit pressed(id); });
        m_buttons.append(button);
    }
    m_buttonLine = row;
    if (m_description.layout != SearchBar::Layout::RangeBelow)
        row->addStretch(1);
}

void SearchBarWidget::addBesideButtons(QWidget *widget)
{
    const int end = m_description.layout == SearchBar::Layout::RangeBelow
                        ? m_buttonLine->count()
                        : m_buttonLine->count() - 1;
    m_buttonLine->insertSpacing(end, 24);
    m_buttonLine->insertWidget(end + 1, widget);
}

QPushButton *SearchBarWidget::button(const QString &id) const
{
    for (qsizetype i = 0; i < m_buttons.size(); ++i) {
        if (m_description.buttons[i].id == id)
            return m_buttons[i];
    }
    return nullptr;
}

void SearchBarWidget::enableBoxes()
{
    const bool ranged = !m_rangeTick || m_rangeTick->isChecked();
    for (QWidget *box : {static_cast<QWidget *>(m_firstDate), static_cast<QWidget *>(m_lastDate),
                         static_cast<QWidget *>(m_timeTick)}) {
        if (box)
            box->setEnabled(ranged);
    }
    const bool timed = ranged && (!m_timeTick || m_timeTick->isChecked());
    for (QWidget *box : {static_cast<QWidget *>(m_firstTime), static_cast<QWidget *>(m_lastTime)}) {
        if (box)
            box->setEnabled(timed);
    }
    // A list counts exactly while its box is ticked.
    for (qsizetype i = 0; i < m_ticks.size(); ++i)
        m_choices[i]->setEnabled(m_ticks[i]->isChecked());
}

void SearchBarWidget::reset(QDate today)
{
    const SearchBar::Input input = m_description.defaults(today);
    if (m_field) {
        const int index = m_field->findText(input.field);
        m_field->setCurrentIndex(index);
        if (index < 0)
            m_field->setEditText(input.field);
    }
    if (m_value)
        m_value->clear();
    if (m_rangeTick)
        m_rangeTick->setChecked(m_description.range->ticked);
    if (m_timeTick)
        m_timeTick->setChecked(false);
    if (m_firstDate) {
        m_firstDate->setDate(input.first.date());
        m_lastDate->setDate(input.last.date());
    }
    if (m_firstTime) {
        m_firstTime->setTime(input.first.time());
        m_lastTime->setTime(input.last.time());
    }
    for (qsizetype i = 0; i < m_ticks.size(); ++i) {
        m_ticks[i]->setChecked(false);
        m_choices[i]->setCurrentIndex(0);
    }
    enableBoxes();
}

SearchBar::Input SearchBarWidget::input() const
{
    SearchBar::Input input;
    if (m_field)
        input.field = m_field->currentText();
    else if (!m_description.fields.isEmpty())
        input.field = m_description.fields.first().caption;
    if (m_value)
        input.value = m_value->text();
    input.ranged = !m_rangeTick || m_rangeTick->isChecked();
    input.timed = m_timeTick && m_timeTick->isChecked();
    if (m_firstDate) {
        input.first = QDateTime(m_firstDate->date(), m_firstTime ? m_firstTime->time() : QTime(0, 0));
        input.last = QDateTime(m_lastDate->date(), m_lastTime ? m_lastTime->time() : QTime(0, 0));
    }
    for (qsizetype i = 0; i < m_ticks.size(); ++i)
        input.ticks.append(m_ticks[i]->isChecked() ? m_choices[i]->currentText() : QString());
    return input;
}

bool SearchBarWidget::eventFilter(QObject *watched, QEvent *event)
{
    // Enter in the value box searches, whichever button the dialog holds
    // as its default, and only once.
    if (watched == m_value && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            emit pressed(QString::fromUtf16(SearchBar::Search));
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
