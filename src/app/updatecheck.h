// The program update check: compares the build stamp on the suite's update server with the
// running executable's and, when the server's build is newer, fetches the installer and starts it.
// Free of the application's windows: the caller passes its splash and busy window as hooks.
#pragma once

#include "settings.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <functional>
#include <optional>

namespace updatecheck {

// Results of the exchange with the server.
inline constexpr char Newer = 'A';    // a newer build was downloaded
inline constexpr char NotNewer = 'N'; // equal or older
inline constexpr char Failed = 'E';   // connection or transfer failed

inline constexpr const settings::Key &FTPdir = settings::keys::FTPdir;
inline constexpr const settings::Key &InstallerLauncher = settings::keys::Instalator;

inline constexpr auto VersionFileName = u"setuppel.ver";
inline constexpr auto InstallerFileName = u"setuppel.exe";
inline constexpr auto ReportFileName = u"verze.log";

struct ServerSettings {
    QString host;     // empty: no update server configured, nothing is contacted
    QString user;     // empty: anonymous login
    QString password;
    QString port = QStringLiteral("21");
    bool passive = true;
    QString folder;
};

// The five LogON keys plus the folder. No server or account is built into the program: host, user
// and password are empty unless the suite file names them.
ServerSettings readServerSettings();

// The remote build stamp: the first 19 characters of the third tab-separated field of the second
// line. Nothing when the file has fewer than two lines or line 2 fewer than three fields.
std::optional<QString> remoteStamp(const QString &versionFile);

// The SHA-256 of the installer (32 bytes) when line 2 carries it as a fourth field of 64 hex
// digits; empty otherwise.
QByteArray installerDigest(const QString &versionFile);

// "yyyy-mm-dd hh:mm:ss" with a two-digit hour (09:05:00), in every locale.
QString localStamp(const QDateTime &modified);

// The two lines of verze.log.
QString reportText(const QString &local, const QString &remote);

// Blanks, "-" and ":" removed from both, then compared character by character: Newer when the
// remote text is greater, NotNewer otherwise (an empty remote stamp is never newer).
char compareStamps(const QString &local, const QString &remote);

// Why a newer installer was not accepted.
enum class Unverified {
    No,             // verified, or the exchange failed for another reason
    NoDigest,       // the version file names no SHA-256: the installer is not even downloaded
    DigestMismatch, // the download does not match the SHA-256 of the version file
};

struct Exchange {
    char result = NotNewer;
    QString localStamp;
    QString remoteStamp;
    QString installerPath; // set with Newer
    QString detail;        // why the exchange failed, for diagnostics
    Unverified unverified = Unverified::No; // with Failed: the installer could not be verified
};

// Connects, changes to the update folder, downloads setuppel.ver into targetDir, writes verze.log
// there and, when the server's build is newer, downloads setuppel.exe (under a temporary name,
// renamed only after a complete transfer that matches the SHA-256 the version file names; without
// that digest it is not downloaded at all and the result is Failed).
// Every operation gives up after 15 seconds without progress; TLS is used when the server offers
// it. The connection is closed before returning.
Exchange exchange(const ServerSettings &server, const QString &targetDir, const QDateTime &executableModified);

// The same exchange on a worker thread while the calling (user-interface) thread runs its event
// loop: timers fire and windows repaint, user input waits until the exchange is over.
Exchange exchangeInBackground(const ServerSettings &server, const QString &targetDir,
                              const QDateTime &executableModified);

// The operator's message for an installer that could not be verified.
QString unverifiedMessage(Unverified reason);

// Starts the installer with the one argument /DIR=<programDir>/ (no quote characters) without waiting; false when it
// could not be started.
bool startInstaller(const QString &installerPath, const QString &programDir, const QString &launcher);

// What the check needs from the application's windows; every hook may be left unset.
struct Hooks {
    // The start-up splash's status line; set only while the splash exists.
    std::function<void(const QString &)> splashStatus;
    // Without a splash: show the busy window with the text, bring it to the front; close it again.
    std::function<void(const QString &)> showBusy;
    std::function<void()> closeBusy;
    // After the installer has started: ask the application to terminate and close the main window.
    std::function<void()> endProgram;
};

enum class Trigger {
    Menu,  // "Kontrola nové verze": without a configured server the check reports "Chyba připojení."
    Start, // the daily check at start-up: without a configured server it is skipped quietly
};

// The whole check with its progress display and messages; returns the exchange's result
// (NotNewer when a start-up check was skipped, Failed when a newer installer could not be started).
char run(const Hooks &hooks, Trigger trigger = Trigger::Menu);

} // namespace updatecheck
