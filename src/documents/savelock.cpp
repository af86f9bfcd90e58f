#include "savelock.h"

#include "connection.h"
#include "lockwait.h"
#include "posting.h"

#include <QElapsedTimer>
#include <atomic>
#include <optional>

using namespace Qt::StringLiterals;

namespace posting {

namespace {

constexpr int kLockWaitTimeout = 1205; // ER_LOCK_WAIT_TIMEOUT, also what NOWAIT answers
std::atomic<int> timeoutSeconds { 60 };

const QString waitText = u"Čekám, až jiná stanice dokončí zápis…"_s;

void quietly(Connection &c, const QString &sql) noexcept
{
    try {
        c.execute(sql);
    } catch (const std::exception &) {
        // A broken connection releases its locks and rolls back on the server.
    }
}

} // namespace

int lockTimeoutSeconds()
{
    return timeoutSeconds;
}

void setLockTimeoutSeconds(int seconds)
{
    timeoutSeconds = seconds;
}

QString lockRowSelect(int waitSeconds)
{
    return u"SELECT n FROM pelmixi_zamek WHERE nazev = 'zapis' FOR UPDATE "_s
        + (waitSeconds > 0 ? u"WAIT "_s + QString::number(waitSeconds) : u"NOWAIT"_s);
}

QString lockRowUpdate()
{
    return u"UPDATE pelmixi_zamek SET n = n + 1 WHERE nazev = 'zapis'"_s;
}

ExclusiveSection::ExclusiveSection(Connection &connection)
    : m_connection(connection)
{
}

bool ExclusiveSection::acquire()
{
    m_cluster = m_connection.openAndCheckCluster();
    const int timeout = lockTimeoutSeconds();
    QElapsedTimer waited;
    waited.start();
    std::optional<lockwait::Scope> wait;

    // In the program's window a lock held elsewhere is waited for in short tries, between which
    // the window keeps painting; elsewhere the server does the waiting.
    const bool polling = lockwait::canWaitWithEvents();
    int tries = 0;
    auto pause = [&] {
        if (!wait)
            wait.emplace(waitText);
        wait->pause(lockwait::pollPause(tries++));
    };
    if (!m_cluster) {
        for (;;) {
            const QVariant answer = m_connection.scalar(lockStatement(polling ? 0 : timeout));
            m_named = !answer.isNull() && answer.toLongLong() == 1;
            if (m_named || !polling || waited.elapsed() >= qint64(timeout) * 1000)
                return m_named;
            pause();
        }
    }

    // A database of the suite that has never seen a cluster save gets its lock row here (outside
    // the save's transaction: DDL would commit it).
    m_connection.execute(lockwait::lockRowTable());
    m_connection.execute(u"INSERT IGNORE INTO pelmixi_zamek (nazev, n) VALUES ('zapis', 0)"_s);
    m_connection.execute(u"SET SESSION wsrep_sync_wait = 1"_s);
    m_connection.execute(u"START TRANSACTION"_s);
    m_transaction = true;
    for (;;) {
        try {
            m_connection.query(lockRowSelect(polling ? 0 : timeout));
            break;
        } catch (const DbError &e) {
            // A save on this node holds the row; saves on other nodes meet at certification.
            if (e.code() != kLockWaitTimeout)
                throw;
            if (!polling || waited.elapsed() >= qint64(timeout) * 1000)
                return false;
            pause();
        }
    }
    m_connection.execute(lockRowUpdate());
    return true;
}

void ExclusiveSection::lockTables(const QString &statement)
{
    if (m_cluster)
        return;
    m_tables = true;
    m_connection.execute(statement);
}

void ExclusiveSection::unlockTables()
{
    if (m_cluster) {
        m_transaction = false; // committed by the script
        return;
    }
    m_tables = false;
    m_connection.execute(u"UNLOCK TABLES"_s);
}

QString ExclusiveSection::script(const QString &text) const
{
    if (!m_cluster)
        return text;
    static const QString begin = u"BEGIN;\n"_s;
    return text.startsWith(begin) ? text.mid(begin.size()) : text;
}

void ExclusiveSection::release() noexcept
{
    if (!m_connection.isOpen()) {
        m_named = m_tables = m_transaction = false;
        return;
    }
    if (m_cluster) {
        if (m_transaction) {
            m_transaction = false;
            quietly(m_connection, u"ROLLBACK"_s);
        }
        m_cluster = false;
        quietly(m_connection, u"SET SESSION wsrep_sync_wait = 0"_s);
        return;
    }
    if (m_tables) {
        m_tables = false;
        quietly(m_connection, u"UNLOCK TABLES"_s);
    }
    if (m_named) {
        m_named = false;
        quietly(m_connection, unlockStatement());
    }
}

} // namespace posting
