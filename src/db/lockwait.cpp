#include "lockwait.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <chrono>
#include <thread>

namespace lockwait {

namespace {
Indicator &indicator()
{
    static Indicator installed;
    return installed;
}

} // namespace

bool canWaitWithEvents()
{
    const QCoreApplication *app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

int pollPause(int tries)
{
    return tries >= 4 ? 200 : 25 << tries;
}

QString lockRowTable()
{
    return QStringLiteral("CREATE TABLE IF NOT EXISTS pelmixi_zamek (\n  nazev VARCHAR(64) NOT NULL,\n"
                          "  n BIGINT NOT NULL DEFAULT 0,\n  PRIMARY KEY (nazev)\n) ENGINE=InnoDB");
}

void setIndicator(Indicator i)
{
    indicator() = std::move(i);
}

Scope::Scope(QString text)
    : m_text(std::move(text))
{
}

Scope::~Scope()
{
    if (m_close)
        m_close();
}

void Scope::setText(const QString &text)
{
    if (text == m_text)
        return;
    m_text = text;
    if (m_shown) {
        if (m_close)
            m_close();
        m_close = {};
        m_shown = false;
    }
}

void Scope::pause(int ms)
{
    if (!canWaitWithEvents()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        return;
    }
    if (!m_shown) {
        m_shown = true;
        if (indicator() && !m_text.isEmpty())
            m_close = indicator()(m_text);
    }
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

} // namespace lockwait
