// Qt's own Czech catalogue, so the toolkit's standard dialogs (file, folder, print) and standard
// buttons speak the operator's language.
#pragma once

#include <QString>

namespace qttranslation {
// Installs qtbase_cs from Qt's translations folder once per process. Answers the file loaded,
// or an empty text when the catalogue is missing (the toolkit then stays in English).
QString installCzech();
} // namespace qttranslation
