#include "TMemBerTypeFm.h"

using namespace Qt::StringLiterals;

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
            {.column = u"打折率"_s, .caption = u"打折率"_s, .kind = Kind::Number,
             .twoDecimals = true},
        },
    };
    screen.buttons = {Action::Add, Action::Save, Action::Delete, Action::Cancel, Action::Exit};
    screen.exitCaption = u"退出"_s;
    screen.nameColumn = u"类型名称"_s;
    screen.editByTyping = true;
    screen.closable = false;
    return screen;
}

TMemBerTypeFm::TMemBerTypeFm(Session &session, QWidget *parent)
    : RecordScreen(session, describe(), parent)
{
}
