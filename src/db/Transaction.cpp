#include "Transaction.h"

#include "Database.h"
#include "DbError.h"

using namespace Qt::StringLiterals;

Transaction::Transaction(Database &database, Access access)
    : m_database(database)
{
    m_database.begin(access);
    m_level = m_database.transactionDepth();
}

Transaction::~Transaction()
{
    // A lost connection may already have ended every level; then there is
    // nothing of this one left to take back.
    if (m_done || m_database.transactionDepth() != m_level)
        return;
    try {
        m_database.rollback();
    } catch (...) {
        // Rolling back from a destructor must not end the program; the
        // server drops an unfinished transaction with its connection.
    }
}

void Transaction::commit()
{
    if (m_done)
        throw DbError(u"事务已经结束，不能再次提交。"_s);
    m_done = true;
    if (m_database.transactionDepth() != m_level) {
        // Either an inner level is still open or a lost connection already
        // ended everything; in both cases this level cannot be kept.
        while (m_database.inTransaction() && m_database.transactionDepth() >= m_level)
            m_database.rollback();
        throw DbError(u"操作未完成，已全部撤销。"_s);
    }
    m_database.commit();
}

void Transaction::rollbackAndContinue()
{
    if (m_done)
        throw DbError(u"事务已经结束，不能再撤销。"_s);
    if (m_level < 2)
        throw DbError(u"没有可以撤销的内层事务。"_s);
    m_done = true;
    // Levels this one began and left open go first.
    while (m_database.transactionDepth() > m_level)
        m_database.rollback();
    if (m_database.transactionDepth() != m_level)
        throw DbError(u"操作未完成，已全部撤销。"_s);
    m_database.rollbackSavepoint();
}
