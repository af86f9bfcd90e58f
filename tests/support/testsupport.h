// What every test binary needs: a private database of its own on the project's MariaDB server,
// a temporary installation (program folder, suite folder, INI files) and a message answerer.
#pragma once

#include "connection.h"
#include "messages.h"

#include <QList>
#include <QString>
#include <QTemporaryDir>
#include <memory>

namespace testsupport {

QString sourceDir();          // the project's source tree
ConnectionParams serverParams(const QString &database = {}); // the private server (env PELMIXI_DB_*)

// Creates (or re-creates) database `name` from sql/schema.sql, optionally with sql/demo.sql.
void createDatabase(const QString &name, bool withDemoData = false);
void dropDatabase(const QString &name);

// A temporary installation: <tmp>/suite/Tavrix05.ini pointing at the private server and database,
// <tmp>/suite/program/ as the program folder (paths::setProgramDir and the working folder).
class Installation {
public:
    explicit Installation(const QString &database);
    ~Installation();
    QString suiteDir() const;
    QString programDir() const;
    QString database() const { return m_database; }
    void writeSuiteIni(const QString &section, const QString &key, const QString &value) const;
    void writeModuleIni(const QString &section, const QString &key, const QString &value) const;

private:
    QTemporaryDir m_dir;
    QString m_database;
    QString m_previousDir;
};

// Answers operator messages from a queue (1 = first button when the queue is empty) and keeps
// every message shown.
class MessageRecorder final : public MessagePort {
public:
    MessageRecorder();
    ~MessageRecorder() override;
    int show(const Message &message) override;

    QList<Message> shown;
    QList<int> answers;
    QStringList texts() const;
    QString last() const { return shown.isEmpty() ? QString() : shown.last().text; }
};

} // namespace testsupport
