// The update server is a plain FTP endpoint of the suite. The transfers run on a worker thread
// while the user-interface thread keeps its event loop (timers, painting) running; every step gives
// up after 15 seconds without progress. An installer is started only when the version file names
// its SHA-256 and the download matches it.
#include "updatecheck.h"

#include "cp1250.h"
#include "messages.h"
#include "paths.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSaveFile>
#include <QThread>
#include <QTimer>
#include <QUrl>
#include <curl/curl.h>
#include <memory>

namespace updatecheck {

namespace {

constexpr long TimeLimitSeconds = 15;
// The version file is a few lines; anything larger is not one.
constexpr qint64 VersionFileLimit = 64 * 1024;

QString fromUtf16(const char16_t *text)
{
    return QString::fromUtf16(text);
}

QStringList textLines(const QString &text)
{
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (QString &line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    return lines;
}

std::optional<QStringList> secondLineFields(const QString &versionFile)
{
    const QStringList lines = textLines(versionFile);
    if (lines.size() < 2)
        return std::nullopt;
    const QStringList fields = lines.at(1).split(QLatin1Char('\t'));
    if (fields.size() < 3)
        return std::nullopt;
    return fields;
}

QString stripped(QString stamp)
{
    stamp.remove(QLatin1Char(' '));
    stamp.remove(QLatin1Char('-'));
    stamp.remove(QLatin1Char(':'));
    return stamp;
}

QString executablePath()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationFilePath();
    return QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
}

// libcurl's global set-up is not thread-safe: it runs once, on the first caller's thread, before
// any transfer starts.
bool curlInitialised()
{
    static const bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    return initialised;
}

QByteArray hostForUrl(const QString &host)
{
    const QByteArray h = QUrl::toAce(host).isEmpty() ? host.toUtf8() : QUrl::toAce(host);
    if (host.contains(QLatin1Char(':')) && !host.startsWith(QLatin1Char('[')))
        return '[' + h + ']';
    return h;
}

// ftp://host:port/folder/file; a leading "/" of the folder is kept as %2F so that the server
// changes to the absolute folder.
QByteArray fileUrl(const ServerSettings &server, int port, const QString &fileName)
{
    QByteArray path;
    QString folder = server.folder.trimmed();
    if (folder.startsWith(QLatin1Char('/'))) {
        path = "%2F";
        folder.remove(0, 1);
    }
    const QStringList segments = folder.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString &segment : segments)
        path += QUrl::toPercentEncoding(segment) + '/';
    return "ftp://" + hostForUrl(server.host) + ':' + QByteArray::number(port) + '/' + path +
           QUrl::toPercentEncoding(fileName);
}

struct Sink {
    QSaveFile *file = nullptr;
    QCryptographicHash *hash = nullptr;
    QByteArray *memory = nullptr;
    qint64 limit = -1;
    qint64 received = 0;
};

size_t writeToSink(char *data, size_t size, size_t count, void *userData)
{
    auto *sink = static_cast<Sink *>(userData);
    const qint64 length = qint64(size * count);
    sink->received += length;
    if (sink->limit >= 0 && sink->received > sink->limit)
        return 0;
    if (sink->memory)
        sink->memory->append(data, length);
    if (sink->hash)
        sink->hash->addData(QByteArrayView(data, length));
    if (sink->file && sink->file->write(data, length) != length)
        return 0;
    return size_t(length);
}

// One control connection for both downloads; destroying it closes the connection.
class FtpSession {
public:
    FtpSession(const ServerSettings &server, int port)
        : m_server(server)
        , m_port(port)
    {
        m_handle = curlInitialised() ? curl_easy_init() : nullptr;
        m_user = server.user.toUtf8();
        m_password = server.password.toUtf8();
    }
    ~FtpSession()
    {
        if (m_handle)
            curl_easy_cleanup(m_handle);
    }
    FtpSession(const FtpSession &) = delete;
    FtpSession &operator=(const FtpSession &) = delete;

