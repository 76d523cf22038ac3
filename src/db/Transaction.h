#pragma once

#include "Database.h"

// One operation, one transaction: it says at its start whether it writes
// (the default; SQLite takes its write lock then) or only reads one
// snapshot (Transaction::Read). commit() makes it count; leaving the
// scope without commit(), by an exception or a return, rolls it back.
// A nested Transaction is a savepoint inside the outer one; when it is
// rolled back, the outer commit() throws DbError and nothing is kept (see
// Database::begin), unless it was rolled back with rollbackAndContinue().
class Transaction
{
public:
    using Access = Database::Access;
    static constexpr Access Read = Access::Read;
    static constexpr Access Write = Access::Write;

    // Throws DbError when the transaction cannot be started.
    explicit Transaction(Database &database, Access access = Access::Write);
    // Rolls back unless committed; never throws.
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

    // Throws DbError when the commit fails or when an inner level was
    // rolled back; everything is rolled back then.
    void commit();
    // For a nested Transaction only: takes this level's work back and lets
    // the enclosing transaction go on to commit the rest, as though this
    // level had never begun (Database::rollbackSavepoint). Throws DbError
    // for the outermost level and when this level has already ended (a
    // lost connection ends them all; nothing is committed then).
    void rollbackAndContinue();

private:
    Database &m_database;
    // The database's transaction depth while this one is the innermost.
    int m_level = 0;
    bool m_done = false;
};
