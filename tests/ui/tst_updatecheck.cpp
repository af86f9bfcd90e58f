// The update check against a real FTP server on loopback (pyftpdlib, started here): stamps,
// verze.log, passive and active transfers, the installer download, its verification and its
// start, the messages, and the event loop that keeps running (busy window included) while a
// silent server is waited for.
#include "testsupport.h"
#include "tpracuji.h"
#include "updatecheck.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QPointer>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace updatecheck;

namespace {

const QString User = u"aktualizace"_s;
const QString Password = u"k8Ls-0pq2"_s;
const QString Folder = u"krmne/smesi"_s;

// A port nobody listens on right now.
int freePort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length) != 0) {
        ::close(fd);
        return 0;
    }
    ::close(fd);
    return ntohs(address.sin_port);
}

bool accepts(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(quint16(port));
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    ::close(fd);
    return ok;
}

QString stampOf(const QDateTime &t)
{
    return t.toString(u"yyyy-MM-dd HH:mm:ss"_s);
}

QByteArray versionFile(const QString &stamp, const QByteArray &digestHex = {})
{
    QByteArray line2 = "pelmixi\t1.0.0.2\t" + stamp.toLatin1() + " Krmn\xe9 sm\xecsi";
    if (!digestHex.isEmpty())
        line2 += '\t' + digestHex;
    return "Tavrix05 - aktualizace\r\n" + line2 + "\r\n";
}

void writeFile(const QString &path, const QByteArray &content)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(content);
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The stand-in installer: records its arguments and its working folder.
const QByteArray StandInInstaller = "#!/bin/sh\nprintf '%s\\n' \"$#\" \"$@\" \"$(pwd)\" > installer-args.txt\n";

QByteArray digestOf(const QByteArray &content)
{
    return QCryptographicHash::hash(content, QCryptographicHash::Sha256).toHex();
}

// A server that accepts connections and never says a word: a listening socket nobody accepts on
// (the kernel completes the connection from its backlog).
class SilentServer {
public:
    SilentServer()
    {
        m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (::bind(m_fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0 && ::listen(m_fd, 8) == 0 &&
            ::getsockname(m_fd, reinterpret_cast<sockaddr *>(&address), &length) == 0)
            m_port = ntohs(address.sin_port);
    }
    ~SilentServer() { ::close(m_fd); }
    SilentServer(const SilentServer &) = delete;
    SilentServer &operator=(const SilentServer &) = delete;
    int port() const { return m_port; }

private:
    int m_fd = -1;
    int m_port = 0;
};

// Counts paint events of a widget.
class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return QObject::eventFilter(watched, event);
    }
};

struct Recorded {
    QStringList calls;
    Hooks hooks(bool withSplash)
    {
        Hooks h;
        if (withSplash)
            h.splashStatus = [this](const QString &t) { calls += u"splash: "_s + t; };
        h.showBusy = [this](const QString &t) { calls += u"busy: "_s + t; };
        h.closeBusy = [this] { calls += u"busy closed"_s; };
        h.endProgram = [this] { calls += u"end"_s; };
        return h;
    }
};

} // namespace

class TestUpdateCheck : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void remoteStampFromVersionFile_data();
    void remoteStampFromVersionFile();
    void digestField_data();
    void digestField();
    void localStampHasTwoHourDigits_data();
    void localStampHasTwoHourDigits();
    void comparison_data();
    void comparison();
    void serverSettings_data();
    void serverSettings();

    void exchangeWithServer_data();
    void exchangeWithServer();
    void installerVerification_data();
    void installerVerification();
    void unreachableServer_data();
    void unreachableServer();

    void checkFromMenu_data();
    void checkFromMenu();
    void unverifiedInstallerIsNotStarted_data();
    void unverifiedInstallerIsNotStarted();
    void eventLoopRunsDuringTransfer_data();
    void eventLoopRunsDuringTransfer();
    void noServerConfigured();
    void installerThatCannotStart();

private:
    ServerSettings server(bool passive = true) const;
    QString served(const QString &name) const { return m_root.path() + u"/"_s + Folder + u"/"_s + name; }
    QString local(const QString &name) const { return m_installation->programDir() + u"/"_s + name; }
    void configureSuite(bool passive = true) const;
    QString serverLog() const { return QString::fromUtf8(readFile(m_logPath)); }

    QTemporaryDir m_root;
    QString m_logPath;
    QProcess m_server;
    int m_port = 0;
    std::unique_ptr<testsupport::Installation> m_installation;
    std::unique_ptr<testsupport::MessageRecorder> m_messages;
};

