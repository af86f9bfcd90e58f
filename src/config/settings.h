// Every INI key the module reads or writes, with its file, section and default, in one place.
// Values are read at the moment they are needed; nothing is cached.
#pragma once

#include <QString>

namespace settings {

enum class IniKind { Suite, Module, Smesi };

struct Key {
    IniKind file;
    const char16_t *section;
    const char16_t *name;
    const char16_t *defaultValue;
};

QString read(const Key &key);
QString read(const Key &key, const QString &defaultValue);
void write(const Key &key, const QString &value);
QString filePath(IniKind file);

namespace keys {
// ../Tavrix05.ini, section LogON; the connection keys default to the value found before them.
inline constexpr Key IP{IniKind::Suite, u"LogON", u"IP", u""};
inline constexpr Key User{IniKind::Suite, u"LogON", u"User", u"root"};
inline constexpr Key Password{IniKind::Suite, u"LogON", u"Password", u""};
inline constexpr Key Database{IniKind::Suite, u"LogON", u"Database", u"tavrix"};
inline constexpr Key SQLport{IniKind::Suite, u"LogON", u"SQLport", u"3306"};
inline constexpr Key OPENport{IniKind::Suite, u"LogON", u"OPENport", u""};
inline constexpr Key CisloPC{IniKind::Suite, u"LogON", u"CisloPC", u""};
// The update server belongs to each installation: no built-in host or account (empty: the check
// at start is skipped, the menu check reports "Chyba připojení.").
inline constexpr Key FTP{IniKind::Suite, u"LogON", u"_FTP", u""};
inline constexpr Key FTPuser{IniKind::Suite, u"LogON", u"_FTPuser", u""};
inline constexpr Key FTPpassword{IniKind::Suite, u"LogON", u"_FTPpassword", u""};
inline constexpr Key FTPport{IniKind::Suite, u"LogON", u"_FTPport", u"21"};
inline constexpr Key FTPpassive{IniKind::Suite, u"LogON", u"_FTPpassive", u"True"};
// The update folder on the server: relative to the login folder, absolute with a leading "/".
inline constexpr Key FTPdir{IniKind::Suite, u"LogON", u"_FTPdir", u""};
inline constexpr Key AccessPassword{IniKind::Suite, u"Tavrix", u"Password", u""};

// ./pelmixi.ini, section TFmozno (the settings dialog; the first two are only read).
inline constexpr Key EditIP_Text{IniKind::Module, u"TFmozno", u"EditIP_Text", u"localhost"};
inline constexpr Key EditcisloPC_Text{IniKind::Module, u"TFmozno", u"EditcisloPC_Text", u"00"};
inline constexpr Key suiEdit1_Text{IniKind::Module, u"TFmozno", u"suiEdit1_Text", u""};
inline constexpr Key suiCheckBoxTestVerze_Checked{IniKind::Module, u"TFmozno", u"suiCheckBoxTestVerze_Checked",
                                                  u"True"};
inline constexpr Key suiCheckBoxPotvrzovat_Checked{IniKind::Module, u"TFmozno", u"suiCheckBoxPotvrzovat_Checked",
                                                   u"False"};
inline constexpr Key suiCheckBoxTnaKG_Checked{IniKind::Module, u"TFmozno", u"suiCheckBoxTnaKG_Checked", u"False"};
inline constexpr Key Editpodnik_Text{IniKind::Module, u"TFmozno", u"Editpodnik_Text", u""};
inline constexpr Key EditICO_Text{IniKind::Module, u"TFmozno", u"EditICO_Text", u""};
inline constexpr Key Editnazev_Text{IniKind::Module, u"TFmozno", u"Editnazev_Text", u""};
inline constexpr Key Editsidlo_Text{IniKind::Module, u"TFmozno", u"Editsidlo_Text", u""};
inline constexpr Key Editulice_Text{IniKind::Module, u"TFmozno", u"Editulice_Text", u""};
inline constexpr Key EditPSC_Text{IniKind::Module, u"TFmozno", u"EditPSC_Text", u""};
inline constexpr Key Editposta_Text{IniKind::Module, u"TFmozno", u"Editposta_Text", u""};
inline constexpr Key EditTelefon_Text{IniKind::Module, u"TFmozno", u"EditTelefon_Text", u""};
inline constexpr Key EditFax_Text{IniKind::Module, u"TFmozno", u"EditFax_Text", u""};
inline constexpr Key EditEmail_Text{IniKind::Module, u"TFmozno", u"EditEmail_Text", u""};
inline constexpr Key Editkdevysta_Text{IniKind::Module, u"TFmozno", u"Editkdevysta_Text", u""};
inline constexpr Key JvDirectoryEdit1_Text{IniKind::Module, u"TFmozno", u"JvDirectoryEdit1_Text", u""};

// ./pelmixi.ini, other sections.
inline constexpr Key DayStamp{IniKind::Module, u"Dnes", u"Datum", u"999"};

// ./pelmixi.ini [Moduly]: the executables of the suite's modules by document type, started from
// the menu "Moduly" with "modul"; SK is also the stock-card module started with "/TK" and "/HP".
// A name without a folder is looked for in the program folder, then on the search path.
inline constexpr Key ModulPP{IniKind::Module, u"Moduly", u"PP", u"pp"};
inline constexpr Key ModulVU{IniKind::Module, u"Moduly", u"VU", u"vu"};
inline constexpr Key ModulVO{IniKind::Module, u"Moduly", u"VO", u"vo"};
inline constexpr Key ModulPV{IniKind::Module, u"Moduly", u"PV", u"pv"};
inline constexpr Key ModulDL{IniKind::Module, u"Moduly", u"DL", u"dl"};
inline constexpr Key ModulVN{IniKind::Module, u"Moduly", u"VN", u"vn"};
inline constexpr Key ModulSK{IniKind::Module, u"Moduly", u"SK", u"sk"};
inline constexpr Key ModulVP{IniKind::Module, u"Moduly", u"VP", u"vp"};
inline constexpr Key ModulKA{IniKind::Module, u"Moduly", u"KA", u"ka"};
inline constexpr Key ModulSM{IniKind::Module, u"Moduly", u"SM", u"sm"};
inline constexpr Key ModulKS{IniKind::Module, u"Moduly", u"KS", u"pelmixi"};

// ./pelmixi.ini [Programy]: helper programs of this workstation.
// The recipe text viewer ("Zobrazit"), given the file's path as one argument.
inline constexpr Key Prohlizec{IniKind::Module, u"Programy", u"Prohlizec", u"xdg-open"};
// What runs a downloaded installer, with its own arguments; empty: the installer runs by itself.
inline constexpr Key Instalator{IniKind::Module, u"Programy", u"Instalator", u""};

// ./smesi.ini, section TFmozno: read only, by the sample label.
inline constexpr Key SmesiNazev{IniKind::Smesi, u"TFmozno", u"Editnazev_Text", u""};
inline constexpr Key SmesiSidlo{IniKind::Smesi, u"TFmozno", u"Editsidlo_Text", u""};
inline constexpr Key SmesiUlice{IniKind::Smesi, u"TFmozno", u"Editulice_Text", u""};
inline constexpr Key SmesiPSC{IniKind::Smesi, u"TFmozno", u"EditPSC_Text", u""};
inline constexpr Key SmesiPosta{IniKind::Smesi, u"TFmozno", u"Editposta_Text", u""};
inline constexpr Key SmesiICO{IniKind::Smesi, u"TFmozno", u"EditICO_Text", u""};
inline constexpr Key SmesiKdeVysta{IniKind::Smesi, u"TFmozno", u"EditKDEVYSTA_Text", u""};
inline constexpr Key SmesiOddDiluPartie{IniKind::Smesi, u"TFmozno", u"suiComboBoxOddDiluPartie_Text", u"/"};
} // namespace keys

// Module settings read when the main window is created.
struct ModuleSettings {
    QString host;           // EditIP_Text
    QString cisloPC;        // EditcisloPC_Text
    bool checkVersionAtStart = true;
    bool confirmMixes = false; // false: "Potvrzená KS" is disabled
    QString recipeFolder;
};
ModuleSettings readModuleSettings();

struct ConnectionSettings {
    QString host;
    QString user;
    QString password;
    QString database;
    QString sqlPort;
    QString openPort;
    QString cisloPC;
};
// The module's fallbacks first (a "localhost" host means root with an empty password), then
// section LogON of the suite file with the values found so far as defaults.
ConnectionSettings readConnectionSettings();

struct FtpSettings {
    QString host;
    QString user;
    QString password;
    QString port;
    bool passive = true; // only the exact text "False" switches to active transfers
};
FtpSettings readFtpSettings();

// The workstation number becomes part of table names: letters, digits and underscore only.
bool isValidCisloPC(const QString &cisloPC);

// Writes today's date ("yyyy-mm-dd") into [Dnes] Datum of ./<module>.ini and answers whether
// the value found there was already today's date.
bool dayStamp(const QString &moduleName);

// Stored window values: section = form class, key = component name + "_" + property.
QString readWindowValue(const QString &formClass, const QString &key, const QString &defaultValue = {});
void writeWindowValue(const QString &formClass, const QString &key, const QString &value);

} // namespace settings
