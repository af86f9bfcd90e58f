// pelmixi --check-db: lists the indexes the module's queries need in the database named by the
// usual INI settings, which of them are missing and the statements that add them. Exit status 0
// when nothing is missing, 1 when something is, 3 when the database cannot be read. Changes
// nothing; needs no display.
#pragma once

#include <QStringList>

namespace checkdbcli {

bool wanted(int argc, char **argv);
// The whole run with an application object already there (tests call it in-process).
int run();
int main(int argc, char **argv);

} // namespace checkdbcli
