#include "settings.h"

#include "inifile.h"
#include "paths.h"

#include <QDate>
#include <QRegularExpression>

namespace settings {

QString filePath(IniKind file)
{
    switch (file) {
    case IniKind::Suite:
        return paths::suiteIni();
    case IniKind::Module:
        return paths::moduleIni();
    case IniKind::Smesi:
        return paths::smesiIni();
    }
    return {};
}

QString read(const Key &key, const QString &defaultValue)
{
    return IniFile(filePath(key.file))
        .readString(QString::fromUtf16(key.section), QString::fromUtf16(key.name), defaultValue);
}

QString read(const Key &key)
{
    return read(key, QString::fromUtf16(key.defaultValue));
}

void write(const Key &key, const QString &value)
{
    IniFile(filePath(key.file)).writeString(QString::fromUtf16(key.section), QString::fromUtf16(key.name), value);
}

ModuleSettings readModuleSettings()
{
    ModuleSettings s;
    s.host = read(keys::EditIP_Text);
    s.cisloPC = read(keys::EditcisloPC_Text);
    s.checkVersionAtStart = read(keys::suiCheckBoxTestVerze_Checked) == QLatin1String("True");
    s.confirmMixes = read(keys::suiCheckBoxPotvrzovat_Checked) != QLatin1String("False");
    s.recipeFolder = read(keys::JvDirectoryEdit1_Text);
    return s;
}

ConnectionSettings readConnectionSettings()
{
    const ModuleSettings module = readModuleSettings();
    ConnectionSettings c;
    c.host = module.host;
    c.user = QStringLiteral("root");
    c.password = QString();
    c.cisloPC = module.cisloPC;
    c.host = read(keys::IP, c.host);
    c.user = read(keys::User, c.user);
    c.password = read(keys::Password, c.password);
    c.database = read(keys::Database);
    c.sqlPort = read(keys::SQLport);
    c.openPort = read(keys::OPENport);
    c.cisloPC = read(keys::CisloPC, c.cisloPC);
    return c;
}

FtpSettings readFtpSettings()
{
    FtpSettings f;
    f.host = read(keys::FTP);
    f.user = read(keys::FTPuser);
    f.password = read(keys::FTPpassword);
    f.port = read(keys::FTPport);
    f.passive = read(keys::FTPpassive) != QLatin1String("False");
    return f;
}

bool isValidCisloPC(const QString &cisloPC)
{
    static const QRegularExpression re(QStringLiteral("^[A-Za-z0-9_]+$"));
    return re.match(cisloPC).hasMatch();
}

bool dayStamp(const QString &moduleName)
{
    const IniFile ini(paths::findCaseInsensitive(paths::programDir(), moduleName + QStringLiteral(".ini")));
    const QString today = QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
    const QString stored = ini.readString(QStringLiteral("Dnes"), QStringLiteral("Datum"), QStringLiteral("999"));
    ini.writeString(QStringLiteral("Dnes"), QStringLiteral("Datum"), today);
    return stored == today;
}

QString readWindowValue(const QString &formClass, const QString &key, const QString &defaultValue)
{
    return IniFile(paths::moduleIni()).readString(formClass, key, defaultValue);
}

void writeWindowValue(const QString &formClass, const QString &key, const QString &value)
{
    IniFile(paths::moduleIni()).writeString(formClass, key, value);
}

} // namespace settings
