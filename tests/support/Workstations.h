#pragma once

#include "common/Refusal.h"
#include "db/DbError.h"

#include <QString>

#include <array>
#include <barrier>
#include <functional>
#include <thread>

// What one workstation's attempt came to.
struct Outcome
{
    enum Kind { Pending, Done, Refused, Failed } kind = Pending;
    QString text; // the refusal's or the database's words, or the bill number

    QString describe() const
    {
        static const char *const names[] = {"pending", "done", "refused", "failed"};
        return QString::fromLatin1(names[kind]) + QStringLiteral(": ") + text;
    }
};

// Two workstations at the same moment, each on a connection of its own.
// Runs `attempt` for workstations 0 and 1 in two threads; a Qt connection
// belongs to the thread that opened it, so each opens its own inside.
// `steps` is how many times each attempt meets the other at `meet()`; a
// workstation that fails before its last meeting leaves the others so the
// other is not left waiting for it.
class Workstations
{
public:
    explicit Workstations(int steps) : m_steps(steps) {}

    void meet(int station)
    {
        ++m_met[station];
        m_barrier.arrive_and_wait();
    }

    std::array<Outcome, 2> run(const std::function<QString(int station)> &attempt)
    {
        std::array<Outcome, 2> outcomes;
        auto body = [&](int station) {
            Outcome &outcome = outcomes[station];
            try {
                outcome.text = attempt(station);
                outcome.kind = Outcome::Done;
            } catch (const Refusal &refusal) {
                outcome = {Outcome::Refused, refusal.text()};
            } catch (const DbError &error) {
                outcome = {Outcome::Failed, error.text()};
            }
            if (m_met[station] < m_steps)
                m_barrier.arrive_and_drop();
        };
        std::thread first(body, 0);
        std::thread second(body, 1);
        first.join();
        second.join();
        return outcomes;
    }

private:
    int m_steps;
    std::array<int, 2> m_met{0, 0};
    std::barrier<> m_barrier{2};
};
