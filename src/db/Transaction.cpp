#include "Transaction.h"

#include "Database.h"

Transaction::Transaction(Database &database)
    : m_database(database)
{
    m_database.begin();
}

Transaction::~Transaction()
{
    if (!m_done)
        m_database.rollback();
}

void Transaction::commit()
{
    m_done = true;
    m_database.commit();
}
