#pragma once

#include <QString>

class Database;
class IniFile;

// What the installer puts in place for a new shop.
namespace StarterShop {

// Writes the settings a new installation starts from. Returns false and
// leaves the file alone when it already exists.
bool writeDefaultIni(const QString &path);

// Seeds a starter shop when the database holds no operator, room or plate.
// Returns false when there was something already; changes nothing then.
bool seed(Database &database);

} // namespace StarterShop
