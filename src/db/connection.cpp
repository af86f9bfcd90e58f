#include "connection.h"

#include "cp1250.h"
#include "sqllog.h"

#include <QDate>
#include <QDateTime>
#include <errmsg.h>
#include <mysql.h>

struct Connection::Handle {
    MYSQL *mysql = nullptr;
    ~Handle()
    {
        if (mysql)
            mysql_close(mysql);
    }
};

DbError::DbError(int code, const QString &message, const QString &statement)
    : std::runtime_error(message.toStdString())
    , m_code(code)
    , m_message(message)
    , m_statement(statement)
{
}

Connection::Connection()
    : m_handle(std::make_unique<Handle>())
{
}

Connection::Connection(ConnectionParams params)
    : m_handle(std::make_unique<Handle>())
    , m_params(std::move(params))
{
}

Connection::~Connection()
{
    close();
}

void Connection::setParams(const ConnectionParams &params)
{
    m_params = params;
}

bool Connection::isOpen() const
{
    return m_handle->mysql != nullptr;
}

void Connection::logEvent(int category, const QString &message, int code, const QString &error) const
{
    if (m_log)
        m_log->log(LogCategory(category), message, code, error);
}

QStringList splitHosts(const QString &hostList)
{
    QStringList hosts;
    for (const QString &part : hostList.split(QLatin1Char(','))) {
        const QString host = part.trimmed();
        if (!host.isEmpty())
            hosts.append(host);
    }
    if (hosts.isEmpty())
        hosts.append(hostList.trimmed());
    return hosts;
}

QString hostOf(const QString &entry, int defaultPort, int *port)
{
    *port = defaultPort;
    const qsizetype colon = entry.lastIndexOf(QLatin1Char(':'));
    if (colon <= 0 || entry.indexOf(QLatin1Char(':')) != colon)
        return entry;
    bool ok = false;
    const int p = entry.mid(colon + 1).toInt(&ok);
    if (!ok || p <= 0 || p > 65535)
        return entry;
    *port = p;
    return entry.left(colon);
}

QStringList Connection::hosts() const
{
    return splitHosts(m_params.host);
}

void Connection::open()
{
    if (isOpen())
        return;
    const QStringList candidates = hosts();
    for (qsizetype i = 0; i < candidates.size(); ++i) {
        try {
            int port = 0;
            const QString host = hostOf(candidates.at(i), m_params.port, &port);
            openHost(host, port);
            return;
        } catch (const DbError &e) {
            // A server that refuses the login or the database answers the same on every node.
            const bool unreachable = e.code() == CR_CONNECTION_ERROR || e.code() == CR_CONN_HOST_ERROR
                || e.code() == CR_UNKNOWN_HOST || e.code() == CR_SERVER_LOST || e.code() == CR_SERVER_GONE_ERROR
                || e.code() == 1047 /* ER_UNKNOWN_COM_ERROR: a node outside the cluster's primary part */;
            if (!unreachable || i + 1 == candidates.size())
                throw;
        }
    }
}

