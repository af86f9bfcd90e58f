#include "session.h"

#include "connection.h"
#include "history.h"
#include "messages.h"

#include <QDateTime>
#include <QFile>
#include <QRegularExpression>

bool parsePort(const QString &text, int *port)
{
    return portProblem(QString(), text, port).isEmpty();
}

QString portProblem(const QString &key, const QString &text, int *port)
{
    static const QRegularExpression wholeNumber(QStringLiteral("^[+-]?[0-9]+$"));
    const QString t = text.trimmed();
    if (!wholeNumber.match(t).hasMatch())
        return QStringLiteral("Port databáze v nastavení [LogON] %1 není celé číslo: „%2“.").arg(key, text);
    bool ok = false;
    const qlonglong p = t.toLongLong(&ok);
    if (!ok || p < 1 || p > 65535)
        return QStringLiteral("Port databáze v nastavení [LogON] %1 je mimo rozsah 1 až 65535: „%2“.").arg(key, text);
    *port = int(p);
    return {};
}

bool applyConnectionSettings(Connection &connection, const settings::ConnectionSettings &s)
{
    ConnectionParams p;
    p.host = s.host;
    p.user = s.user;
    p.password = s.password;
    p.database = s.database;
    if (const QString problem = portProblem(QStringLiteral("SQLport"), s.sqlPort, &p.port); !problem.isEmpty()) {
        connection.setParams(p);
        messages::show(problem, MessageIcon::Warning);
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
        if (const QString problem = portProblem(QStringLiteral("OPENport"), s.openPort, &openPort);
            !problem.isEmpty()) {
            messages::show(problem, MessageIcon::Warning);
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

    // Opening ran the session statements (empty SQL mode, cp1250) already. The start row is a
    // record of the session, not a condition for it: a row the server refuses (an account without
    // INSERT on historiem) is told once here and the session is set up all the same, so no later
    // list or document runs this step again.
    const WorkstationIdentity identity = WorkstationIdentity::collect();
    try {
        connection.execute(
            moduleStartStatement(moduleName, s.cisloPC, costCentre, identity, QDateTime::currentDateTime()));
    } catch (const std::exception &e) {
        messages::show(QStringLiteral("Záznam o spuštění programu se nepodařilo zapsat do tabulky historiem; "
                                      "program pracuje dál.\n%1")
                           .arg(QString::fromStdString(e.what())),
            MessageIcon::Warning);
    }
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
