// Batch genealogy for recalls: where a batch came from (receipts, through every mix and
// calculation that produced it) and where it went (through every mix and calculation that
// consumed it, down to delivery notes, issue slips and transfers), with the quantity of the
// traced batch that each movement carried. Read-only over the suite's document tables; every
// level costs one query per document table, whatever the number of batches on it.
#pragma once

#include <QDate>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class Connection;

namespace genealogy {

enum class Direction { Down, Up, Both };

struct BatchKey {
    QString partiecela;
    qint64 lomeni = 0;

    friend bool operator==(const BatchKey &a, const BatchKey &b)
    {
        return a.lomeni == b.lomeni && a.partiecela == b.partiecela;
    }
};
inline size_t qHash(const BatchKey &key, size_t seed = 0)
{
    return ::qHash(key.partiecela, seed) ^ ::qHash(key.lomeni, seed + 1);
}

// One movement of the trace, as the tree, the CSV and the report show it.
//  - Level 0: the traced batch's own receipt or producing document (empty type when none exists).
//  - Downstream, a producing document (KS, SM, KA) shows its product: batch, name and quantity of
//    the product, and as suspect quantity the part of the product that is the traced batch. Ends
//    (DL, VN, VP) show the batch they moved and the suspect part of the moved quantity.
//  - Upstream, a row is a batch consumed on the way to the traced batch, shown by its origin
//    (receipt or producing document), with the quantity that was consumed from it.
struct Row {
    int level = 0;
    bool downstream = true;
    QString docType; // PV, DL, VN, VP, KA, SM, KS; empty when the batch's origin is not found
    QString docNumber;
    QDate date;
    QDate posted;
    QString batch;
    qint64 fraction = 0;
    QString name;
    std::optional<double> quantity;
    QString unit;
    std::optional<double> suspect; // downstream only; empty when it cannot be determined
    QString partner; // supplier (PV), customer (DL, VN), receiving cost centre (VP)
    QString note;    // why a share is empty, merged paths, cycles, a second origin
    int parent = -1; // index of the parent row in the same list; -1: below the level-0 row
};

// Suspect quantity per customer (delivery notes, issue slips, transfers), in the traced batch's
// unit where t and kg allow it.
struct PartnerTotal {
    QString partner;
    QStringList documents; // "DL 2601010001", in trace order, each once
    double suspect = 0;
    QString unit;
    bool incomplete = false; // a movement's share could not be determined
};

struct Trace {
    BatchKey batch;
    Direction direction = Direction::Down;
    Row origin;                // level 0
    bool originFound = false;
    QList<Row> down;           // levels 1..n in tree order (a parent before its children)
    QList<Row> up;
    QList<PartnerTotal> partners;
    QStringList cycles;        // one text per cycle found
    QStringList tablesWithoutIndex; // document tables lacking a (partiecela, lomeni) index
    int downNodes = 0;         // distinct batches reached downstream (the traced one included)
    int upNodes = 0;

    // A batch with no movement at all: no origin, nothing consumed it, nothing it came from.
    bool isEmpty() const { return !originFound && down.isEmpty() && up.isEmpty(); }
};

// Runs the whole trace. Throws DbError on a failing statement.
Trace trace(Connection &connection, const BatchKey &batch, Direction direction);

// Document tables (of those the trace reads) whose first two index columns are not
// (partiecela, lomeni); one query on information_schema.
QStringList tablesWithoutBatchIndex(Connection &connection);

// t and kg convert (× 1000); equal units (blanks and letter case ignored) give 1; anything else
// cannot be reconciled.
std::optional<double> unitFactor(const QString &from, const QString &to);

// The CSV file: UTF-8, ';' separated, header row, one row per movement (level 0 first, then
// downstream, then upstream), quantities with a decimal point, dates yyyy-mm-dd.
QByteArray csv(const Trace &trace);
QString csvHeader();
// A quantity as the CSV and the report's figures write it: up to six decimals, no trailing zeros.
QString formatQuantity(double value, QChar decimalPoint = QLatin1Char('.'));

QString directionName(Direction direction); // "down", "up", "both"
std::optional<Direction> parseDirection(const QString &text);

} // namespace genealogy
