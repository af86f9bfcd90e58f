#include "qttranslation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace qttranslation {

QString installCzech()
{
    static const QString loaded = [] {
        auto *translator = new QTranslator(QCoreApplication::instance());
        const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
        if (!translator->load(QLocale(QLocale::Czech, QLocale::CzechRepublic), QStringLiteral("qtbase"),
                              QStringLiteral("_"), folder)) {
            delete translator;
            return QString();
        }
        QCoreApplication::installTranslator(translator);
        return translator->filePath();
    }();
    return loaded;
}

} // namespace qttranslation
