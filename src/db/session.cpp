#include "session.h"

#include "connection.h"
#include "history.h"
#include "messages.h"

#include <QDateTime>
#include <QFile>

bool parsePort(const QString &text, int *port)
{
    bool ok = false;
    const int p = text.trimmed().toInt(&ok);
    if (!ok || p <= 0 || p > 65535)
        return false;
    *port = p;
    return true;
}

bool applyConnectionSettings(Connection &connection, const settings::ConnectionSettings &s)
{
    ConnectionParams p;
    p.host = s.host;
    p.user = s.user;
    p.password = s.password;
    p.database = s.database;
    if (!parsePort(s.sqlPort, &p.port)) {
        connection.setParams(p);
        messages::show(QStringLiteral("Port databáze v nastavení [LogON] SQLport není celé číslo: „%1“.").arg(s.sqlPort),
                       MessageIcon::Warning);
        return false;
    }
    connection.setParams(p);
    return true;
}

bool connectStep(Connection &connection, const settings::ConnectionSettings &s, const QString &moduleName,
                 const QString &costCentre)
{
    if (!applyConnectionSettings(connection, s))
        return false;
    const int sqlPort = connection.params().port;

    bool open = false;
    if (!s.openPort.trimmed().isEmpty()) {
        int openPort = 0;
        if (!parsePort(s.openPort, &openPort)) {
            messages::show(
                QStringLiteral("Port databáze v nastavení [LogON] OPENport není celé číslo: „%1“.").arg(s.openPort),
                MessageIcon::Warning);
        } else {
            connection.setPort(openPort);
            try {
                connection.open();
                open = true;
            } catch (const std::exception &) {
                // The alternative port is only a first try.
            }
            connection.setPort(sqlPort);
        }
    }
    if (!open) {
        try {
            connection.open();
        } catch (const std::exception &) {
            return false;
        }
    }

    // Opening ran the session statements (empty SQL mode, cp1250) already.
    const WorkstationIdentity identity = WorkstationIdentity::collect();
    connection.execute(moduleStartStatement(moduleName, s.cisloPC, costCentre, identity, QDateTime::currentDateTime()));
    return true;
}

void runSqlFile(Connection &connection, const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw DbError(0, QStringLiteral("Nelze otevřít soubor %1").arg(path));
    const QString text = QString::fromUtf8(f.readAll());
    QString delimiter = QStringLiteral(";");
    QString current;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (QString line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const QString trimmed = line.trimmed();
        if (trimmed.startsWith(QLatin1String("DELIMITER "), Qt::CaseInsensitive)) {
            delimiter = trimmed.mid(10).trimmed();
            continue;
        }
        if (current.isEmpty() && (trimmed.isEmpty() || trimmed.startsWith(QLatin1String("--"))))
            continue;
        current += line + QLatin1Char('\n');
        if (trimmed.endsWith(delimiter)) {
            QString statement = current.trimmed();
            statement.chop(delimiter.size());
            if (!statement.trimmed().isEmpty())
                connection.execute(statement);
            current.clear();
        }
    }
    if (!current.trimmed().isEmpty())
        connection.execute(current);
}
