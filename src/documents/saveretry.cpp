#include "saveretry.h"

#include "connection.h"
#include "lockwait.h"

#include <QRandomGenerator>
#include <algorithm>
#include <atomic>

using namespace Qt::StringLiterals;

namespace posting::saveretry {

namespace {
constexpr int kDeadlock = 1213; // ER_LOCK_DEADLOCK: also a failed certification
constexpr int kNotPrimary = 1047; // ER_UNKNOWN_COM_ERROR: the node left the cluster's primary part
constexpr int kServerGone = 2006; // CR_SERVER_GONE_ERROR
constexpr int kServerLost = 2013; // CR_SERVER_LOST
std::atomic<long long> retriesSoFar { 0 };

bool isCommit(const QString &statement)
{
    return statement.trimmed().startsWith(u"COMMIT"_s, Qt::CaseInsensitive);
}
} // namespace

bool isRetryable(const Connection &connection, const DbError &error)
{
    if (!connection.isCluster())
        return false;
    switch (error.code()) {
    case kDeadlock:
    case kNotPrimary:
        return true;
    case kServerGone:
    case kServerLost:
        // Lost during COMMIT the save may have gone through: that is not run again blindly.
        return !isCommit(error.statement());
    default:
        return false;
    }
}

QString exhaustedText()
{
    return u"Doklad nebyl zapsán: jiné stanice v clusteru zapisovaly současně.\nDoklad zůstává otevřený, zkuste jej prosím zapsat znovu."_s;
}

Attempts::Attempts(int maxRuns)
    : m_maxRuns(maxRuns)
{
}

bool Attempts::again()
{
    if (m_runs >= m_maxRuns)
        return false;
    ++m_runs;
    ++retriesSoFar;
    // Random, so that two colliding saves do not collide again at the same moment. The busy
    // window closes again before the next run, so no message of that run appears under it.
    lockwait::Scope wait(u"Zápis se střetl se zápisem jiné stanice, opakuji…"_s);
    const int ceiling = 20 * (1 << std::min(m_runs, 5));
    wait.pause(10 + int(QRandomGenerator::global()->bounded(ceiling)));
    return true;
}

long long totalRetries()
{
    return retriesSoFar;
}

} // namespace posting::saveretry