void Connection::openHost(const QString &hostName, int port)
{
    MYSQL *m = mysql_init(nullptr);
    if (!m)
        throw DbError(2008, QStringLiteral("MySQL client ran out of memory"));
    const unsigned int protocol = MYSQL_PROTOCOL_TCP;
    mysql_optionsv(m, MYSQL_OPT_PROTOCOL, &protocol);
    mysql_optionsv(m, MYSQL_OPT_COMPRESS, nullptr);
    mysql_optionsv(m, MYSQL_SET_CHARSET_NAME, "cp1250");
    const my_bool reconnect = 0;
    mysql_optionsv(m, MYSQL_OPT_RECONNECT, &reconnect);
    const unsigned int timeout = 15;
    mysql_optionsv(m, MYSQL_OPT_CONNECT_TIMEOUT, &timeout);

    const QByteArray host = cp1250::encode(hostName, QStringLiteral("IP"));
    const QByteArray user = cp1250::encode(m_params.user, QStringLiteral("User"));
    const QByteArray password = cp1250::encode(m_params.password, QStringLiteral("Password"));
    const QByteArray database = cp1250::encode(m_params.database, QStringLiteral("Database"));
    const QString what = QStringLiteral("Connect to %1:%2 database %3 as %4")
                             .arg(hostName)
                             .arg(port)
                             .arg(m_params.database, m_params.user);
    if (!mysql_real_connect(m, host.constData(), user.constData(), password.constData(),
                            database.isEmpty() ? nullptr : database.constData(), uint(port), nullptr,
                            CLIENT_FOUND_ROWS)) {
        const int code = int(mysql_errno(m));
        const QString error = cp1250::decode(QByteArray(mysql_error(m)));
        mysql_close(m);
        logEvent(int(LogCategory::Connect), what, code, error);
        throw DbError(code, error);
    }
    m_handle->mysql = m;
    m_currentHost = hostName + QLatin1Char(':') + QString::number(port);
    logEvent(int(LogCategory::Connect), what);
    // Every session of the program, also one opened again after the server dropped the old one,
    // runs with the empty SQL mode and cp1250 that all statements rely on.
    try {
        execute(QStringLiteral("set @@session.sql_mode=\"\""));
        execute(QStringLiteral("SET names cp1250;"));
        // A server without Galera (or another make of server) has no such variable or has it OFF.
        const ResultSet wsrep = query(QStringLiteral("SHOW VARIABLES LIKE 'wsrep_on'"));
        m_cluster = !wsrep.isEmpty() && wsrep.value(0, 1).toString().compare(QLatin1String("ON"), Qt::CaseInsensitive) == 0;
        if (m_cluster) {
            // A node that has left the cluster's primary part refuses work; the next host may not.
            const ResultSet ready = query(QStringLiteral("SHOW STATUS LIKE 'wsrep_ready'"));
            if (!ready.isEmpty() && ready.value(0, 1).toString().compare(QLatin1String("ON"), Qt::CaseInsensitive) != 0)
                throw DbError(1047, QStringLiteral("WSREP has not yet prepared node for application use"));
        }
    } catch (...) {
        close();
        throw;
    }
}

void Connection::close()
{
    if (!isOpen())
        return;
    mysql_close(m_handle->mysql);
    m_handle->mysql = nullptr;
    logEvent(int(LogCategory::Disconnect), QStringLiteral("Disconnect from %1").arg(m_currentHost));
    m_currentHost.clear();
}

void Connection::ensureOpen()
{
    if (!isOpen())
        open();
}

QString Connection::serverInfo() const
{
    return isOpen() ? QString::fromLatin1(mysql_get_server_info(m_handle->mysql)) : QString();
}

static LogCategory categoryOf(const QString &sql)
{
    const QString head = sql.trimmed().left(20).toUpper();
    if (head.startsWith(QLatin1String("BEGIN")) || head.startsWith(QLatin1String("COMMIT")) ||
        head.startsWith(QLatin1String("ROLLBACK")) || head.startsWith(QLatin1String("START TRANSACTION")))
        return LogCategory::Transaction;
    return LogCategory::Execute;
}

void Connection::fail(const QString &sql)
{
    const int code = int(mysql_errno(m_handle->mysql));
    const QString error = cp1250::decode(QByteArray(mysql_error(m_handle->mysql)));
    logEvent(int(categoryOf(sql)), sql, code, error);
    // A lost connection is not reopened behind the caller's back: its transaction and session
    // variables are gone, so the next statement must start over on a fresh connection. A cluster
    // node that has lost the cluster's primary part refuses every statement (1047): the fresh
    // connection then goes to the next node that works.
    if (isConnectionLost(code) || (m_cluster && code == 1047)) {
        mysql_close(m_handle->mysql);
        m_handle->mysql = nullptr;
        m_currentHost.clear();
    }
    throw DbError(code, error, sql);
}

bool Connection::isConnectionLost(int code)
{
    // 1053 server shutdown in progress, 1927 connection killed (MariaDB).
    return code == CR_SERVER_GONE_ERROR || code == CR_SERVER_LOST || code == CR_SERVER_LOST_EXTENDED || code == 1053
        || code == 1927;
}

