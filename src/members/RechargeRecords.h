#pragma once

#include "lists/ListDescription.h"
#include "lists/ListFilter.h"

#include <QString>

#include <optional>

// The list of recharges (会员充值) and what its "查询" asks for.
namespace RechargeRecords {

// Every recharge, as MemberCards lists them, with the bar of 充值记录查询.
ListDescription list();

// One column equal to the value with its outer blanks removed, and the
// recharge date range when one is chosen. Without a value the range alone
// is searched; without either, or with a value but no column, it refuses
// with "请输入查询条件!". The column is checked when the list is read.
ListFilter search(const QString &field, const QString &value,
                  const std::optional<ListFilter::Range> &period = std::nullopt);

} // namespace RechargeRecords
