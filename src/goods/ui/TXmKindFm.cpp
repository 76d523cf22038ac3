#include "TXmKindFm.h"

using namespace Qt::StringLiterals;

RecordScreenDescription TXmKindFm::describe()
{
    using Kind = RecordField::Kind;
    using Action = RecordScreenDescription::Action;
    RecordScreenDescription screen;
    screen.title = u"商品类型"_s;
    screen.table = RecordTableDescription{
        .table = u"商品类型"_s,
        .keyColumn = u"名称"_s,
        .orderBy = u"名称"_s,
        .fields = {
            {.column = u"名称"_s, .caption = u"名称"_s},
            {.column = u"库存"_s, .caption = u"是否有库存属性"_s, .kind = Kind::YesNo,
             .initial = false},
            {.column = u"是否需要服务"_s, .caption = u"是否需要服务"_s, .kind = Kind::YesNo,
             .initial = false},
            {.column = u"参与打折"_s, .caption = u"参与打折"_s, .kind = Kind::Choice,
             .choices = {u"y"_s, u"n"_s}, .initial = u"n"_s},
        },
        .uniqueColumns = {u"名称"_s},
        .duplicateText = u"错误:请检查是否有重名记录!"_s,
        .writeGuard = Guarded::GoodsTypes,
    };
    screen.buttons = {Action::Add, Action::Change, Action::Delete, Action::Save, Action::Cancel,
                    Action::Exit};
    screen.gridColumns = {u"名称"_s, u"库存"_s, u"参与打折"_s, u"是否需要服务"_s};
    screen.notes = {
        u"解释1: 选y 就是这类商品在结帐时参与打折,选n就是结帐时不参与打折"_s,
        u"解释2: 选上需要服务后 在该类商品消费时就要选服务人员"_s,
        u"解释3: 有\"库存\"的商品会在消费时减去相应的数量"_s,
    };
    screen.nameColumn = u"名称"_s;
    // Without a discount choice the type is not saved, and nothing is said.
    screen.check = [](const RecordEntry &entry) {
        return entry.text(u"参与打折"_s).isEmpty() ? SaveCheck::stop() : SaveCheck::proceed();
    };
    return screen;
}

TXmKindFm::TXmKindFm(Session &session, QWidget *parent)
    : RecordScreen(session, describe(), parent)
{
}