void TestUpdateCheck::initTestCase()
{
    QVERIFY(m_root.isValid());
    QVERIFY(QDir(m_root.path()).mkpath(Folder));
    m_logPath = m_root.path() + u"/ftp.log"_s;
    m_port = freePort();
    QVERIFY(m_port > 0);
    // Appending, so that each test can empty the log and read only its own session.
    m_server.setStandardOutputFile(m_logPath, QIODevice::Append);
    m_server.setStandardErrorFile(m_logPath, QIODevice::Append);
    m_server.start(u"/usr/bin/python3"_s, {u"-m"_s, u"pyftpdlib"_s, u"-i"_s, u"127.0.0.1"_s, u"-p"_s,
                                          QString::number(m_port), u"-w"_s, u"-d"_s, m_root.path(), u"-u"_s, User,
                                          u"-P"_s, Password, u"-r"_s, u"30000-30100"_s, u"-D"_s});
    QVERIFY2(m_server.waitForStarted(), qPrintable(m_server.errorString()));
    QTRY_VERIFY_WITH_TIMEOUT(accepts(m_port), 10000);
}

void TestUpdateCheck::cleanupTestCase()
{
    m_server.terminate();
    m_server.waitForFinished();
}

void TestUpdateCheck::init()
{
    m_installation = std::make_unique<testsupport::Installation>(u"t_ui_updatecheck"_s);
    m_messages = std::make_unique<testsupport::MessageRecorder>();
    for (const QString &name : QDir(m_root.path() + u"/"_s + Folder).entryList(QDir::Files))
        QFile::remove(served(name));
    QFile::resize(m_logPath, 0);
}

void TestUpdateCheck::cleanup()
{
    m_messages.reset();
    m_installation.reset();
}

ServerSettings TestUpdateCheck::server(bool passive) const
{
    ServerSettings s;
    s.host = u"127.0.0.1"_s;
    s.user = User;
    s.password = Password;
    s.port = QString::number(m_port);
    s.passive = passive;
    s.folder = Folder;
    return s;
}

void TestUpdateCheck::configureSuite(bool passive) const
{
    m_installation->writeSuiteIni(u"LogON"_s, u"_FTP"_s, u"127.0.0.1"_s);
    m_installation->writeSuiteIni(u"LogON"_s, u"_FTPuser"_s, User);
    m_installation->writeSuiteIni(u"LogON"_s, u"_FTPpassword"_s, Password);
    m_installation->writeSuiteIni(u"LogON"_s, u"_FTPport"_s, QString::number(m_port));
    m_installation->writeSuiteIni(u"LogON"_s, u"_FTPdir"_s, u"/"_s + Folder);
    if (!passive)
        m_installation->writeSuiteIni(u"LogON"_s, u"_FTPpassive"_s, u"False"_s);
}

void TestUpdateCheck::remoteStampFromVersionFile_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QString>("stamp");
    QTest::newRow("CR LF") << u"hlavička\r\npelmixi\t1.0\t2020-03-07 14:05:09 sestaveno\r\n"_s << true
                           << u"2020-03-07 14:05:09"_s;
    QTest::newRow("LF, no final break") << u"h\na\tb\t2020-03-07 14:05:09"_s << true << u"2020-03-07 14:05:09"_s;
    QTest::newRow("more lines and fields") << u"h\na\tb\t2021-01-02 03:04:05xyz\tsha\nx\ty\tz\n"_s << true
                                           << u"2021-01-02 03:04:05"_s;
    QTest::newRow("short third field") << u"h\na\tb\t2021\n"_s << true << u"2021"_s;
    QTest::newRow("empty third field") << u"h\na\tb\t\n"_s << true << QString();
    QTest::newRow("one line") << u"pelmixi\t1.0\t2020-03-07 14:05:09\r\n"_s << false << QString();
    QTest::newRow("empty file") << QString() << false << QString();
    QTest::newRow("two fields") << u"h\npelmixi\t2020-03-07 14:05:09\n"_s << false << QString();
    QTest::newRow("empty second line") << u"h\n\n"_s << false << QString();
}

