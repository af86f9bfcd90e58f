// The program's database connection: the only code that talks to the MariaDB client library.
// Always TCP (so "localhost" with a port reaches the same server as the suite's other
// workstations), protocol compression, client character set cp1250, no automatic reconnect.
// Every event goes to the SQL log. The host may list several servers separated by commas (the
// nodes of a cluster), each optionally with its own port ("host:port"; without one, the port of
// the parameters): opening tries them in order and takes the first that answers, at start and
// whenever a lost connection is opened again. Opening also tells whether the server is a node of
// a MariaDB Galera cluster (wsrep_on), where the save takes its exclusion differently. Failures throw DbError; a text that code page 1250 cannot
// hold throws cp1250::EncodingError before anything is sent.
#pragma once

#include "resultset.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <stdexcept>

class SqlLog;

class DbError : public std::runtime_error {
public:
    DbError(int code, const QString &message, const QString &statement = {});
    int code() const { return m_code; }
    QString message() const { return m_message; }
    QString statement() const { return m_statement; }

private:
    int m_code;
    QString m_message;
    QString m_statement;
};

struct ConnectionParams {
    QString host = QStringLiteral("localhost");
    int port = 3306;
    QString user = QStringLiteral("root");
    QString password;
    QString database = QStringLiteral("tavrix");
};

class Connection {
public:
    Connection();
    explicit Connection(ConnectionParams params);
    ~Connection();
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    void setParams(const ConnectionParams &params);
    const ConnectionParams &params() const { return m_params; }
    void setPort(int port) { m_params.port = port; }
    void setLog(SqlLog *log) { m_log = log; }

    // Opens and sets up the session (empty SQL mode, cp1250).
    void open();
    void close();
    bool isOpen() const;

    // Both open the connection first when it is closed.
    ResultSet query(const QString &sql);
    quint64 execute(const QString &sql);
    // The first column of the first row, or a null QVariant.
    QVariant scalar(const QString &sql);

    // Errors after which the session is gone (lost, gone away, killed, shut down): its open
    // transaction is resolved by the server, not by the program.
    static bool isConnectionLost(int code);

    // The server's version text, for diagnostics.
    QString serverInfo() const;

    // The hosts of params().host in the order they are tried.
    QStringList hosts() const;
    // "host:port" of the open connection (empty when closed).
    QString currentHost() const { return m_currentHost; }
    // Whether the open connection (or the last one) is to a Galera cluster node with wsrep on.
    bool isCluster() const { return m_cluster; }
    // Opens the connection when it is closed and answers isCluster().
    bool openAndCheckCluster()
    {
        ensureOpen();
        return m_cluster;
    }

private:
    void ensureOpen();
    void openHost(const QString &host, int port);
    void sendQuery(const QString &sql);
    [[noreturn]] void fail(const QString &sql);
    void logEvent(int category, const QString &message, int code = 0, const QString &error = {}) const;

    struct Handle;
    std::unique_ptr<Handle> m_handle;
    ConnectionParams m_params;
    SqlLog *m_log = nullptr;
    QString m_currentHost;
    bool m_cluster = false;
};

// Splits an [LogON] IP value into its hosts: separated by commas, blanks around them ignored.
QStringList splitHosts(const QString &hostList);
// "host:port" into its host and port; a host without a port (or an IPv6 address) keeps defaultPort.
QString hostOf(const QString &entry, int defaultPort, int *port);

// The program's one connection (tests create further ones of their own).
Connection &appConnection();
