#include "archive.h"

#include "connection.h"
#include "sqltext.h"

namespace pelmixi::printing {

namespace {

constexpr int kDeadlock = 1213; // ER_LOCK_DEADLOCK
constexpr int kLockWaitTimeout = 1205; // ER_LOCK_WAIT_TIMEOUT
constexpr int kAttempts = 3;

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
        const QVariant got = connection.scalar(QStringLiteral("SELECT GET_LOCK(") + lock + QStringLiteral(", ")
            + QString::number(qMax(0, request.lockTimeoutSeconds)) + QLatin1Char(')'));
        if (got.isNull() || got.toLongLong() != 1) {
            result.error = QStringLiteral("Archiv dokladu právě zapisuje jiná stanice.");
            return result;
        }
        locked = true;

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
                // The named lock already keeps this document's rows to one workstation; without gap
                // locks, archives of other documents do not block or deadlock each other.
                connection.execute(QStringLiteral("SET TRANSACTION ISOLATION LEVEL READ COMMITTED"));
                connection.execute(QStringLiteral("BEGIN"));
                inTransaction = true;
                connection.execute(remove);
                connection.execute(insert);
                connection.execute(QStringLiteral("COMMIT"));
                inTransaction = false;
                break;
            } catch (const DbError &e) {
                // A deadlock or lock wait rolls the transaction back; it is safe to run it again.
                const bool transient = e.code() == kDeadlock || e.code() == kLockWaitTimeout;
                if (!transient || attempt >= kAttempts)
                    throw;
                quietly(connection, QStringLiteral("ROLLBACK"));
                inTransaction = false;
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
