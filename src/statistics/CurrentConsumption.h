#pragma once

#include "lists/ListDescription.h"
#include "lists/ListFilter.h"

#include <QString>
#include <QStringList>

class Database;

// 消费查询: the occupied plates and the open lines of one plate or of a
// plate group.
namespace CurrentConsumption {

// The plates in use, in the order they were set up.
QStringList occupiedPlates(Database &database);

ListDescription lines();
// The lines booked on the plate itself.
ListFilter ofPlate(const QString &plate);
// The lines of the group whose main plate it is.
ListFilter ofGroup(const QString &mainPlate);

} // namespace CurrentConsumption
