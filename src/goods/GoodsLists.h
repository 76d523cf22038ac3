#pragma once

#include "lists/ListDescription.h"

// The lists of goods the windows show, with their search bars.
namespace GoodsLists {

// 商品项目管理: the catalogue by name, searched for a part of the name.
ListDescription catalogue();
// 进货表统计: the stock purchases, searched by whole name and by day.
ListDescription purchases();

} // namespace GoodsLists