void TestUpdateCheck::remoteStampFromVersionFile()
{
    QFETCH(QString, file);
    QFETCH(bool, valid);
    QFETCH(QString, stamp);
    const std::optional<QString> found = remoteStamp(file);
    QCOMPARE(found.has_value(), valid);
    if (valid)
        QCOMPARE(*found, stamp);
}

void TestUpdateCheck::digestField_data()
{
    const QString hex = QString::fromLatin1(QCryptographicHash::hash("x", QCryptographicHash::Sha256).toHex());
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("digest");
    QTest::newRow("fourth field") << u"h\na\tb\tc\t"_s + hex + u"\r\n"_s
                                  << QCryptographicHash::hash("x", QCryptographicHash::Sha256);
    QTest::newRow("upper case") << u"h\na\tb\tc\t"_s + hex.toUpper() << QCryptographicHash::hash("x", QCryptographicHash::Sha256);
    QTest::newRow("none") << u"h\na\tb\tc\n"_s << QByteArray();
    QTest::newRow("not a digest") << u"h\na\tb\tc\tverze 2\n"_s << QByteArray();
    QTest::newRow("too short") << u"h\na\tb\tc\t"_s + hex.left(63) << QByteArray();
}

void TestUpdateCheck::digestField()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, digest);
    QCOMPARE(installerDigest(file), digest);
}

void TestUpdateCheck::localStampHasTwoHourDigits_data()
{
    QTest::addColumn<QDateTime>("modified");
    QTest::addColumn<QString>("stamp");
    QTest::newRow("five past nine") << QDateTime(QDate(2020, 3, 7), QTime(9, 5, 0)) << u"2020-03-07 09:05:00"_s;
    QTest::newRow("afternoon") << QDateTime(QDate(2020, 3, 7), QTime(14, 5, 8)) << u"2020-03-07 14:05:08"_s;
    QTest::newRow("midnight") << QDateTime(QDate(2020, 12, 31), QTime(0, 0, 1)) << u"2020-12-31 00:00:01"_s;
}

void TestUpdateCheck::localStampHasTwoHourDigits()
{
    QFETCH(QDateTime, modified);
    QFETCH(QString, stamp);
    QCOMPARE(localStamp(modified), stamp);
}

void TestUpdateCheck::comparison_data()
{
    QTest::addColumn<QString>("local");
    QTest::addColumn<QString>("remote");
    QTest::addColumn<char>("result");
    QTest::newRow("one second newer") << u"2020-03-07 14:05:08"_s << u"2020-03-07 14:05:09"_s << Newer;
    QTest::newRow("equal") << u"2020-03-07 14:05:09"_s << u"2020-03-07 14:05:09"_s << NotNewer;
    QTest::newRow("older") << u"2020-03-07 14:05:09"_s << u"2019-12-31 23:59:59"_s << NotNewer;
    QTest::newRow("next day in the morning") << u"2020-03-07 23:00:00"_s << u"2020-03-08 09:00:00"_s << Newer;
    QTest::newRow("empty remote") << u"2020-03-07 14:05:09"_s << QString() << NotNewer;
    // Another format compares by its characters: "/" sorts before the digits.
    QTest::newRow("other format") << u"2020-03-07 14:05:09"_s << u"2020/03/08 10:00:00"_s << NotNewer;
}

void TestUpdateCheck::comparison()
{
    QFETCH(QString, local);
    QFETCH(QString, remote);
    QFETCH(char, result);
    QCOMPARE(compareStamps(local, remote), result);
}

void TestUpdateCheck::serverSettings_data()
{
    QTest::addColumn<QString>("passiveValue");
    QTest::addColumn<bool>("passive");
    QTest::newRow("missing") << QString() << true;
    QTest::newRow("False") << u"False"_s << false;
    QTest::newRow("false") << u"false"_s << true;
    QTest::newRow("FALSE") << u"FALSE"_s << true;
    QTest::newRow("True") << u"True"_s << true;
    QTest::newRow("empty") << u""_s << true;
}

void TestUpdateCheck::serverSettings()
{
    QFETCH(QString, passiveValue);
    QFETCH(bool, passive);
    if (!passiveValue.isNull())
        m_installation->writeSuiteIni(u"LogON"_s, u"_FTPpassive"_s, passiveValue);
    const ServerSettings s = readServerSettings();
    QCOMPARE(s.passive, passive);
    // No server, account or password is built into the program.
    QCOMPARE(s.host, QString());
    QCOMPARE(s.user, QString());
    QCOMPARE(s.password, QString());
    QCOMPARE(s.port, u"21"_s);
    QCOMPARE(s.folder, QString());
}

