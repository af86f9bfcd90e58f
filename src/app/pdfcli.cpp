#include "pdfcli.h"

#include "connection.h"
#include "paths.h"
#include "printing/pdfwriter.h"
#include "reportdata.h"
#include "session.h"
#include "settings.h"
#include "sqllog.h"
#include "tracecli.h"

#include <QDate>
#include <QDir>
#include <QGuiApplication>

#include <algorithm>
#include <cstdio>

using namespace pelmixi::printing;

namespace pdfcli {

namespace {

void say(std::FILE *stream, const QString &text)
{
    const QByteArray bytes = (text + QLatin1Char('\n')).toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

int fail(int code, const QString &text)
{
    say(stderr, QStringLiteral("pelmixi: ") + text);
    return code;
}

QString hint()
{
    return QStringLiteral(" Použití vypíše pelmixi --help.");
}

bool isHelp(const QString &a)
{
    return a == QLatin1String("--help") || a == QLatin1String("-h");
}

} // namespace

QString usage()
{
    return QStringLiteral("Použití:\n"
                          "  pelmixi [modul]\n"
                          "      spustí modul krmných směsí (argument \"modul\" předávají ostatní moduly sady)\n"
                          "  pelmixi --pdf <číslo dokladu> [--report recipe|protocol] --out <soubor>\n"
                          "      uloží doklad jako PDF bez okna: recipe = doklad (Míchání KS, výchozí),\n"
                          "      protocol = míchací protokol; připojí se podle nastavení v INI souborech\n"
                          "      a nic nearchivuje. Návratový kód 0 = uloženo, 2 = chybné argumenty,\n"
                          "      3 = chyba databáze, 4 = doklad neexistuje, 5 = PDF nelze zapsat.\n")
        + tracecli::usage()
        + QStringLiteral("\n  pelmixi --check-db\n"
                         "      vypíše indexy, které dotazy programu potřebují, a které v databázi chybějí,\n"
                         "      s příkazy CREATE INDEX; nic nemění. Návratový kód 0 = nic nechybí,\n"
                         "      1 = něco chybí, 3 = chyba databáze.\n")
        + QStringLiteral("\n  pelmixi --help\n"
                         "      vypíše tuto nápovědu");
}

bool wanted(const QStringList &arguments)
{
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (arguments.at(i) == QLatin1String("--pdf") || arguments.at(i) == QLatin1String("--trace")
            || isHelp(arguments.at(i)))
            return true;
    }
    return false;
}

bool wanted(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return wanted(arguments);
}

int run(const QStringList &arguments)
{
    QString number;
    QString reportName = QStringLiteral("recipe");
    QString out;
    bool haveNumber = false;
    if (std::any_of(arguments.begin() + qMin<qsizetype>(1, arguments.size()), arguments.end(), isHelp)) {
        say(stdout, usage());
        return Success;
    }
    if (tracecli::wanted(arguments))
        return tracecli::run(arguments);
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &a = arguments.at(i);
        const bool takesValue
            = a == QLatin1String("--pdf") || a == QLatin1String("--report") || a == QLatin1String("--out");
        if (!takesValue)
            return fail(UsageError, QStringLiteral("neznámý argument „%1“.").arg(a) + hint());
        if (i + 1 >= arguments.size())
            return fail(UsageError, QStringLiteral("za %1 chybí hodnota.").arg(a) + hint());
        const QString value = arguments.at(++i);
        if (a == QLatin1String("--pdf")) {
            number = value;
            haveNumber = true;
        } else if (a == QLatin1String("--report")) {
            reportName = value;
        } else {
            out = value;
        }
    }
    if (!haveNumber || number.trimmed().isEmpty())
        return fail(UsageError, QStringLiteral("chybí číslo dokladu (--pdf).") + hint());
    if (out.isEmpty())
        return fail(UsageError, QStringLiteral("chybí výstupní soubor (--out).") + hint());
    ReportKind kind;
    if (reportName == QLatin1String("recipe"))
        kind = ReportKind::RecipeDocument;
    else if (reportName == QLatin1String("protocol"))
        kind = ReportKind::MixingProtocol;
    else
        return fail(
            UsageError, QStringLiteral("--report musí být recipe nebo protocol, ne „%1“.").arg(reportName) + hint());

    // The same connection as the program's: settings, SQL log, session statements. No history
    // row: this is not a start of the module.
    SqlLog log;
    log.setFileName(SqlLog::fileNameFor(paths::sqllogDir(), QDate::currentDate()));
    log.setActive(QDir().mkpath(paths::sqllogDir()));
    Connection connection;
    connection.setLog(&log);
    ReportRows rows;
    try {
        if (!applyConnectionSettings(connection, settings::readConnectionSettings()))
            return fail(DatabaseError, QStringLiteral("nastavení připojení k databázi je chybné."));
        connection.open();
        connection.execute(QStringLiteral("set @@session.sql_mode=\"\""));
        connection.execute(QStringLiteral("SET names cp1250;"));
        rows = loadReportRows(connection, kind, number);
    } catch (const DbError &e) {
        return fail(DatabaseError, QStringLiteral("chyba databáze: ") + e.message());
    } catch (const std::exception &e) {
        return fail(DatabaseError, QStringLiteral("chyba databáze: ") + QString::fromStdString(e.what()));
    }
    connection.close();
    if (rows.isEmpty())
        return fail(UnknownDocument, QStringLiteral("doklad %1 neexistuje.").arg(number));

    const PdfResult written = writeReportPdf(out, documentReport(kind, rows).layout());
    if (!written.ok)
        return fail(ExportError, pdfExportErrorText() + QStringLiteral(": ") + written.errorMessage);
    return Success;
}

int main(int argc, char **argv)
{
    // Reports are pictures drawn with fonts, which needs a GUI application, but never a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    // The output file is named relative to where the command was given, not to the program
    // folder that becomes the working folder.
    QStringList arguments = QCoreApplication::arguments();
    for (qsizetype i = 1; i + 1 < arguments.size(); ++i) {
        if (arguments.at(i) == QLatin1String("--out")) {
            arguments[i + 1] = QDir::current().absoluteFilePath(arguments.at(i + 1));
            ++i;
        }
    }
    paths::setProgramDir(QCoreApplication::applicationDirPath());
    QDir::setCurrent(paths::programDir());
    return run(arguments);
}

} // namespace pdfcli
