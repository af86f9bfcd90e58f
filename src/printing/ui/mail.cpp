#include "mail.h"

#include "printing/reportrow.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>

namespace pelmixi::printing {

bool isMailAddressUsable(const QString &address)
{
    if (!address.contains(QLatin1Char('@')))
        return false;
    if (address.indexOf(QLatin1Char('.')) + 1 < 2)
        return false;
    int pieces = 0;
    QString rest = address;
    while (!rest.isEmpty()) {
        const qsizetype at = rest.indexOf(QLatin1Char('@'));
        ++pieces;
        if (at < 0)
            break;
        rest = rest.mid(at + 1);
    }
    return pieces == 2;
}

MailMessage documentMail(ReportKind kind, const QString &documentNumber, const QString &recipient,
    const QString &sender, const QString &attachment, const QDateTime &now)
{
    const bool protocol = kind == ReportKind::MixingProtocol;
    MailMessage m;
    m.subject = (protocol ? QStringLiteral("Michaci protokol ") : QStringLiteral("Smes ")) + documentNumber;
    m.body = (protocol ? QStringLiteral("V priloze zasiláme michaci protokol cislo: ")
                       : QStringLiteral("V priloze zasiláme smes cislo: "))
        + documentNumber + QStringLiteral("\r\n\r\n") + QStringLiteral("Generovano systemem Tavrix05 - ")
        + formatPrintedAt(now);
    m.recipient = recipient;
    m.sender = sender;
    m.attachment = attachment;
    return m;
}

QStringList mailClientArguments(const MailMessage &message)
{
    QStringList args { QStringLiteral("--utf8"), QStringLiteral("--subject"), message.subject, QStringLiteral("--body"),
        message.body };
    if (!message.attachment.isEmpty())
        args << QStringLiteral("--attach") << message.attachment;
    if (!message.recipient.isEmpty())
        args << message.recipient;
    return args;
}

MailResult sendThroughMailClient(const MailMessage &message, int waitMs)
{
    MailResult result;
    const QString program = QStandardPaths::findExecutable(QStringLiteral("xdg-email"));
    if (program.isEmpty()) {
        result.error = QStringLiteral("xdg-email není nainstalován.");
        return result;
    }
    // On the heap: a client still open after the wait keeps running, and the process object
    // goes when it ends.
    auto *process = new QProcess(QCoreApplication::instance());
    process->setProgram(program);
    process->setArguments(mailClientArguments(message));
    process->setProcessChannelMode(QProcess::ForwardedChannels);

    QEventLoop loop;
    bool finished = false;
    bool failedToStart = false;
    QObject::connect(process, &QProcess::finished, &loop, [&](int, QProcess::ExitStatus) {
        finished = true;
        loop.quit();
    });
    QObject::connect(process, &QProcess::errorOccurred, &loop, [&](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart) {
            failedToStart = true;
            loop.quit();
        }
    });
    QTimer::singleShot(waitMs, &loop, &QEventLoop::quit);
    process->start();
    if (!finished && !failedToStart)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    QObject::disconnect(process, nullptr, &loop, nullptr);

    if (failedToStart) {
        process->deleteLater();
        result.error = QStringLiteral("xdg-email nelze spustit.");
        return result;
    }
    if (!finished) {
        QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
        result.ok = true;
        return result;
    }
    const bool clean = process->exitStatus() == QProcess::NormalExit && process->exitCode() == 0;
    const int code = process->exitCode();
    process->deleteLater();
    if (!clean) {
        result.error = QStringLiteral("xdg-email skončil s kódem %1.").arg(code);
        return result;
    }
    result.ok = true;
    return result;
}

QString mailErrorText()
{
    return QStringLiteral("Chyba při odesílání e-mailu!");
}

} // namespace pelmixi::printing
