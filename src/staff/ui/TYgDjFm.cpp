#include "TYgDjFm.h"

using namespace Qt::StringLiterals;

RecordScreenDescription TYgDjFm::describe()
{
    using Kind = RecordField::Kind;
    using Action = RecordScreenDescription::Action;
    RecordScreenDescription screen;
    screen.title = u"员工等级"_s;
    screen.table = RecordTableDescription{
        .table = u"员工等级"_s,
        .keyColumn = u"等级编号"_s,
        .orderBy = u"等级编号"_s,
        .fields = {
            {.column = u"等级名称"_s, .caption = u"等级名称"_s},
            {.column = u"工资"_s, .caption = u"工资"_s, .kind = Kind::Money},
        },
        .uniqueColumns = {u"等级名称"_s},
        .duplicateText = u"错误:请检查是否有重名记录!"_s,
        .writeGuard = Guarded::EmployeeLevels,
    };
    screen.buttons = {Action::Add, Action::Change, Action::Delete, Action::Save, Action::Cancel,
                    Action::Exit};
    screen.nameColumn = u"等级名称"_s;
    // Either half alone is a level; only a row with neither is refused.
    screen.check = [](const RecordEntry &entry) {
        if (entry.text(u"等级名称"_s).isEmpty() && entry.text(u"工资"_s).isEmpty())
            return SaveCheck::stop(u"不能为空!"_s);
        return SaveCheck::proceed();
    };
    return screen;
}

TYgDjFm::TYgDjFm(Session &session, QWidget *parent)
    : RecordScreen(session, describe(), parent)
{
}
