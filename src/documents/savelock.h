// The exclusion that keeps one save at a time between workstations, from the first re-check to
// the commit.
//
// On a single server: a named server lock (waited for without freezing the window) plus table
// locks from the checks to the script's BEGIN.
// On a MariaDB Galera cluster, where named locks and table locks do not reach the other nodes:
// the save's transaction starts before the checks, takes the one lock row of the database
// (pelmixi_zamek) with SELECT … FOR UPDATE and writes it (n = n + 1), so two saves on two nodes
// write the same row and only one of them passes certification; the reads that decide wait for
// every commit of the cluster (wsrep_sync_wait). The save script then runs inside that same
// transaction, without its own BEGIN.
#pragma once

#include <QString>

class Connection;

namespace posting {

class ExclusiveSection {
public:
    explicit ExclusiveSection(Connection &connection);
    ~ExclusiveSection() { release(); }
    ExclusiveSection(const ExclusiveSection &) = delete;
    ExclusiveSection &operator=(const ExclusiveSection &) = delete;

    // Waits up to the lock timeout; false when another workstation kept the lock all that time.
    bool acquire();
    // Single server only; on a cluster the lock row already excludes the other saves.
    void lockTables(const QString &statement);
    // After the commit: the table locks end (single server), the transaction is over (cluster).
    void unlockTables();
    void release() noexcept;

    bool cluster() const { return m_cluster; }
    // The script as this save runs it: on a cluster without the BEGIN that would commit the open
    // transaction of the checks.
    QString script(const QString &text) const;

private:
    Connection &m_connection;
    bool m_cluster = false;
    bool m_named = false;
    bool m_tables = false;
    bool m_transaction = false;
};

// Statements of the cluster's lock row.
QString lockRowSelect(int waitSeconds); // 0: NOWAIT
QString lockRowUpdate();

// How long a save waits for another workstation's lock, in seconds; tests shorten it.
int lockTimeoutSeconds();
void setLockTimeoutSeconds(int seconds);

} // namespace posting
