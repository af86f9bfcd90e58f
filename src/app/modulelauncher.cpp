#include "modulelauncher.h"

#include "paths.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace modules {

const QList<ModuleEntry> &entries()
{
    static const QList<ModuleEntry> list {
        { QStringLiteral("PP"), QStringLiteral("PP - Příjemka přírody"), QStringLiteral("PPPjemkaprody1"),
            settings::keys::ModulPP, false },
        { QStringLiteral("VU"), QStringLiteral("VU - Výkaz o úpravě osiva"), QStringLiteral("VUVkazopravosiva1"),
            settings::keys::ModulVU, false },
        { QStringLiteral("VO"), QStringLiteral("VO - Výdejka odpadů"), QStringLiteral("VOVdejkaodpad1"),
            settings::keys::ModulVO, true },
        { QStringLiteral("PV"), QStringLiteral("PV - Příjemka, výkup"), QStringLiteral("PVPjemkavkup1"),
            settings::keys::ModulPV, false },
        { QStringLiteral("DL"), QStringLiteral("DL - Dodací list"), QStringLiteral("DLDodaclist1"),
            settings::keys::ModulDL, false },
        { QStringLiteral("VN"), QStringLiteral("VN - Výdejka, návratka"), QStringLiteral("VNVdejkanvratka1"),
            settings::keys::ModulVN, true },
        { QStringLiteral("SK"), QStringLiteral("SK - Skladová karta"), QStringLiteral("SKSkladovkarta1"),
            settings::keys::ModulSK, false },
        { QStringLiteral("VP"), QStringLiteral("VP - Vnitropodnik"), QStringLiteral("VPVnitropodnik1"),
            settings::keys::ModulVP, false },
        { QStringLiteral("KA"), QStringLiteral("KA - Kalkulace"), QStringLiteral("KAKalkulace1"),
            settings::keys::ModulKA, false },
        { QStringLiteral("SM"), QStringLiteral("SM - Směsi"), QStringLiteral("SMSmsi1"), settings::keys::ModulSM,
            false },
        { QStringLiteral("KS"), QStringLiteral("KS - Krmné směsi"), QStringLiteral("KSKrmnsmsi1"),
            settings::keys::ModulKS, false },
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
    if (QDir::isAbsolutePath(name)) {
        const QFileInfo info(name);
        return info.isFile() ? info.absoluteFilePath() : QString();
    }
    const QFileInfo beside(paths::findCaseInsensitive(paths::programDir(), name));
    if (beside.isFile())
        return beside.absoluteFilePath();
    return QStandardPaths::findExecutable(name);
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
    process.setArguments({ QStringLiteral("modul") });
    process.setWorkingDirectory(QFileInfo(path).absolutePath());
    if (!process.startDetached()) {
        *error = QStringLiteral("Modul %1 nelze spustit (%2): %3").arg(type, path, process.errorString());
        return false;
    }
    return true;
}

} // namespace modules
