// Where a batch has gone: every movement of one batch key on the documents of the whole suite,
// collected into the workstation's batch movement table tmp<CisloPC>pelmixi (KdeJeSkl).
//
// The table is TEMPORARY: it belongs to the connection that collects, so two workstations that
// share a workstation number (every one is "00" until configured) cannot fill or drop each
// other's table between the statements, and a guard never reads another batch's movements.
#pragma once

#include "resultset.h"

#include <QString>
#include <QStringList>

class Connection;

namespace batchhistory {

// "tmp" + CisloPC + "pelmixi". The workstation number becomes part of a table name, so it must be
// letters, digits and underscores; anything else throws DbError (code 0) with an operator text.
QString tableName(const QString &cisloPC);

// The eleven statements, each made of its lines joined with line feeds: the partiecela quoted,
// the lomeni bare.
QStringList statements(const QString &cisloPC, const QString &partiecela, qint64 lomeni);

// "select * from tmp" + CisloPC + "pelmixi"
QString selectStatement(const QString &cisloPC);
// "drop temporary table if exists tmp" + CisloPC + "pelmixi"
QString dropStatement(const QString &cisloPC);

} // namespace batchhistory

// Runs the eleven statements one after the other. A failing statement throws DbError with the
// server's error; the statements before it stay done (the caller drops the table).
void KdeJeSkl(Connection &connection, const QString &cisloPC, const QString &partiecela, qint64 lomeni);

namespace batchhistory {

// KdeJeSkl, then the table's rows; the table is dropped afterwards whether the collection
// succeeded or not.
ResultSet collect(Connection &connection, const QString &cisloPC, const QString &partiecela, qint64 lomeni);

} // namespace batchhistory