    QString lastError() const { return m_error; }
    bool digestMismatch() const { return m_digestMismatch; }

    // Downloads fileName into targetPath through a temporary file; the target is replaced only
    // after a complete transfer and, with an expected digest, a matching one.
    bool download(const QString &fileName, const QString &targetPath, qint64 limit, const QByteArray &expectedDigest,
                  QByteArray *content = nullptr)
    {
        if (!m_handle) {
            m_error = QStringLiteral("libcurl cannot be initialised");
            return false;
        }
        QSaveFile file(targetPath);
        if (!file.open(QIODevice::WriteOnly)) {
            m_error = targetPath + QStringLiteral(": ") + file.errorString();
            return false;
        }
        QCryptographicHash hash(QCryptographicHash::Sha256);
        Sink sink;
        sink.file = &file;
        sink.hash = &hash;
        sink.memory = content;
        sink.limit = limit;

        const QByteArray url = fileUrl(m_server, m_port, fileName);
        char errorBuffer[CURL_ERROR_SIZE] = {};
        CURL *h = m_handle;
        curl_easy_setopt(h, CURLOPT_URL, url.constData());
        curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "ftp");
        curl_easy_setopt(h, CURLOPT_ERRORBUFFER, errorBuffer);
        curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
        if (!m_server.user.isEmpty()) {
            curl_easy_setopt(h, CURLOPT_USERNAME, m_user.constData());
            curl_easy_setopt(h, CURLOPT_PASSWORD, m_password.constData());
        }
        // A newer installer must not travel in clear text when the server can do better.
        curl_easy_setopt(h, CURLOPT_USE_SSL, long(CURLUSESSL_TRY));
        curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, TimeLimitSeconds);
        curl_easy_setopt(h, CURLOPT_SERVER_RESPONSE_TIMEOUT, TimeLimitSeconds);
        curl_easy_setopt(h, CURLOPT_ACCEPTTIMEOUT_MS, TimeLimitSeconds * 1000);
        // A transfer may take longer than 15 s on a slow line; it fails when it stalls that long.
        curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
        curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, TimeLimitSeconds);
        // Active transfers listen on the address of the control connection: the system picks it,
        // not the host name's first address (often 127.0.1.1 on Linux).
        curl_easy_setopt(h, CURLOPT_FTPPORT, m_server.passive ? nullptr : "-");
        curl_easy_setopt(h, CURLOPT_FTP_FILEMETHOD, long(CURLFTPMETHOD_SINGLECWD));
        // Binary transfers: the client sends "TYPE I" before each download.
        curl_easy_setopt(h, CURLOPT_TRANSFERTEXT, 0L);
        curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, writeToSink);
        curl_easy_setopt(h, CURLOPT_WRITEDATA, &sink);

        const CURLcode code = curl_easy_perform(h);
        curl_easy_setopt(h, CURLOPT_ERRORBUFFER, nullptr);
        curl_easy_setopt(h, CURLOPT_WRITEDATA, nullptr);
        if (code != CURLE_OK) {
            m_error = QStringLiteral("%1: %2 (%3)")
                          .arg(fileName, QString::fromLocal8Bit(errorBuffer[0] ? errorBuffer : curl_easy_strerror(code)))
                          .arg(int(code));
            file.cancelWriting();
            return false;
        }
        if (!expectedDigest.isEmpty() && hash.result() != expectedDigest) {
            m_error = fileName + QStringLiteral(": SHA-256 does not match the version file");
            m_digestMismatch = true;
            file.cancelWriting();
            return false;
        }
        if (!file.commit()) {
            m_error = targetPath + QStringLiteral(": ") + file.errorString();
            return false;
        }
        return true;
    }

private:
    ServerSettings m_server;
    int m_port;
    QByteArray m_user;
    QByteArray m_password;
    CURL *m_handle = nullptr;
    QString m_error;
    bool m_digestMismatch = false;
};

void writeReport(const QString &path, const QString &text)
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(cp1250::encodeLossy(text));
        file.commit();
    }
}

