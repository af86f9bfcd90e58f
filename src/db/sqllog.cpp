#include "sqllog.h"

#include "cp1250.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

QString SqlLog::fileNameFor(const QString &sqllogDir, const QDate &start)
{
    return sqllogDir + QStringLiteral("/ks") + start.toString(QStringLiteral("yyyyMM")) + QStringLiteral(".log");
}

static QString categoryName(LogCategory c)
{
    switch (c) {
    case LogCategory::Connect:
        return QStringLiteral("Connect");
    case LogCategory::Disconnect:
        return QStringLiteral("Disconnect");
    case LogCategory::Transaction:
        return QStringLiteral("Transaction");
    case LogCategory::Execute:
        return QStringLiteral("Execute");
    case LogCategory::Other:
        return QStringLiteral("Other");
    }
    return QStringLiteral("Other");
}

QString SqlLog::formatLine(const QDateTime &time, LogCategory category, const QString &protocol,
                           const QString &message, int errorCode, const QString &error)
{
    QString line = time.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")) + QStringLiteral(" cat: ") +
                   categoryName(category);
    if (!protocol.isEmpty())
        line += QStringLiteral(", proto: ") + protocol;
    line += QStringLiteral(", msg: ") + message;
    if (errorCode != 0 || !error.isEmpty())
        line += QStringLiteral(", errcode: ") + QString::number(errorCode) + QStringLiteral(", error: ") + error;
    return line;
}

void SqlLog::log(LogCategory category, const QString &message, int errorCode, const QString &error) const
{
    if (!m_active || m_fileName.isEmpty())
        return;
    const QString line = formatLine(QDateTime::currentDateTime(), category, QStringLiteral("mysql"), message,
                                    errorCode, error);
    QFile f(m_fileName);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append)) {
        QDir().mkpath(QFileInfo(m_fileName).absolutePath());
        if (!f.open(QIODevice::WriteOnly | QIODevice::Append))
            return;
    }
    // Lossy on purpose: the log must never stop an operation.
    f.write(cp1250::encodeLossy(line) + "\r\n");
}
