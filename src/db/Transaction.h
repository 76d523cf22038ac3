#pragma once

class Database;

// One operation, one transaction: commit() makes it count; leaving the
// scope without commit(), by an exception or a return, rolls it back.
// Nested transactions join the outer one.
class Transaction
{
public:
    explicit Transaction(Database &database);
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

    void commit();

private:
    Database &m_database;
    bool m_done = false;
};