void waitProcessingEvents(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

ServerSettings readServerSettings()
{
    ServerSettings s;
    s.host = settings::read(settings::keys::FTP, QString()).trimmed();
    s.user = settings::read(settings::keys::FTPuser, QString());
    s.password = settings::read(settings::keys::FTPpassword, QString());
    s.port = settings::read(settings::keys::FTPport);
    s.passive = settings::read(settings::keys::FTPpassive) != QLatin1String("False");
    s.folder = settings::read(FTPdir);
    return s;
}

std::optional<QString> remoteStamp(const QString &versionFile)
{
    const std::optional<QStringList> fields = secondLineFields(versionFile);
    if (!fields)
        return std::nullopt;
    return fields->at(2).left(19);
}

QByteArray installerDigest(const QString &versionFile)
{
    static const QRegularExpression sha256(QStringLiteral("^[0-9A-Fa-f]{64}$"));
    const std::optional<QStringList> fields = secondLineFields(versionFile);
    if (!fields || fields->size() < 4)
        return {};
    const QString digest = fields->at(3).trimmed();
    if (!sha256.match(digest).hasMatch())
        return {};
    return QByteArray::fromHex(digest.toLatin1());
}

QString localStamp(const QDateTime &modified)
{
    return modified.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString reportText(const QString &local, const QString &remote)
{
    return QStringLiteral("Verze programu: ") + local + QStringLiteral("\r\n") + QStringLiteral("Verze internet: ") +
           remote + QStringLiteral("\r\n");
}

char compareStamps(const QString &local, const QString &remote)
{
    return QString::compare(stripped(remote), stripped(local), Qt::CaseSensitive) > 0 ? Newer : NotNewer;
}

Exchange exchange(const ServerSettings &server, const QString &targetDir, const QDateTime &executableModified)
{
    Exchange x;
    if (server.host.isEmpty()) {
        x.result = Failed;
        x.detail = QStringLiteral("no update server configured (_FTP)");
        return x;
    }
    bool portOk = false;
    const int port = server.port.trimmed().toInt(&portOk);
    if (!portOk || port <= 0 || port > 65535) {
        x.result = Failed;
        x.detail = QStringLiteral("invalid _FTPport: ") + server.port;
        return x;
    }

    FtpSession session(server, port);
    QByteArray versionBytes;
    if (!session.download(fromUtf16(VersionFileName), targetDir + QLatin1Char('/') + fromUtf16(VersionFileName),
                          VersionFileLimit, {}, &versionBytes)) {
        x.result = Failed;
        x.detail = session.lastError();
        return x;
    }
    const QString versionFile = cp1250::decode(versionBytes);
    const std::optional<QString> remote = remoteStamp(versionFile);
    if (!remote) {
        x.result = Failed;
        x.detail = QStringLiteral("setuppel.ver has no build stamp on its second line");
        return x;
    }
    x.remoteStamp = *remote;
    x.localStamp = localStamp(executableModified);
    writeReport(targetDir + QLatin1Char('/') + fromUtf16(ReportFileName), reportText(x.localStamp, x.remoteStamp));

    x.result = compareStamps(x.localStamp, x.remoteStamp);
    if (x.result != Newer)
        return x;
    // Nothing unverified is fetched or started: the version file must name the installer's digest.
    const QByteArray digest = installerDigest(versionFile);
    if (digest.isEmpty()) {
        x.result = Failed;
        x.unverified = Unverified::NoDigest;
        x.detail = QStringLiteral("setuppel.ver names no SHA-256 of the installer");
        return x;
    }
    const QString installer = targetDir + QLatin1Char('/') + fromUtf16(InstallerFileName);
    if (!session.download(fromUtf16(InstallerFileName), installer, -1, digest)) {
        x.result = Failed;
        if (session.digestMismatch())
            x.unverified = Unverified::DigestMismatch;
        x.detail = session.lastError();
        return x;
    }
    QFile::setPermissions(installer, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    x.installerPath = installer;
    return x;
}

Exchange exchangeInBackground(const ServerSettings &server, const QString &targetDir,
                              const QDateTime &executableModified)
{
    if (!QCoreApplication::instance())
        return exchange(server, targetDir, executableModified);
    curlInitialised();
    Exchange x;
    std::unique_ptr<QThread> worker(
        QThread::create([&x, server, targetDir, executableModified] { x = exchange(server, targetDir, executableModified); }));
    QEventLoop loop;
    // Queued to this thread: a worker that ends before the loop runs still ends the loop.
    QObject::connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    worker->start();
    // Timers and painting go on; keys and clicks wait until the check is over, as while it blocked.
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker->wait();
    return x;
}

QString unverifiedMessage(Unverified reason)
{
    switch (reason) {
    case Unverified::NoDigest:
        return QStringLiteral("Novou verzi programu nelze ověřit: soubor verze neuvádí kontrolní součet SHA-256 "
                              "instalačního programu.\nProgram nebude aktualizován.");
    case Unverified::DigestMismatch:
        return QStringLiteral("Novou verzi programu nelze ověřit: stažený instalační program neodpovídá kontrolnímu "
                              "součtu SHA-256 ze souboru verze.\nProgram nebude aktualizován.");
    case Unverified::No:
        break;
    }
    return {};
}

bool startInstaller(const QString &installerPath, const QString &programDir, const QString &launcher)
{
    // One argument /DIR=<folder>/: the argument list reaches the installer as it is, so no quotes.
    QStringList arguments{QStringLiteral("/DIR=") + programDir + QStringLiteral("/")};
    QString program = installerPath;
    QStringList launcherParts = QProcess::splitCommand(launcher);
    if (!launcherParts.isEmpty()) {
        program = launcherParts.takeFirst();
        arguments = launcherParts + QStringList{installerPath} + arguments;
    }
    return QProcess::startDetached(program, arguments, programDir);
}

char run(const Hooks &hooks, Trigger trigger)
{
    const ServerSettings server = readServerSettings();
    if (server.host.isEmpty() && trigger == Trigger::Start)
        return NotNewer;

    const bool splash = bool(hooks.splashStatus);
    bool busyShown = false;
    if (splash) {
        hooks.splashStatus(QStringLiteral("kontrola nové verze"));
    } else if (hooks.showBusy) {
        hooks.showBusy(QStringLiteral("Tavrix05 - kontrola nové verze"));
        busyShown = true;
    }
    QCoreApplication::processEvents();

    const QString programDir = paths::programDir();
    const Exchange x = exchangeInBackground(server, programDir, QFileInfo(executablePath()).lastModified());
    if (!x.detail.isEmpty())
        qWarning("update check: %s", qPrintable(x.detail));

    if (busyShown && hooks.closeBusy)
        hooks.closeBusy();

    switch (x.result) {
    case Newer:
        messages::show(QStringLiteral("Nyní bude aktualizován program Krmné směsi.\nProgram bude restartován."),
                       MessageIcon::Information);
        QCoreApplication::processEvents();
        if (!startInstaller(x.installerPath, programDir, settings::read(InstallerLauncher))) {
            qWarning("update check: the installer %s could not be started", qPrintable(x.installerPath));
            messages::show(QStringLiteral("Chyba připojení."), MessageIcon::Stop);
            return Failed;
        }
        if (hooks.endProgram)
            hooks.endProgram();
        return Newer;
    case Failed:
        if (x.unverified != Unverified::No)
            messages::show(unverifiedMessage(x.unverified), MessageIcon::Stop);
        else
            messages::show(QStringLiteral("Chyba připojení."), MessageIcon::Stop);
        return Failed;
    default:
        if (splash) {
            hooks.splashStatus(QStringLiteral("kontrola nové verze - není nová verze"));
            waitProcessingEvents(1500);
        } else {
            messages::show(QStringLiteral("Není nová verze."), MessageIcon::Information);
        }
        return NotNewer;
    }
}

} // namespace updatecheck
