#include "messages.h"

#include <cstdio>
#include <initializer_list>

namespace {

class StderrPort final : public MessagePort {
public:
    int show(const Message &message) override
    {
        std::fprintf(stderr, "%s\n", message.text.toLocal8Bit().constData());
        return 1;
    }
};

StderrPort stderrPort;
MessagePort *installed = nullptr;

} // namespace

namespace messages {

void install(MessagePort *port)
{
    installed = port;
}

MessagePort *current()
{
    return installed ? installed : &stderrPort;
}

int show(const Message &message)
{
    return current()->show(message);
}

int show(const QString &text, MessageIcon icon, int buttons, const QString &firstButton, const QString &secondButton)
{
    return show(Message{text, buttons, firstButton, icon, secondButton});
}

QString withCzechLead(const QString &text)
{
    struct Kind {
        const char *lead;
        std::initializer_list<const char *> patterns;
    };
    // Order matters: "execv: Permission denied" is a program that did not start, not a file.
    static const Kind kinds[] = {
        {"Spojení s databázovým serverem bylo přerušeno.",
         {"Lost connection to", "server has gone away", "Connection was killed", "Server shutdown in progress",
          "Connection reset by peer"}},
        {"Nelze se připojit k databázovému serveru.",
         {"Can't connect to", "Unknown server host", "Unknown MySQL server host", "Too many connections"}},
        {"Databázový server odmítl přístup.",
         {"Access denied for", "command denied to", "is not allowed to connect", "Host is blocked"}},
        {"Program nelze spustit.", {"execv", "execve", "failed to start", "Failed to start"}},
        {"Soubor nelze zapsat.",
         {"No such file or directory", "Permission denied", "Read-only file system", "No space left on device",
          "Disk quota exceeded", "Is a directory"}},
    };
    // A text whose first line already says in Czech what failed is shown as it is.
    const QString firstLine = text.section(QLatin1Char('\n'), 0, 0);
    if (firstLine.contains(QStringLiteral("nelze"), Qt::CaseInsensitive) ||
        firstLine.contains(QStringLiteral("Spojení s databázovým serverem"), Qt::CaseInsensitive))
        return text;
    for (const Kind &kind : kinds) {
        for (const char *pattern : kind.patterns) {
            if (text.contains(QLatin1String(pattern), Qt::CaseInsensitive))
                return QString::fromUtf8(kind.lead) + QLatin1Char('\n') + text;
        }
    }
    return text;
}

void standardError(const QString &text)
{
    show(Message{withCzechLead(text), 1, QStringLiteral("OK"), MessageIcon::Stop});
}

} // namespace messages