void TestUpdateCheck::exchangeWithServer_data()
{
    QTest::addColumn<bool>("passive");
    QTest::addColumn<int>("secondsNewer");
    QTest::addColumn<char>("result");
    for (const bool passive : {true, false}) {
        const char *mode = passive ? "passive" : "active";
        QTest::addRow("%s, newer by one second", mode) << passive << 1 << Newer;
        QTest::addRow("%s, equal", mode) << passive << 0 << NotNewer;
        QTest::addRow("%s, older", mode) << passive << -3600 << NotNewer;
    }
}

void TestUpdateCheck::exchangeWithServer()
{
    QFETCH(bool, passive);
    QFETCH(int, secondsNewer);
    QFETCH(char, result);
    const QDateTime built(QDate(2020, 3, 7), QTime(9, 5, 0));
    const QString remote = stampOf(built.addSecs(secondsNewer));
    writeFile(served(u"setuppel.ver"_s), versionFile(remote, digestOf(StandInInstaller)));
    writeFile(served(u"setuppel.exe"_s), StandInInstaller);
    writeFile(local(u"setuppel.exe"_s), "older copy");

    const Exchange x = exchange(server(passive), m_installation->programDir(), built);
    QVERIFY2(x.result == result, qPrintable(x.detail));
    QCOMPARE(x.remoteStamp, remote);
    QCOMPARE(x.localStamp, u"2020-03-07 09:05:00"_s);
    QCOMPARE(readFile(local(u"setuppel.ver"_s)), versionFile(remote, digestOf(StandInInstaller)));
    QCOMPARE(QString::fromLatin1(readFile(local(u"verze.log"_s))),
             u"Verze programu: 2020-03-07 09:05:00\r\nVerze internet: "_s + remote + u"\r\n"_s);
    if (result == Newer) {
        QCOMPARE(x.installerPath, local(u"setuppel.exe"_s));
        QCOMPARE(readFile(local(u"setuppel.exe"_s)), StandInInstaller);
        QVERIFY(QFileInfo(local(u"setuppel.exe"_s)).isExecutable());
    } else {
        QCOMPARE(readFile(local(u"setuppel.exe"_s)), QByteArray("older copy"));
    }
    // Only the named files stay behind: no half-written temporary copies.
    QCOMPARE(QDir(m_installation->programDir()).entryList({u"setuppel*"_s}, QDir::Files),
             (QStringList{u"setuppel.exe"_s, u"setuppel.ver"_s}));

    const QString log = serverLog();
    QVERIFY(log.contains(u"<- CWD krmne/smesi"_s));
    QVERIFY(log.contains(u"<- TYPE I"_s));
    QVERIFY(log.contains(u"<- RETR setuppel.ver"_s));
    QCOMPARE(log.contains(u"<- RETR setuppel.exe"_s), result == Newer);
    if (passive) {
        QVERIFY(log.contains(u"<- EPSV"_s) || log.contains(u"<- PASV"_s));
        QVERIFY(!log.contains(u"<- EPRT"_s) && !log.contains(u"<- PORT"_s));
    } else {
        QVERIFY(log.contains(u"<- EPRT"_s) || log.contains(u"<- PORT"_s));
        QVERIFY(!log.contains(u"<- EPSV"_s) && !log.contains(u"<- PASV"_s));
    }
    // One login for both files, and the connection is closed at the end.
    QCOMPARE(log.count(u"<- USER "_s), 1);
    QTRY_VERIFY(serverLog().contains(u"FTP session closed"_s));
}

void TestUpdateCheck::installerVerification_data()
{
    QTest::addColumn<QByteArray>("digestHex");
    QTest::addColumn<char>("result");
    QTest::newRow("matching digest") << QCryptographicHash::hash(StandInInstaller, QCryptographicHash::Sha256).toHex()
                                     << Newer;
    QTest::newRow("other digest") << QCryptographicHash::hash("something else", QCryptographicHash::Sha256).toHex()
                                  << Failed;
    // Without a digest to check it against, the installer is not downloaded at all.
    QTest::newRow("no digest") << QByteArray() << Failed;
}

