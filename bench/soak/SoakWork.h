#pragma once

#include "SoakTally.h"

#include "db/ConnectionSettings.h"

#include <QMutex>

#include <atomic>

class Database;

// The work of one soak run, shared by the threads of a process: desks
// serve visits until the run's visits are claimed, the office works until
// every desk has stopped. Each thread opens a connection of its own.
class SoakWork
{
public:
    SoakWork(ConnectionSettings settings, int visits);

    // Serves visits on the desk's own plates.
    void runDesk(int desk);
    // Recharges, pays salaries and reverses recent bills until the desks stop.
    void runOffice();

    SoakTally tally() const;

private:
    bool claimVisit();
    void record(const SoakTally &part);

    ConnectionSettings m_settings;
    std::atomic<int> m_visitsLeft;
    std::atomic<int> m_desksWorking{0};
    std::atomic<bool> m_desksStarted{false};
    mutable QMutex m_mutex;
    SoakTally m_tally;
};
