// Save scripts: text of SQL statements, one or more lines each, a ";" at the end of a line
// closing a statement. The runner executes them one by one; a failing statement runs the
// script error step, which rolls back, records the failure in pelmi.err and ends the program.
#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>
#include <stdexcept>

class Connection;
class DbError;

// Statements of the script, each without its closing ";". A ";" inside a quoted value (single,
// double or back quotes) does not close a statement.
QStringList splitScript(const QString &script);

// Thrown to the caller after the error step has run; the remaining statements were not executed.
class ScriptFailed : public std::runtime_error {
public:
    ScriptFailed(int index, int code, const QString &error);
    int index() const { return m_index; }
    int code() const { return m_code; }
    QString error() const { return m_error; }

private:
    int m_index;
    int m_code;
    QString m_error;
};

struct Message;

namespace script {

// Asked by the error step when a statement failed because the connection was lost, after
// pelmi.err is written and before the program ends: finds out what became of the work and
// answers the message the operator gets instead of the generic one.
using LostConnectionCheck = std::function<Message(Connection &connection, const QString &error)>;

// Asks the application to end once control returns to the event loop; tests replace it.
void setTerminateHandler(std::function<void()> handler);

// passThrough: a failure for which it answers true is rolled back and rethrown to the caller
// without the error step (a cluster conflict the caller resolves by running the save again).
// lostConnection: asked, when the connection is lost, what to tell the operator before the end.
void run(Connection &connection, const QString &script,
    const std::function<bool(const DbError &)> &passThrough = {}, const LostConnectionCheck &lostConnection = {});

// Appends one failure block to errFile (loaded, extended and saved back), stamped with `when`
// (invalid: now), the time written "H:mm:ss". Returns false when the file cannot be written; the
// error step goes on regardless.
bool appendErrorBlock(const QString &errFile, const QString &script, int index, const QString &error,
    const QDateTime &when = {});

} // namespace script
