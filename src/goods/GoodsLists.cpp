#include "GoodsLists.h"

using namespace Qt::StringLiterals;

namespace GoodsLists {

ListDescription catalogue()
{
    using Footer = ListColumn::Footer;
    SearchBar bar;
    bar.fields = {{u"名称"_s, u"商品名"_s, ListFilter::Match::Contains}};
    bar.anyColumn = false;
    bar.value = SearchBar::Value::TrimmedOrNone;
    bar.incomplete = SearchBar::Incomplete::Ignored;
    bar.buttons = {{u"查找"_s, QString::fromUtf16(SearchBar::Search)}};
    bar.nothingFound = u"没有符合条件的记录!"_s;
    return {u"商品库"_s,
            u"select * from 商品库"_s,
            u"order by 商品名"_s,
            {{u"编号"_s, u"编号"_s},
             {u"名称"_s, u"商品名"_s, Footer::Count},
             {u"拼音"_s, u"拼音"_s},
             {u"单价"_s, u"单价"_s},
             {u"商品类型"_s, u"商品类型"_s},
             {u"库存"_s, u"库存"_s, Footer::Sum},
             {u"是否需要服务"_s, u"是否需要服务"_s}},
            {},
            bar};
}

ListDescription purchases()
{
    using Footer = ListColumn::Footer;
    SearchBar bar;
    bar.fields = {{u"名称"_s, u"商品名"_s, ListFilter::Match::Equals}};
    bar.anyColumn = false;
    bar.value = SearchBar::Value::TrimmedOrNone;
    bar.incomplete = SearchBar::Incomplete::Ignored;
    // Today and tomorrow, ticked.
    bar.range = SearchBar::Range{u"日期"_s, {0}, {1}, QString()};
    bar.range->tick = u"日期从"_s;
    bar.range->ticked = true;
    bar.buttons = {{u"查询"_s, QString::fromUtf16(SearchBar::Search)},
                   {u"关闭"_s, u"close"_s},
                   {u"打印"_s, u"print"_s},
                   {u"Excel"_s, u"excel"_s}};
    return {u"进货表"_s,
            u"select * from 进货表"_s,
            u"order by 日期, id"_s,
            {{u"id"_s, u"id"_s, Footer::Count},
             {u"商品名"_s, u"商品名"_s},
             {u"拼音"_s, u"拼音"_s},
             {u"进货单价"_s, u"进货单价"_s},
             {u"数量"_s, u"数量"_s, Footer::Sum},
             {u"总进价"_s, u"总进价"_s, Footer::Sum},
             {u"日期"_s, u"日期"_s},
             {u"管理员"_s, u"管理员"_s},
             {u"备注"_s, u"备注"_s}},
            {},
            bar};
}

} // namespace GoodsLists
