#include "modulelauncher.h"

#include "paths.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

namespace modules {

namespace {
using settings::IniKind;
constexpr settings::Key keyPP{IniKind::Module, u"Moduly", u"PP", u"pp"};
constexpr settings::Key keyVU{IniKind::Module, u"Moduly", u"VU", u"vu"};
constexpr settings::Key keyVO{IniKind::Module, u"Moduly", u"VO", u"vo"};
constexpr settings::Key keyPV{IniKind::Module, u"Moduly", u"PV", u"pv"};
constexpr settings::Key keyDL{IniKind::Module, u"Moduly", u"DL", u"dl"};
constexpr settings::Key keyVN{IniKind::Module, u"Moduly", u"VN", u"vn"};
constexpr settings::Key keySK{IniKind::Module, u"Moduly", u"SK", u"sk"};
constexpr settings::Key keyVP{IniKind::Module, u"Moduly", u"VP", u"vp"};
constexpr settings::Key keyKA{IniKind::Module, u"Moduly", u"KA", u"ka"};
constexpr settings::Key keySM{IniKind::Module, u"Moduly", u"SM", u"sm"};
constexpr settings::Key keyKS{IniKind::Module, u"Moduly", u"KS", u"pelmixi"};
} // namespace

const QList<ModuleEntry> &entries()
{
    static const QList<ModuleEntry> list{
        {QStringLiteral("PP"), QStringLiteral("PP - Příjemka přírody"), QStringLiteral("PPPjemkaprody1"), keyPP, false},
        {QStringLiteral("VU"), QStringLiteral("VU - Výkaz o úpravě osiva"), QStringLiteral("VUVkazopravosiva1"), keyVU,
         false},
        {QStringLiteral("VO"), QStringLiteral("VO - Výdejka odpadů"), QStringLiteral("VOVdejkaodpad1"), keyVO, true},
        {QStringLiteral("PV"), QStringLiteral("PV - Příjemka, výkup"), QStringLiteral("PVPjemkavkup1"), keyPV, false},
        {QStringLiteral("DL"), QStringLiteral("DL - Dodací list"), QStringLiteral("DLDodaclist1"), keyDL, false},
        {QStringLiteral("VN"), QStringLiteral("VN - Výdejka, návratka"), QStringLiteral("VNVdejkanvratka1"), keyVN, true},
        {QStringLiteral("SK"), QStringLiteral("SK - Skladová karta"), QStringLiteral("SKSkladovkarta1"), keySK, false},
        {QStringLiteral("VP"), QStringLiteral("VP - Vnitropodnik"), QStringLiteral("VPVnitropodnik1"), keyVP, false},
        {QStringLiteral("KA"), QStringLiteral("KA - Kalkulace"), QStringLiteral("KAKalkulace1"), keyKA, false},
        {QStringLiteral("SM"), QStringLiteral("SM - Směsi"), QStringLiteral("SMSmsi1"), keySM, false},
        {QStringLiteral("KS"), QStringLiteral("KS - Krmné směsi"), QStringLiteral("KSKrmnsmsi1"), keyKS, false},
    };
    return list;
}

const ModuleEntry *find(const QString &type)
{
    for (const ModuleEntry &e : entries()) {
        if (e.type == type)
            return &e;
    }
    return nullptr;
}

QString ownType()
{
    return QStringLiteral("KS");
}

QString executableName(const QString &type)
{
    const ModuleEntry *e = find(type);
    return e ? settings::read(e->key).trimmed() : QString();
}

QString executablePath(const QString &type)
{
    const QString name = executableName(type);
    if (name.isEmpty())
        return {};
    const QString path = QDir::isAbsolutePath(name) ? name : paths::findCaseInsensitive(paths::programDir(), name);
    const QFileInfo info(path);
    return info.isFile() ? info.absoluteFilePath() : QString();
}

bool start(const QString &type, QString *error)
{
    if (type == ownType()) {
        *error = QStringLiteral("Modul %1 je právě spuštěn.").arg(type);
        return false;
    }
    const QString path = executablePath(type);
    if (path.isEmpty()) {
        *error = QStringLiteral("Program modulu %1 (%2) nebyl nalezen.").arg(type, executableName(type));
        return false;
    }
    QProcess process;
    process.setProgram(path);
    process.setArguments({QStringLiteral("modul")});
    process.setWorkingDirectory(QFileInfo(path).absolutePath());
    if (!process.startDetached()) {
        *error = QStringLiteral("Modul %1 nelze spustit (%2): %3").arg(type, path, process.errorString());
        return false;
    }
    return true;
}

} // namespace modules
