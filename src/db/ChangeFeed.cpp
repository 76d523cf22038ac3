#include "ChangeFeed.h"

#include "Database.h"

#include <QTimer>

#include <utility>

using namespace Qt::StringLiterals;

ChangeFeed::ChangeFeed(Database &database, QObject *parent)
    : QObject(parent)
    , m_database(database)
    , m_safetyNet(new QTimer(this))
{
    m_database.setCommittedListener([this](Changes changes) { hear(changes); });
    if (m_database.dialect().isPostgres()) {
        m_hearsOthers = m_database.setOthersListener([this](Changes changes) { hear(changes); });
    } else {
        m_versionCheck = new QTimer(this);
        m_versionCheck->setInterval(VersionCheckInterval);
        connect(m_versionCheck, &QTimer::timeout, this, &ChangeFeed::checkDataVersion);
        checkDataVersion();
        m_versionCheck->start();
    }
    m_safetyNet->setInterval(SafetyNetInterval);
    connect(m_safetyNet, &QTimer::timeout, this, [this] { hear(EveryChange); });
    m_safetyNet->start();
}

ChangeFeed::~ChangeFeed()
{
    m_database.setCommittedListener({});
    m_database.setOthersListener({});
}

void ChangeFeed::checkDataVersion()
{
    // A file closed for a restore stays closed; and a check that failed
    // inside a transaction would take the operation down with it.
    if (m_database.isClosed() || m_database.inTransaction())
        return;
    qint64 version = -1;
    try {
        version = m_database.scalar(u"pragma data_version"_s).toLongLong();
    } catch (const DbError &) {
        // A busy or vanished file: the next check tries again.
        return;
    }
    if (m_dataVersion >= 0 && version != m_dataVersion)
        hear(EveryChange);
    m_dataVersion = version;
}

void ChangeFeed::hear(Changes changes)
{
    m_heard |= changes;
    if (m_handingOn || !m_heard)
        return;
    m_handingOn = true;
    QMetaObject::invokeMethod(this, &ChangeFeed::handOn, Qt::QueuedConnection);
}

void ChangeFeed::handOn()
{
    m_handingOn = false;
    const Changes changes = std::exchange(m_heard, {});
    if (changes)
        emit changed(changes);
}
