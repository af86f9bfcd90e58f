// Opening the program's connection at start: the alternative port first when one is set, then
// the SQL port; the session statements (empty SQL mode, cp1250) and the module-start history row.
#pragma once

#include "settings.h"

#include <QString>

class Connection;

// Port text as a number; returns false (and leaves port alone) when it is not a whole number
// from 1 to 65535.
bool parsePort(const QString &text, int *port);
// The same with the operator's message naming the INI key (section LogON): one for a text that is
// no whole number, another for a whole number out of 1 to 65535. Empty when the port is usable.
QString portProblem(const QString &key, const QString &text, int *port);

// Builds the connection parameters from the settings. A port that is not a whole number is
// reported to the operator naming its INI key; the answer is then false.
bool applyConnectionSettings(Connection &connection, const settings::ConnectionSettings &s);

// The session statements and the module-start row also follow a connection on the alternative
// port: every later statement relies on cp1250 and the empty SQL mode. Answers whether the
// connection and its set-up succeeded; a connection failure is silent (the first later query
// reports it), a failing session statement throws DbError. A history row the server refuses is
// shown once and does not fail the step.
bool connectStep(Connection &connection, const settings::ConnectionSettings &s, const QString &moduleName,
                 const QString &costCentre);

// Runs a file of SQL statements (the schema of a test database, demo data). Understands the
// client convention "DELIMITER //" ... "DELIMITER ;" so trigger bodies stay whole.
void runSqlFile(Connection &connection, const QString &path);
