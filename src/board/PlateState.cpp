#include "PlateState.h"

namespace PlateState {

std::optional<Icon> knownIcon(QStringView state)
{
    if (state == QStringView(Free))
        return FreeIcon;
    if (state == QStringView(Occupied))
        return OccupiedIcon;
    if (state == QStringView(Reserved))
        return ReservedIcon;
    if (state == QStringView(Disabled))
        return DisabledIcon;
    return std::nullopt;
}

Icon iconOf(QStringView state)
{
    return knownIcon(state).value_or(FreeIcon);
}

QString textOf(Icon icon)
{
    switch (icon) {
    case OccupiedIcon:
        return QString::fromUtf16(Occupied);
    case ReservedIcon:
        return QString::fromUtf16(Reserved);
    case DisabledIcon:
        return QString::fromUtf16(Disabled);
    case FreeIcon:
        break;
    }
    return QString::fromUtf16(Free);
}

} // namespace PlateState
