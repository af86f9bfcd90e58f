#include "stockcardmodule.h"

#include "messages.h"
#include "paths.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <cmath>

namespace stockcard {

namespace {

QVariant field(const QVariantMap &line, const QString &name)
{
    for (auto it = line.begin(); it != line.end(); ++it) {
        if (it.key().compare(name, Qt::CaseInsensitive) == 0)
            return it.value();
    }
    return {};
}

QString text(const QVariantMap &line, const QString &name)
{
    return field(line, name).toString();
}

// lomeni as the line's text: a whole number without decimals.
QString lomeniText(const QVariantMap &line)
{
    const QVariant v = field(line, QStringLiteral("lomeni"));
    if (v.typeId() == QMetaType::Double) {
        const double d = v.toDouble();
        if (std::isfinite(d) && d == std::floor(d))
            return QString::number(qint64(d));
    }
    return v.toString();
}

} // namespace

QStringList cardArguments(const QVariantMap &line)
{
    return {QStringLiteral("/TK"), text(line, QStringLiteral("stredisko")), text(line, QStringLiteral("partiecela")),
            lomeniText(line)};
}

QStringList historyArguments(const QVariantMap &line)
{
    return {QStringLiteral("/HP"),
            text(line, QStringLiteral("partiecela")),
            lomeniText(line),
            text(line, QStringLiteral("partie")),
            text(line, QStringLiteral("nazevosiva")),
            text(line, QStringLiteral("stredisko"))};
}

QString programPath()
{
    const QString name = settings::read(ProgramKey).trimmed();
    if (name.isEmpty() || name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')))
        return name;
    const QString beside = paths::findCaseInsensitive(paths::programDir(), name);
    const QFileInfo info(beside);
    if (info.isFile() && info.isExecutable())
        return beside;
    const QString found = QStandardPaths::findExecutable(name);
    return found.isEmpty() ? name : found;
}

bool run(const QStringList &arguments)
{
    const QString program = programPath();
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setWorkingDirectory(QDir::currentPath());
    process.setProcessChannelMode(QProcess::ForwardedChannels);

    QEventLoop loop;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    process.start();
    if (!process.waitForStarted(-1)) {
        messages::show(QStringLiteral("Program skladových karet „%1“ nelze spustit.").arg(program), MessageIcon::Stop);
        return false;
    }
    // The windows keep painting while the stock-card program runs; what the operator does
    // meanwhile waits until it ends, as the program's own window has the focus.
    if (process.state() != QProcess::NotRunning)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    return true;
}

bool showStockCard(const QVariantMap &line)
{
    if (text(line, QStringLiteral("partiecela")).isEmpty())
        return false;
    return run(cardArguments(line));
}

bool showBatchHistory(const QVariantMap &line)
{
    if (text(line, QStringLiteral("partiecela")).isEmpty())
        return false;
    return run(historyArguments(line));
}

} // namespace stockcard