void TestUpdateCheck::installerVerification()
{
    QFETCH(QByteArray, digestHex);
    QFETCH(char, result);
    const QDateTime built(QDate(2020, 3, 7), QTime(14, 5, 8));
    writeFile(served(u"setuppel.ver"_s), versionFile(stampOf(built.addSecs(1)), digestHex));
    writeFile(served(u"setuppel.exe"_s), StandInInstaller);
    writeFile(local(u"setuppel.exe"_s), "older copy");
    const Exchange x = exchange(server(), m_installation->programDir(), built);
    QCOMPARE(x.result, result);
    QCOMPARE(readFile(local(u"setuppel.exe"_s)), result == Newer ? StandInInstaller : QByteArray("older copy"));
    QCOMPARE(QDir(m_installation->programDir()).entryList({u"setuppel.exe*"_s}, QDir::Files).size(), 1);
}

void TestUpdateCheck::unreachableServer_data()
{
    QTest::addColumn<QString>("what");
    QTest::newRow("closed port") << u"port"_s;
    QTest::newRow("wrong password") << u"password"_s;
    QTest::newRow("missing version file") << u"missing"_s;
    QTest::newRow("version file of one line") << u"one line"_s;
    QTest::newRow("missing installer") << u"no installer"_s;
    QTest::newRow("wrong folder") << u"folder"_s;
    QTest::newRow("port not a number") << u"bad port"_s;
}

void TestUpdateCheck::unreachableServer()
{
    QFETCH(QString, what);
    const QDateTime built(QDate(2020, 3, 7), QTime(14, 5, 8));
    ServerSettings s = server();
    if (what == u"port"_s)
        s.port = QString::number(freePort());
    if (what == u"password"_s)
        s.password = u"spatne"_s;
    if (what == u"folder"_s)
        s.folder = u"jinde"_s;
    if (what == u"bad port"_s)
        s.port = u"ftp"_s;
    if (what != u"missing"_s)
        writeFile(served(u"setuppel.ver"_s), what == u"one line"_s ? QByteArray("pelmixi\t1\t2030-01-01 00:00:00\r\n")
                                                                      : versionFile(stampOf(built.addSecs(1)),
                                                                                    digestOf(StandInInstaller)));
    if (what != u"no installer"_s)
        writeFile(served(u"setuppel.exe"_s), StandInInstaller);

    const Exchange x = exchange(s, m_installation->programDir(), built);
    QCOMPARE(x.result, Failed);
    QVERIFY(!x.detail.isEmpty());
    QVERIFY(!QFileInfo::exists(local(u"setuppel.exe"_s)));
    // verze.log is written only once both stamps are known.
    QCOMPARE(QFileInfo::exists(local(u"verze.log"_s)), what == u"no installer"_s);
}

void TestUpdateCheck::checkFromMenu_data()
{
    QTest::addColumn<bool>("passive");
    QTest::addColumn<bool>("splash");
    QTest::addColumn<int>("secondsNewer");
    QTest::addColumn<char>("result");
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<QString>("message");
    const QString busy = u"busy: Tavrix05 - kontrola nové verze"_s;
    const QString newer = u"Nyní bude aktualizován program Krmné směsi.\nProgram bude restartován."_s;
    QTest::newRow("newer, passive") << true << false << 1 << Newer << QStringList{busy, u"busy closed"_s, u"end"_s}
                                    << newer;
    QTest::newRow("newer, active") << false << false << 1 << Newer << QStringList{busy, u"busy closed"_s, u"end"_s}
                                   << newer;
    QTest::newRow("newer, splash") << true << true << 1 << Newer
                                   << QStringList{u"splash: kontrola nové verze"_s, u"end"_s} << newer;
    QTest::newRow("equal") << true << false << 0 << NotNewer << QStringList{busy, u"busy closed"_s}
                           << u"Není nová verze."_s;
    QTest::newRow("equal, splash") << true << true << 0 << NotNewer
                                   << QStringList{u"splash: kontrola nové verze"_s,
                                                  u"splash: kontrola nové verze - není nová verze"_s}
                                   << QString();
}

