// The indexes the module's queries need, checked against a plant's database: the document list
// (condition and order), the lines and the opening of a document, the batch movements collected
// by the opening guard across the suite's document tables, and the stock-card look-ups. The check
// only reads the server's catalogue; it never changes the database.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class Connection;

namespace indexcheck {

struct IndexNeed {
    QString table;
    QStringList columns; // lower case, in index order
    int equalityColumns = 0; // the first columns are compared with "=": their order is free
    QString name; // the name a CREATE INDEX gives it
    QString purpose; // what the module does with it, for the administrator
    bool openingGuard = false; // needed by the guard that runs when a document is opened
};

const QList<IndexNeed> &needs();

// Whether an index over these columns (in order) serves the need: its first columns are the
// need's equality columns in any order, followed by the need's remaining columns in order.
bool serves(const QStringList &indexColumns, const IndexNeed &need);

QString createStatement(const IndexNeed &need);

struct Finding {
    IndexNeed need;
    bool tableMissing = false;
    QString servedBy; // the index that serves the need; empty when none does
    bool missing() const { return tableMissing || servedBy.isEmpty(); }
};

// Reads the indexes of the connection's current database and matches every need.
QList<Finding> check(Connection &connection);

// The report for the administrator, one line per need, then the statements that add the
// missing indexes.
QStringList reportLines(const QList<Finding> &findings, const QString &database);
// 0 when nothing is missing, 1 otherwise.
int exitCode(const QList<Finding> &findings);

// One line for the SQL log at start-up when an index the opening guard needs is missing;
// empty when none is.
QString openingGuardWarning(const QList<Finding> &findings);

} // namespace indexcheck
