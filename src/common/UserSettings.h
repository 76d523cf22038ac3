#pragma once

#include <QSettings>

// What the program keeps for the operating-system user at this workstation
// (the last export folder, where each window was left): Qt's settings in
// the user's configuration folder, ~/.config/SalonDesk/salondesk.conf. The
// shop's own settings stay in system.ini beside the program.
inline QSettings userSettings()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("SalonDesk"),
                     QStringLiteral("salondesk"));
}
