#include "BoardStatusPanel.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

const QStringList DetailCaptions{u"当前状态:"_s, u"计费标准:"_s, u"进店时间:"_s,
                                 u"已用时间:"_s, u"已交押金:"_s, u"消费金额:"_s};
const QStringList CountCaptions{u"号牌总数"_s, u"当前占用"_s, u"当前空闲"_s, u"当前预定"_s,
                                u"当前停用"_s};

} // namespace

BoardStatusPanel::BoardStatusPanel(QWidget *parent)
    : QWidget(parent)
{
    setFixedWidth(250);
    auto *panelLayout = new QVBoxLayout(this);
    panelLayout->setContentsMargins(6, 0, 0, 0);

    auto valueField = [this](const QString &caption) {
        auto *field = new QLineEdit(this);
        field->setReadOnly(true);
        field->setFocusPolicy(Qt::NoFocus);
        m_fields.insert(caption, field);
        return field;
    };

    auto *clockGroup = new QGroupBox(this);
    auto *clockLayout = new QFormLayout(clockGroup);
    auto *clock = new QLabel(this);
    m_fields.insert(u"时间:"_s, clock);
    clockLayout->addRow(u"时间:"_s, clock);
    panelLayout->addWidget(clockGroup);

    auto *plateGroup = new QGroupBox(this);
    auto *plateLayout = new QFormLayout(plateGroup);
    plateLayout->addRow(u"号牌:"_s, valueField(u"号牌:"_s));
    for (const QString &caption : DetailCaptions)
        plateLayout->addRow(caption, valueField(caption));
    panelLayout->addWidget(plateGroup);

    auto *countGroup = new QGroupBox(u"总状态"_s, this);
    auto *countLayout = new QFormLayout(countGroup);
    for (const QString &caption : CountCaptions) {
        auto *count = new QLabel(u"0"_s, this);
        m_fields.insert(caption, count);
        countLayout->addRow(caption, count);
    }
    panelLayout->addWidget(countGroup);

    auto *findGroup = new QGroupBox(this);
    auto *findLayout = new QVBoxLayout(findGroup);
    findLayout->addWidget(new QLabel(u"快速查找号牌  快捷键F3"_s, this));
    m_find = new QLineEdit(this);
    findLayout->addWidget(m_find);
    panelLayout->addWidget(findGroup);
    panelLayout->addStretch(1);
}

QString BoardStatusPanel::fieldText(const QString &caption) const
{
    QWidget *field = m_fields.value(caption);
    if (auto *edit = qobject_cast<QLineEdit *>(field))
        return edit->text();
    if (auto *label = qobject_cast<QLabel *>(field))
        return label->text();
    return {};
}

void BoardStatusPanel::setField(const QString &caption, const QString &text)
{
    QWidget *field = m_fields.value(caption);
    if (auto *edit = qobject_cast<QLineEdit *>(field)) {
        edit->setText(text);
        edit->setCursorPosition(0);
    } else if (auto *label = qobject_cast<QLabel *>(field)) {
        label->setText(text);
    }
}

void BoardStatusPanel::showCounts(const PlateBoard::Counts &counts)
{
    const std::pair<QString, int> values[] = {
        {u"号牌总数"_s, counts.total},    {u"当前占用"_s, counts.occupied},
        {u"当前空闲"_s, counts.free},     {u"当前预定"_s, counts.reserved},
        {u"当前停用"_s, counts.disabled},
    };
    for (const auto &[caption, value] : values)
        setField(caption, QString::number(value));
}

void BoardStatusPanel::showDetails(const PlateBoard::Details &details)
{
    const QString values[] = {details.state,   details.billing, details.entryTime,
                              details.elapsed, details.deposit, details.amount};
    for (int index = 0; index < DetailCaptions.size(); ++index)
        setField(DetailCaptions.at(index), values[index]);
}

void BoardStatusPanel::clearPlate()
{
    setField(u"号牌:"_s, QString());
    m_find->clear();
    for (const QString &caption : DetailCaptions)
        setField(caption, QString());
}

void BoardStatusPanel::focusFind()
{
    m_find->setFocus(Qt::ShortcutFocusReason);
    m_find->selectAll();
}
