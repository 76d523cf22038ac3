#pragma once

#include "Changes.h"

#include <QObject>

class Database;
class QTimer;

// What the windows of this workstation follow instead of polling: the
// changes this program committed, handed on by the database once they have
// committed, and those of the other workstations. On PostgreSQL those come
// as the server's notifications (Database::setOthersListener); on the
// embedded file a cheap check of PRAGMA data_version, which moves when
// another connection has committed, says that something changed. A slow
// safety net announces everything now and then, for a notification lost
// with a dropped connection or a write that announced nothing.
//
// Everything heard within one turn of the event loop comes out as one
// changed() signal, so that a burst costs one reload. One feed per
// database, created after it and destroyed before it.
class ChangeFeed : public QObject
{
    Q_OBJECT

public:
    // How often the embedded file is checked, and how often the net fires.
    static constexpr int VersionCheckInterval = 100;
    static constexpr int SafetyNetInterval = 30000;

    explicit ChangeFeed(Database &database, QObject *parent = nullptr);
    ~ChangeFeed() override;

    // Whether the server took this workstation's LISTEN (always true on
    // SQLite); without it only the safety net brings others' changes.
    bool hearsOthers() const { return m_hearsOthers; }
    QTimer *versionCheck() const { return m_versionCheck; }
    QTimer *safetyNet() const { return m_safetyNet; }

signals:
    void changed(Changes changes);

public slots:
    // The embedded file's check: announces everything when another
    // connection has committed since the last check.
    void checkDataVersion();

private:
    void hear(Changes changes);
    void handOn();

    Database &m_database;
    QTimer *m_versionCheck = nullptr;
    QTimer *m_safetyNet = nullptr;
    Changes m_heard;
    bool m_handingOn = false;
    bool m_hearsOthers = true;
    // The file's data_version at the last check; -1 before the first.
    qint64 m_dataVersion = -1;
};
