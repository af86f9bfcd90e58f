#include "history.h"

#include "sqltext.h"
#include "version.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <arpa/inet.h>
#include <netdb.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

QString timeText(const QDateTime &t)
{
    return t.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

QString executablePath()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationFilePath();
    return QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
}

} // namespace

QString firstIPv4Address(const QString &hostName)
{
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *result = nullptr;
    if (hostName.isEmpty() || getaddrinfo(hostName.toLocal8Bit().constData(), nullptr, &hints, &result) != 0 ||
        !result)
        return QStringLiteral("255.255.255.255");
    char buf[INET_ADDRSTRLEN] = {};
    const auto *addr = reinterpret_cast<const sockaddr_in *>(result->ai_addr);
    inet_ntop(AF_INET, &addr->sin_addr, buf, sizeof buf);
    freeaddrinfo(result);
    return QString::fromLatin1(buf);
}

WorkstationIdentity WorkstationIdentity::collect()
{
    WorkstationIdentity id;
    char host[256] = {};
    const bool haveHost = gethostname(host, sizeof host - 1) == 0 && host[0] != 0;
    const QString hostName = haveHost ? QString::fromLocal8Bit(host) : QString();
    id.ipAddress = firstIPv4Address(hostName);

    QString user;
    if (const passwd *pw = getpwuid(geteuid()); pw && pw->pw_name)
        user = QString::fromLocal8Bit(pw->pw_name);
    if (user.isEmpty())
        user = qEnvironmentVariable("USER");
    id.userName = user.isEmpty() ? QStringLiteral("(Unknown)") : user.left(63);
    id.computerName = hostName.isEmpty() ? QStringLiteral("(Unknown)") : hostName.section(QLatin1Char('.'), 0, 0).left(15);

    const QFileInfo exe(executablePath());
    id.programTime = exe.exists() ? timeText(exe.lastModified()) : timeText(QDateTime::currentDateTime());
    id.programVersion = ::programVersion();
    return id;
}

QString moduleStartStatement(const QString &modul, const QString &pc, const QString &stredisko,
                             const WorkstationIdentity &id, const QDateTime &now)
{
    return QStringLiteral("insert into historiem \n")
        + QStringLiteral("set modul = %1, pc = %2, stredisko = %3,\n")
              .arg(sqlDoubleQuote(modul), sqlDoubleQuote(pc), sqlDoubleQuote(stredisko))
        + QStringLiteral("datumcas = %1,\n").arg(sqlDoubleQuote(timeText(now)))
        + QStringLiteral("ipadr = %1, computeruser = %2, computername = %3,\n")
              .arg(sqlDoubleQuote(id.ipAddress), sqlDoubleQuote(id.userName), sqlDoubleQuote(id.computerName))
        + QStringLiteral("mdatumcas = %1, mverze=%2")
              .arg(sqlDoubleQuote(id.programTime), sqlDoubleQuote(id.programVersion));
}

QString historyIdentifier(const QString &pc, const QDateTime &now)
{
    return pc + pc + now.toString(QStringLiteral("yyMMddhhmmss"));
}

QString documentRowStatement(const QString &pc, const QString &stredisko, const QString &modul, const QString &doklad,
                             const QString &cislodoklaExpression, const QString &misto, const QString &identifik,
                             const WorkstationIdentity &id, const QDateTime &now)
{
    return QStringLiteral("insert into historied set modul = %1, pc = %2, stredisko = %3,")
               .arg(sqlDoubleQuote(modul), sqlDoubleQuote(pc), sqlDoubleQuote(stredisko))
        + QStringLiteral("datumcas = %1,").arg(sqlDoubleQuote(timeText(now)))
        + QStringLiteral("ipadr = %1, computeruser = %2, computername = %3,")
              .arg(sqlDoubleQuote(id.ipAddress), sqlDoubleQuote(id.userName), sqlDoubleQuote(id.computerName))
        + QStringLiteral("mdatumcas = %1, mverze=%2,")
              .arg(sqlDoubleQuote(id.programTime), sqlDoubleQuote(id.programVersion))
        + QStringLiteral("doklad = %1, cislodokla=%2,").arg(sqlDoubleQuote(doklad), cislodoklaExpression)
        + QStringLiteral("misto=%1,identifik=%2;").arg(sqlDoubleQuote(misto), sqlDoubleQuote(identifik));
}
