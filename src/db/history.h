// Rows of the suite's activity history: who started the module (historiem) and who saved which
// document (historied), from which computer and with which build.
#pragma once

#include <QDateTime>
#include <QString>

struct WorkstationIdentity {
    QString ipAddress;    // first IPv4 address of the host name, "255.255.255.255" when unresolvable
    QString userName;     // at most 63 characters, "(Unknown)"
    QString computerName; // at most 15 characters, "(Unknown)"
    QString programTime;  // executable's modification time, "yyyy-MM-dd hh:mm:ss"
    QString programVersion;

    static WorkstationIdentity collect();
};

QString firstIPv4Address(const QString &hostName);

// Five lines joined by line breaks, no closing semicolon.
QString moduleStartStatement(const QString &modul, const QString &pc, const QString &stredisko,
                             const WorkstationIdentity &identity, const QDateTime &now);

// The workstation number twice, then the time as yymmddhhnnss.
QString historyIdentifier(const QString &pc, const QDateTime &now);

// One line ending with ";"; the document number expression is written bare (e.g. "@CiDo").
QString documentRowStatement(const QString &pc, const QString &stredisko, const QString &modul, const QString &doklad,
                             const QString &cislodoklaExpression, const QString &misto, const QString &identifik,
                             const WorkstationIdentity &identity, const QDateTime &now);
