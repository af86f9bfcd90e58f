#include "script.h"

#include "connection.h"
#include "cp1250.h"
#include "messages.h"
#include "paths.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QMetaObject>
#include <QSaveFile>

ScriptFailed::ScriptFailed(int index, int code, const QString &error)
    : std::runtime_error(error.toStdString())
    , m_index(index)
    , m_code(code)
    , m_error(error)
{
}

QStringList splitScript(const QString &script)
{
    QStringList statements;
    QString current;
    QChar quote; // the open quote character, or null outside quotes
    QString text = script;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        for (qsizetype i = 0; i < line.size(); ++i) {
            const QChar c = line.at(i);
            if (quote.isNull()) {
                if (c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('`'))
                    quote = c;
            } else if (c == QLatin1Char('\\') && quote != QLatin1Char('`')) {
                ++i; // an escaped character never closes the quote
            } else if (c == quote) {
                if (i + 1 < line.size() && line.at(i + 1) == quote)
                    ++i; // doubled quote inside the value
                else
                    quote = QChar();
            }
        }
        if (!current.isEmpty() || !line.trimmed().isEmpty()) {
            if (!current.isEmpty())
                current += QLatin1Char('\n');
            current += line;
        }
        if (quote.isNull()) {
            QString trimmed = current;
            while (!trimmed.isEmpty() && trimmed.back().isSpace())
                trimmed.chop(1);
            if (trimmed.endsWith(QLatin1Char(';'))) {
                trimmed.chop(1);
                if (!trimmed.trimmed().isEmpty())
                    statements.append(trimmed);
                current.clear();
            }
        }
    }
    if (!current.trimmed().isEmpty())
        statements.append(current);
    return statements;
}

namespace script {

namespace {
std::function<void()> &terminateHandler()
{
    static std::function<void()> handler = [] {
        if (auto *app = QCoreApplication::instance())
            QMetaObject::invokeMethod(app, &QCoreApplication::quit, Qt::QueuedConnection);
    };
    return handler;
}
} // namespace

void setTerminateHandler(std::function<void()> handler)
{
    terminateHandler() = std::move(handler);
}

bool appendErrorBlock(const QString &errFile, const QString &script, int index, const QString &error,
    const QDateTime &when)
{
    QByteArray content;
    {
        QFile existing(errFile);
        if (existing.open(QIODevice::ReadOnly))
            content = existing.readAll();
    }
    if (!content.isEmpty() && !content.endsWith('\n'))
        content += "\r\n";
    const QDateTime now = when.isValid() ? when : QDateTime::currentDateTime();
    QStringList lines;
    lines << QString(57, QLatin1Char('-'))
          << QStringLiteral("PelMixi ") + now.toString(QStringLiteral("dd.MM.yyyy H:mm:ss"))
          << QStringLiteral("radek ") + QString::number(index) << QStringLiteral("chyba ") + error
          << QStringLiteral("--");
    QString body = script;
    body.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    if (body.endsWith(QLatin1Char('\n')))
        body.chop(1);
    lines << body.split(QLatin1Char('\n'));
    for (const QString &l : lines)
        content += cp1250::encodeLossy(l) + "\r\n";
    QSaveFile f(errFile);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    f.write(content);
    return f.commit();
}

void run(Connection &connection, const QString &text, const std::function<bool(const DbError &)> &passThrough,
    const LostConnectionCheck &lostConnection)
{
    const QStringList statements = splitScript(text);
    for (int i = 0; i < statements.size(); ++i) {
        try {
            connection.execute(statements.at(i));
        } catch (const std::exception &e) {
            if (const auto *db = dynamic_cast<const DbError *>(&e); db && passThrough && passThrough(*db)) {
                try {
                    connection.execute(QStringLiteral("ROLLBACK;"));
                } catch (const std::exception &) {
                }
                throw;
            }
            int code = 0;
            QString error;
            if (const auto *db = dynamic_cast<const DbError *>(&e)) {
                code = db->code();
                error = db->message();
            } else if (const auto *enc = dynamic_cast<const cp1250::EncodingError *>(&e)) {
                error = enc->message();
            } else {
                error = QString::fromStdString(e.what());
            }
            const bool lost = code != 0 && Connection::isConnectionLost(code);
            if (!lost) {
                try {
                    connection.execute(QStringLiteral("ROLLBACK;"));
                } catch (const std::exception &) {
                    // The connection may be gone already; the server then rolls back by itself.
                }
            }
            // A lost session is not rolled back from a new one: the server resolves its
            // transaction, and the check below looks at the outcome.
            appendErrorBlock(paths::inProgramDir(QStringLiteral("pelmi.err")), text, i, error);
            connection.close();
            Message message { QStringLiteral("Nastala chyba SQL. Program bude ukončen."), 1, QStringLiteral("OK"),
                MessageIcon::Warning };
            if (lost && lostConnection) {
                message = lostConnection(connection, error);
                connection.close();
            }
            messages::show(message);
            terminateHandler()();
            throw ScriptFailed(i, code, error);
        }
    }
}

} // namespace script
