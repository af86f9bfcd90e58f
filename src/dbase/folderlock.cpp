#include "folderlock.h"

#include "worktable.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace folderlock {

namespace {

struct Held {
    int fd = -1;
    int uses = 0;
};

QHash<QString, Held> &held()
{
    static QHash<QString, Held> h;
    return h;
}

QString key(const QString &dir)
{
    return QDir::cleanPath(QDir(dir).absolutePath());
}

} // namespace

void acquire(const QString &dir)
{
    const QString k = key(dir);
    auto it = held().find(k);
    if (it != held().end()) {
        ++it->uses;
        return;
    }
    if (!QDir().mkpath(k))
        throw WorkTableError(QStringLiteral("Složku pracovních tabulek %1 nelze vytvořit.").arg(QDir::toNativeSeparators(k)));
    const QByteArray path = QFile::encodeName(k + QLatin1Char('/') + QString::fromUtf16(LockFileName));
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        throw WorkTableError(QStringLiteral("Zámek pracovních tabulek %1 nelze otevřít.")
                                 .arg(QDir::toNativeSeparators(QFile::decodeName(path))));
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        ::close(fd);
        throw WorkTableError(QStringLiteral("Pracovní tabulky ve složce %1 používá jiná spuštěná instance programu "
                                            "pelmixi. Ukončete ji nebo spusťte program z jiné složky.")
                                 .arg(QDir::toNativeSeparators(k)));
    }
    held().insert(k, Held{fd, 1});
}

void release(const QString &dir)
{
    const QString k = key(dir);
    auto it = held().find(k);
    if (it == held().end())
        return;
    if (--it->uses > 0)
        return;
    ::flock(it->fd, LOCK_UN);
    ::close(it->fd);
    held().erase(it);
}

bool isHeld(const QString &dir)
{
    return held().contains(key(dir));
}

} // namespace folderlock
