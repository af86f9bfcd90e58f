#include "testsupport.h"

#include "inifile.h"
#include "paths.h"
#include "session.h"
#include "sqltext.h"

#include <QDir>
#include <QFile>
#include <stdexcept>

namespace testsupport {

QString sourceDir()
{
    const QString env = qEnvironmentVariable("PELMIXI_SOURCE_DIR");
    return env.isEmpty() ? QStringLiteral(PELMIXI_SOURCE_DIR_DEFAULT) : env;
}

ConnectionParams serverParams(const QString &database)
{
    ConnectionParams p;
    p.host = qEnvironmentVariable("PELMIXI_DB_HOST", QStringLiteral("127.0.0.1"));
    p.port = qEnvironmentVariable("PELMIXI_DB_PORT", QStringLiteral("3407")).toInt();
    p.user = QStringLiteral("root");
    p.database = database;
    return p;
}

void createDatabase(const QString &name, bool withDemoData)
{
    Connection admin(serverParams());
    admin.execute(QStringLiteral("DROP DATABASE IF EXISTS `%1`").arg(name));
    admin.execute(QStringLiteral("CREATE DATABASE `%1` CHARACTER SET cp1250").arg(name));
    Connection c(serverParams(name));
    c.execute(QStringLiteral("set @@session.sql_mode=\"\""));
    // The files are UTF-8; the loader's own connection speaks cp1250 like the program.
    runSqlFile(c, sourceDir() + QStringLiteral("/sql/schema.sql"));
    if (withDemoData)
        runSqlFile(c, sourceDir() + QStringLiteral("/sql/demo.sql"));
}

void dropDatabase(const QString &name)
{
    Connection admin(serverParams());
    admin.execute(QStringLiteral("DROP DATABASE IF EXISTS `%1`").arg(name));
}

Installation::Installation(const QString &database)
    : m_database(database)
{
    if (!m_dir.isValid())
        throw std::runtime_error("cannot create a temporary installation");
    QDir().mkpath(programDir());
    m_previousDir = QDir::currentPath();
    paths::setProgramDir(programDir());
    QDir::setCurrent(programDir());
    const ConnectionParams p = serverParams(database);
    writeSuiteIni(QStringLiteral("LogON"), QStringLiteral("IP"), p.host);
    writeSuiteIni(QStringLiteral("LogON"), QStringLiteral("SQLport"), QString::number(p.port));
    writeSuiteIni(QStringLiteral("LogON"), QStringLiteral("Database"), database);
    writeSuiteIni(QStringLiteral("LogON"), QStringLiteral("User"), QStringLiteral("root"));
}

Installation::~Installation()
{
    QDir::setCurrent(m_previousDir);
}

QString Installation::suiteDir() const
{
    return m_dir.path() + QStringLiteral("/suite");
}

QString Installation::programDir() const
{
    return suiteDir() + QStringLiteral("/program");
}

void Installation::writeSuiteIni(const QString &section, const QString &key, const QString &value) const
{
    IniFile(suiteDir() + QStringLiteral("/Tavrix05.ini")).writeString(section, key, value);
}

void Installation::writeModuleIni(const QString &section, const QString &key, const QString &value) const
{
    IniFile(programDir() + QStringLiteral("/pelmixi.ini")).writeString(section, key, value);
}

MessageRecorder::MessageRecorder()
{
    messages::install(this);
}

MessageRecorder::~MessageRecorder()
{
    if (messages::current() == this)
        messages::install(nullptr);
}

int MessageRecorder::show(const Message &message)
{
    shown.append(message);
    return answers.isEmpty() ? 1 : answers.takeFirst();
}

QStringList MessageRecorder::texts() const
{
    QStringList t;
    for (const Message &m : shown)
        t.append(m.text);
    return t;
}

} // namespace testsupport