void TestUpdateCheck::checkFromMenu()
{
    QFETCH(bool, passive);
    QFETCH(bool, splash);
    QFETCH(int, secondsNewer);
    QFETCH(char, result);
    QFETCH(QStringList, calls);
    QFETCH(QString, message);
    configureSuite(passive);
    const QDateTime built = QFileInfo(QCoreApplication::applicationFilePath()).lastModified();
    writeFile(served(u"setuppel.ver"_s), versionFile(stampOf(built.addSecs(secondsNewer)), digestOf(StandInInstaller)));
    writeFile(served(u"setuppel.exe"_s), StandInInstaller);

    Recorded recorded;
    QCOMPARE(run(recorded.hooks(splash), Trigger::Menu), result);
    QCOMPARE(recorded.calls, calls);
    QCOMPARE(serverLog().contains(u"<- EPRT"_s) || serverLog().contains(u"<- PORT"_s), !passive);
    QCOMPARE(m_messages->texts(), message.isEmpty() ? QStringList() : QStringList{message});
    if (!message.isEmpty())
        QCOMPARE(m_messages->shown.last().icon, MessageIcon::Information);
    if (result == Newer) {
        // The installer was started in the program folder with the folder as its one argument,
        // without quote characters.
        const QString args = local(u"installer-args.txt"_s);
        QTRY_VERIFY(QFileInfo(args).size() > 0);
        QCOMPARE(QString::fromUtf8(readFile(args)), u"1\n/DIR="_s + m_installation->programDir() + u"/\n"_s +
                                                        QDir(m_installation->programDir()).canonicalPath() + u"\n"_s);
    } else {
        QVERIFY(!QFileInfo::exists(local(u"setuppel.exe"_s)));
    }
}

void TestUpdateCheck::noServerConfigured()
{
    // Nothing is built in: without _FTP the check contacts nobody.
    Recorded recorded;
    QCOMPARE(run(recorded.hooks(true), Trigger::Start), NotNewer);
    QVERIFY(recorded.calls.isEmpty());
    QVERIFY(m_messages->shown.isEmpty());

    QCOMPARE(run(recorded.hooks(false), Trigger::Menu), Failed);
    QCOMPARE(recorded.calls, (QStringList{u"busy: Tavrix05 - kontrola nové verze"_s, u"busy closed"_s}));
    QCOMPARE(m_messages->texts(), QStringList{u"Chyba připojení."_s});
    QCOMPARE(m_messages->shown.last().icon, MessageIcon::Stop);
    QVERIFY(serverLog().isEmpty() || !serverLog().contains(u"<- USER"_s));

    // A configured but unreachable server fails at start-up too.
    configureSuite();
    m_installation->writeSuiteIni(u"LogON"_s, u"_FTPport"_s, QString::number(freePort()));
    QCOMPARE(run(recorded.hooks(true), Trigger::Start), Failed);
    QCOMPARE(m_messages->texts(), (QStringList{u"Chyba připojení."_s, u"Chyba připojení."_s}));
}

void TestUpdateCheck::installerThatCannotStart()
{
    // A file that is neither a binary nor a script cannot be executed directly; a configured
    // launcher runs it.
    configureSuite();
    const QDateTime built = QFileInfo(QCoreApplication::applicationFilePath()).lastModified();
    QByteArray withoutInterpreter = StandInInstaller;
    withoutInterpreter.remove(0, withoutInterpreter.indexOf('\n') + 1);
    writeFile(served(u"setuppel.ver"_s), versionFile(stampOf(built.addSecs(60)), digestOf(withoutInterpreter)));
    writeFile(served(u"setuppel.exe"_s), withoutInterpreter);

    Recorded recorded;
    QCOMPARE(run(recorded.hooks(false), Trigger::Menu), Failed);
    QVERIFY(!recorded.calls.contains(u"end"_s));
    QCOMPARE(m_messages->texts(),
             (QStringList{u"Nyní bude aktualizován program Krmné směsi.\nProgram bude restartován."_s,
                          u"Chyba připojení."_s}));

    m_installation->writeModuleIni(u"Programy"_s, u"Instalator"_s, u"/bin/sh"_s);
    recorded.calls.clear();
    QCOMPARE(run(recorded.hooks(false), Trigger::Menu), Newer);
    QVERIFY(recorded.calls.contains(u"end"_s));
    const QString args = local(u"installer-args.txt"_s);
    QTRY_VERIFY(QFileInfo(args).size() > 0);
    QVERIFY(QString::fromUtf8(readFile(args)).startsWith(u"1\n/DIR="_s + m_installation->programDir() + u"/\n"_s));
}

