#include "TMemBerTypeFm.h"

#include "common/Money.h"
#include "common/Refusal.h"

using namespace Qt::StringLiterals;

namespace {

const QString RateHint = u"（1 为原价，0.8 为八折）"_s;

} // namespace

SaveCheck TMemBerTypeFm::checkEntry(const RecordEntry &entry)
{
    if (entry.text(u"类型名称"_s).trimmed().isEmpty())
        return SaveCheck::stop(u"类型名称不能为空，请填写类型名称后再保存！"_s);
    // The checkout applies the rate to every discounted line: a missing rate
    // must never reach the table, where it would read as a price of 0.
    const QString rate = entry.text(u"打折率"_s).trimmed();
    if (rate.isEmpty())
        return SaveCheck::stop(u"打折率不能为空，请填写打折率"_s + RateHint + u"后再保存！"_s);
    try {
        const std::optional<Money> value = Money::parseEntry(rate);
        if (!value)
            return SaveCheck::stop(u"打折率 \""_s + rate + u"\" 不是有效的数字，请重新填写"_s + RateHint + u"！"_s);
        // A rate above 1 is a surcharge, and is left to the shop.
        if (*value < Money())
            return SaveCheck::stop(u"打折率不能小于 0，请重新填写"_s + RateHint + u"！"_s);
    } catch (const Refusal &refusal) {
        return SaveCheck::stop(refusal.text());
    }
    return SaveCheck::proceed();
}

RecordScreenDescription TMemBerTypeFm::describe()
{
    using Kind = RecordField::Kind;
    using Action = RecordScreenDescription::Action;
    RecordScreenDescription screen;
    screen.title = u"会员类型"_s;
    screen.table = RecordTableDescription{
        .table = u"会员类型"_s,
        .keyColumn = u"id"_s,
        .orderBy = u"id"_s,
        .fields = {
            {.column = u"类型名称"_s, .caption = u"类型名称"_s},
            {.column = u"初始积分"_s, .caption = u"初始积分"_s, .kind = Kind::Number},
            // A new type starts at full price, as the column's default.
            {.column = u"打折率"_s, .caption = u"打折率"_s, .kind = Kind::Number,
             .twoDecimals = true, .initial = u"1"_s},
        },
        // Members refer to their type by name, so a name names one type.
        .uniqueColumns = {u"类型名称"_s},
        .duplicateText = u"会员类型中已有同名的类型，请换一个类型名称后再保存！"_s,
        .uniqueByCheck = true,
    };
    screen.buttons = {Action::Add, Action::Save, Action::Delete, Action::Cancel, Action::Exit};
    screen.exitCaption = u"退出"_s;
    screen.nameColumn = u"类型名称"_s;
    screen.editByTyping = true;
    screen.closable = false;
    screen.check = &TMemBerTypeFm::checkEntry;
    return screen;
}

TMemBerTypeFm::TMemBerTypeFm(Session &session, QWidget *parent)
    : RecordScreen(session, describe(), parent)
{
}
