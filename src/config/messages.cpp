#include "messages.h"

#include <cstdio>

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

void standardError(const QString &text)
{
    show(Message{text, 1, QStringLiteral("OK"), MessageIcon::Stop});
}

} // namespace messages