void Connection::sendQuery(const QString &sql)
{
    const QByteArray bytes = cp1250::encode(sql);
    ensureOpen();
    if (mysql_real_query(m_handle->mysql, bytes.constData(), (unsigned long)bytes.size()) != 0)
        fail(sql);
}

static FieldKind kindOf(const MYSQL_FIELD &f)
{
    switch (f.type) {
    case MYSQL_TYPE_TINY:
    case MYSQL_TYPE_SHORT:
    case MYSQL_TYPE_LONG:
    case MYSQL_TYPE_INT24:
    case MYSQL_TYPE_LONGLONG:
    case MYSQL_TYPE_YEAR:
    case MYSQL_TYPE_BIT:
        return FieldKind::Integer;
    case MYSQL_TYPE_DECIMAL:
    case MYSQL_TYPE_NEWDECIMAL:
        return f.decimals == 0 ? FieldKind::Integer : FieldKind::Float;
    case MYSQL_TYPE_FLOAT:
    case MYSQL_TYPE_DOUBLE:
        return FieldKind::Float;
    case MYSQL_TYPE_DATE:
    case MYSQL_TYPE_NEWDATE:
        return FieldKind::Date;
    case MYSQL_TYPE_DATETIME:
    case MYSQL_TYPE_TIMESTAMP:
        return FieldKind::DateTime;
    case MYSQL_TYPE_TIME:
        return FieldKind::Time;
    case MYSQL_TYPE_TINY_BLOB:
    case MYSQL_TYPE_MEDIUM_BLOB:
    case MYSQL_TYPE_LONG_BLOB:
    case MYSQL_TYPE_BLOB:
    case MYSQL_TYPE_STRING:
    case MYSQL_TYPE_VAR_STRING:
    case MYSQL_TYPE_VARCHAR:
        return f.charsetnr == 63 && (f.flags & BINARY_FLAG) && f.type != MYSQL_TYPE_STRING &&
                       f.type != MYSQL_TYPE_VAR_STRING
                   ? FieldKind::Blob
                   : FieldKind::Text;
    default:
        return FieldKind::Text;
    }
}

ResultSet Connection::query(const QString &sql)
{
    sendQuery(sql);
    MYSQL_RES *res = mysql_store_result(m_handle->mysql);
    if (!res) {
        if (mysql_field_count(m_handle->mysql) != 0)
            fail(sql);
        logEvent(int(categoryOf(sql)), sql);
        return {};
    }
    const unsigned int n = mysql_num_fields(res);
    const MYSQL_FIELD *fields = mysql_fetch_fields(res);
    QList<Column> columns;
    columns.reserve(n);
    for (unsigned int i = 0; i < n; ++i) {
        Column c;
        c.name = cp1250::decode(QByteArray(fields[i].name));
        c.kind = kindOf(fields[i]);
        c.length = int(fields[i].length);
        c.decimals = int(fields[i].decimals);
        c.serverType = int(fields[i].type);
        columns.append(c);
    }
    QList<QByteArray> rows;
    rows.reserve(qsizetype(mysql_num_rows(res)));
    while (MYSQL_ROW row = mysql_fetch_row(res))
        rows.append(ResultSet::packRow(row, mysql_fetch_lengths(res), int(n)));
    mysql_free_result(res);
    logEvent(int(categoryOf(sql)), sql);
    return ResultSet(std::move(columns), std::move(rows));
}

quint64 Connection::execute(const QString &sql)
{
    sendQuery(sql);
    // A statement that returns rows anyway (a SELECT @x := ... in a script) must be drained.
    if (MYSQL_RES *res = mysql_store_result(m_handle->mysql))
        mysql_free_result(res);
    else if (mysql_field_count(m_handle->mysql) != 0)
        fail(sql);
    const quint64 affected = mysql_affected_rows(m_handle->mysql);
    logEvent(int(categoryOf(sql)), sql);
    return affected == quint64(-1) ? 0 : affected;
}

QVariant Connection::scalar(const QString &sql)
{
    const ResultSet r = query(sql);
    if (r.isEmpty() || r.columnCount() == 0)
        return {};
    return r.value(0, 0);
}

Connection &appConnection()
{
    static Connection connection;
    return connection;
}