void TestUpdateCheck::unverifiedInstallerIsNotStarted_data()
{
    QTest::addColumn<QByteArray>("digestHex");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("downloaded");
    QTest::newRow("no digest") << QByteArray() << unverifiedMessage(Unverified::NoDigest) << false;
    QTest::newRow("not a digest") << QByteArray("sha256-missing") << unverifiedMessage(Unverified::NoDigest) << false;
    QTest::newRow("other digest") << digestOf("another installer") << unverifiedMessage(Unverified::DigestMismatch)
                                  << true;
}

void TestUpdateCheck::unverifiedInstallerIsNotStarted()
{
    QFETCH(QByteArray, digestHex);
    QFETCH(QString, message);
    QFETCH(bool, downloaded);
    configureSuite();
    const QDateTime built = QFileInfo(QCoreApplication::applicationFilePath()).lastModified();
    writeFile(served(u"setuppel.ver"_s), versionFile(stampOf(built.addSecs(60)), digestHex));
    writeFile(served(u"setuppel.exe"_s), StandInInstaller);

    Recorded recorded;
    QCOMPARE(run(recorded.hooks(false), Trigger::Menu), Failed);
    QVERIFY(!recorded.calls.contains(u"end"_s));
    QCOMPARE(m_messages->texts(), QStringList{message});
    QVERIFY(message.contains(u"nelze ověřit"_s));
    QCOMPARE(m_messages->shown.last().icon, MessageIcon::Stop);
    QCOMPARE(serverLog().contains(u"<- RETR setuppel.exe"_s), downloaded);
    // Nothing runnable is left behind, and the stand-in never ran.
    QVERIFY(!QFileInfo::exists(local(u"setuppel.exe"_s)));
    QVERIFY(!QFileInfo::exists(local(u"installer-args.txt"_s)));
}

void TestUpdateCheck::eventLoopRunsDuringTransfer_data()
{
    QTest::addColumn<bool>("silent");
    QTest::newRow("silent server") << true;
    QTest::newRow("real server") << false;
}

void TestUpdateCheck::eventLoopRunsDuringTransfer()
{
    QFETCH(bool, silent);
    configureSuite();
    SilentServer quiet;
    if (silent) {
        QVERIFY(quiet.port() > 0);
        m_installation->writeSuiteIni(u"LogON"_s, u"_FTPport"_s, QString::number(quiet.port()));
    }
    const QDateTime built = QFileInfo(QCoreApplication::applicationFilePath()).lastModified();
    writeFile(served(u"setuppel.ver"_s), versionFile(stampOf(built), digestOf(StandInInstaller)));

    // The real busy window, as the main window shows it, with its bar's paints counted.
    QWidget mainWindow;
    mainWindow.resize(800, 600);
    mainWindow.show();
    QPointer<Tpracuji> busy;
    PaintCounter counter;
    int barAtShow = 0;
    QSet<int> barPositions;
    Hooks hooks;
    hooks.showBusy = [&](const QString &text) {
        busy = new Tpracuji(&mainWindow);
        busy->setText(text);
        busy->findChild<QWidget *>(u"waitBar"_s)->installEventFilter(&counter);
        busy->showInFront();
        barAtShow = counter.paints;
    };
    hooks.closeBusy = [&] {
        if (busy)
            busy->close();
    };
    // A timer of the user-interface thread, as the bar's own: it must keep firing during the transfer.
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        ++ticks;
        if (busy)
            barPositions.insert(busy->findChild<WaitBar *>()->blockPosition());
        if (const QString shots = qEnvironmentVariable("PELMIXI_SHOTS"); busy && !shots.isEmpty() && ticks % 40 == 0)
            busy->grab().save(shots + u"/busy-update-check-%1.png"_s.arg(ticks / 40));
    });
    timer.start(50);

    const char result = run(hooks, Trigger::Menu);
    timer.stop();
    QCOMPARE(result, silent ? Failed : NotNewer);
    QCOMPARE(m_messages->texts(), QStringList{silent ? u"Chyba připojení."_s : u"Není nová verze."_s});
    QVERIFY(!busy || !busy->isVisible());
    if (silent) {
        // Fifteen seconds of waiting: the timer fired, the bar moved and was painted again and again.
        QVERIFY2(ticks >= 20, qPrintable(QString::number(ticks)));
        QVERIFY2(barPositions.size() >= 10, qPrintable(QString::number(barPositions.size())));
        QVERIFY2(counter.paints - barAtShow >= 10, qPrintable(QString::number(counter.paints - barAtShow)));
    }
}

QTEST_MAIN(TestUpdateCheck)
#include "tst_updatecheck.moc"
