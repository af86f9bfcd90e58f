#include "archive.h"

#include "connection.h"
#include "lockwait.h"
#include "sqltext.h"

#include <QElapsedTimer>
#include <algorithm>
#include <QRandomGenerator>
#include <optional>

namespace pelmixi::printing {

namespace {

constexpr int kDeadlock = 1213; // ER_LOCK_DEADLOCK
constexpr int kLockWaitTimeout = 1205; // ER_LOCK_WAIT_TIMEOUT
constexpr int kNotPrimary = 1047; // ER_UNKNOWN_COM_ERROR: a cluster node outside the primary part
constexpr int kAttempts = 3;
constexpr int kClusterAttempts = 6;

// The archive shows its own busy window already.
const QString waitText;

QString kindText(ReportKind kind)
{
    return QString::number(int(kind));
}

// Statements run after a failure must not hide the first error.
void quietly(Connection &connection, const QString &sql)
{
    try {
        connection.execute(sql);
    } catch (const std::exception &) {
    }
}

} // namespace

QString archiveDescription(ReportKind kind)
{
    return kind == ReportKind::MixingProtocol ? QStringLiteral("míchací protokol krmné směsi")
                                              : QStringLiteral("kalkulace krmné směsi");
}

bool looksLikePdf(const QByteArray &bytes)
{
    return bytes.startsWith("%PDF");
}

QString archiveLockName(ReportKind kind, const QString &documentNumber)
{
    return QStringLiteral("pelmixi.doklady.") + kindText(kind) + QLatin1Char('.') + documentNumber;
}

ArchiveResult archivePdf(Connection &connection, const ArchiveRequest &request)
{
    ArchiveResult result;
    if (!looksLikePdf(request.pdf)) {
        result.error = QStringLiteral("Soubor k archivaci není PDF.");
        return result;
    }
    const QString lock = sqlQuote(archiveLockName(request.kind, request.documentNumber));
    bool locked = false;
    bool inTransaction = false;
    try {
        const bool cluster = connection.openAndCheckCluster();
        QElapsedTimer waited;
        waited.start();
        std::optional<lockwait::Scope> wait;
        auto timedOut = [&] { return waited.elapsed() >= qint64(qMax(0, request.lockTimeoutSeconds)) * 1000; };
        int tries = 0;
        auto pause = [&] {
            if (!wait)
                wait.emplace(waitText);
            wait->pause(lockwait::pollPause(tries++));
        };
        if (!cluster) {
            // Short tries, between which the window keeps painting.
            for (;;) {
                const QVariant got = connection.scalar(QStringLiteral("SELECT GET_LOCK(") + lock + QStringLiteral(", 0)"));
                if (!got.isNull() && got.toLongLong() == 1)
                    break;
                if (timedOut()) {
                    result.error = QStringLiteral("Archiv dokladu právě zapisuje jiná stanice.");
                    return result;
                }
                pause();
            }
            locked = true;
        } else {
            // Named locks do not reach the other nodes: a lock row written in the archive's
            // transaction does, and of two archives on two nodes only one passes certification.
            connection.execute(lockwait::lockRowTable());
            connection.execute(QStringLiteral("INSERT IGNORE INTO pelmixi_zamek (nazev, n) VALUES (") + lock
                + QStringLiteral(", 0)"));
        }

        // Hex digits only: nothing of the file can end the literal.
        const QString content = QStringLiteral("X'") + QString::fromLatin1(request.pdf.toHex()) + QLatin1Char('\'');
        const QString remove = QStringLiteral("delete from doklady\n where typ = ") + kindText(request.kind)
            + QStringLiteral(" and cislodokladu = ") + sqlQuote(request.documentNumber);
        const QString insert
            = QStringLiteral("insert into doklady (typ, cislodokladu, objednavka, popis, obsah)\n values (")
            + kindText(request.kind) + QStringLiteral(", ") + sqlQuote(request.documentNumber) + QStringLiteral(", ")
            + sqlQuote(request.orderNumber) + QStringLiteral(", ") + sqlQuote(archiveDescription(request.kind))
            + QStringLiteral(", ") + content + QLatin1Char(')');
        for (int attempt = 1;; ++attempt) {
            try {
                // The lock already keeps this document's rows to one workstation; without gap
                // locks, archives of other documents do not block or deadlock each other.
                connection.execute(QStringLiteral("SET TRANSACTION ISOLATION LEVEL READ COMMITTED"));
                connection.execute(QStringLiteral("BEGIN"));
                inTransaction = true;
                if (cluster) {
                    const QString row = QStringLiteral(" FROM pelmixi_zamek WHERE nazev = ") + lock;
                    for (;;) {
                        try {
                            connection.query(QStringLiteral("SELECT n") + row + QStringLiteral(" FOR UPDATE NOWAIT"));
                            break;
                        } catch (const DbError &e) {
                            if (e.code() != kLockWaitTimeout)
                                throw;
                            if (timedOut()) {
                                quietly(connection, QStringLiteral("ROLLBACK"));
                                inTransaction = false;
                                result.error = QStringLiteral("Archiv dokladu právě zapisuje jiná stanice.");
                                return result;
                            }
                            pause();
                        }
                    }
                    connection.execute(QStringLiteral("UPDATE pelmixi_zamek SET n = n + 1 WHERE nazev = ") + lock);
                }
                connection.execute(remove);
                connection.execute(insert);
                connection.execute(QStringLiteral("COMMIT"));
                inTransaction = false;
                break;
            } catch (const DbError &e) {
                // A deadlock or lock wait rolls the transaction back; it is safe to run it again.
                // On a cluster a conflict with another node's archive is rolled back the same way,
                // even at COMMIT, and is run again after a short random wait.
                const bool lost = cluster && (e.code() == 2006 || e.code() == 2013)
                    && !e.statement().startsWith(QLatin1String("COMMIT"));
                const bool transient = e.code() == kDeadlock || e.code() == kLockWaitTimeout
                    || (cluster && e.code() == kNotPrimary) || lost;
                if (!transient || attempt >= (cluster ? kClusterAttempts : kAttempts))
                    throw;
                quietly(connection, QStringLiteral("ROLLBACK"));
                inTransaction = false;
                if (cluster) {
                    if (!wait)
                        wait.emplace(waitText);
                    wait->pause(10 + int(QRandomGenerator::global()->bounded(40 << std::min(attempt, 5))));
                }
            }
        }
        result.ok = true;
    } catch (const DbError &e) {
        result.error = e.message();
    } catch (const std::exception &e) {
        result.error = QString::fromLocal8Bit(e.what());
    }
    if (inTransaction && connection.isOpen())
        quietly(connection, QStringLiteral("ROLLBACK"));
    if (locked && connection.isOpen())
        quietly(connection, QStringLiteral("SELECT RELEASE_LOCK(") + lock + QLatin1Char(')'));
    return result;
}

} // namespace pelmixi::printing
