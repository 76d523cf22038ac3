#pragma once

#include <QString>

#include <optional>

// The four plate states as 号牌管理.号牌状态 holds them, and the icon the
// board draws for each. A text that is none of the four shows as free.
namespace PlateState {

inline constexpr auto Free = u"可用";
inline constexpr auto Occupied = u"占用";
inline constexpr auto Reserved = u"预定";
inline constexpr auto Disabled = u"停用";

// The icon index an item of the plate list carries; the toolbar and the
// pop-up menu decide by it.
enum Icon : int { FreeIcon = 0, OccupiedIcon = 1, ReservedIcon = 2, DisabledIcon = 3 };

// Unknown and empty texts get the free icon.
Icon iconOf(QStringView state);
// The icon of one of the four texts; nothing for any other text.
std::optional<Icon> knownIcon(QStringView state);
// "可用", "占用", "预定" or "停用".
QString textOf(Icon icon);

} // namespace PlateState
