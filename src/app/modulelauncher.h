// The module menu: the suite's sibling modules by document type. Each executable's file name is
// configuration ([Moduly] of ./pelmixi.ini, settings.h); a name without a folder is looked up in
// the program folder (any letter case), then on the search path. A module is started with the
// single argument "modul" and is not waited for.
#pragma once

#include "settings.h"

#include <QList>
#include <QString>

namespace modules {

struct ModuleEntry {
    QString type; // "PP", "VU", ...
    QString caption; // "PP - Příjemka přírody"
    QString actionName; // the menu item's object name
    settings::Key key; // [Moduly] <type> with the default executable name
    bool separatorAfter = false;
};

// In menu order; the last one ("KS - Krmné směsi") is this module and is never started.
const QList<ModuleEntry> &entries();
const ModuleEntry *find(const QString &type);

QString ownType(); // "KS"

// The configured file name of the type's executable.
QString executableName(const QString &type);
// The existing executable file, or empty when there is none.
QString executablePath(const QString &type);

// Starts the module detached with "modul" in its own folder; answers whether it has started,
// with the reason in *error when it has not.
bool start(const QString &type, QString *error);

} // namespace modules
