// The monthly SQL log: one line per database event, appended by opening, writing and closing the
// file each time. The file name is fixed when logging starts, so a run that crosses the end of a
// month keeps writing to its start month's file. A line that cannot be written is dropped.
#pragma once

#include <QDateTime>
#include <QString>

enum class LogCategory { Connect, Disconnect, Transaction, Execute, Other };

class SqlLog {
public:
    // "<sqllog>/ks" + yyyymm of start + ".log"
    static QString fileNameFor(const QString &sqllogDir, const QDate &start);
    static QString formatLine(const QDateTime &time, LogCategory category, const QString &protocol,
                              const QString &message, int errorCode = 0, const QString &error = {});

    void setFileName(const QString &fileName) { m_fileName = fileName; }
    QString fileName() const { return m_fileName; }
    void setActive(bool active) { m_active = active; }
    bool isActive() const { return m_active; }

    void log(LogCategory category, const QString &message, int errorCode = 0, const QString &error = {}) const;

private:
    QString m_fileName;
    bool m_active = false;
};
