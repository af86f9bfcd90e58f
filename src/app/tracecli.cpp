#include "tracecli.h"

#include "connection.h"
#include "genealogy.h"
#include "genealogywindow.h"
#include "paths.h"
#include "pdfcli.h"
#include "printing/pdfwriter.h"
#include "printing/recallreport.h"
#include "settings.h"
#include "sqllog.h"
#include "session.h"
#include <QFileInfo>

#include <QDate>
#include <QDir>
#include <QSaveFile>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace tracecli {

namespace {

void say(const QString &text)
{
    const QByteArray bytes = (text + u'\n').toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

int fail(int code, const QString &text)
{
    say(u"pelmixi: "_s + text);
    return code;
}

QString hint()
{
    return u" Použití vypíše pelmixi --help."_s;
}

} // namespace

bool wanted(const QStringList &arguments)
{
    return arguments.mid(1).contains(u"--trace"_s);
}

QString usage()
{
    return u"  pelmixi --trace <partie> [--lomeni N] [--direction down|up|both] --out <soubor.csv|soubor.pdf>\n"
           u"      rodokmen partie bez okna: down = kam partie šla (výchozí), up = odkud přišla,\n"
           u"      both = obojí; --lomeni výchozí 0. Soubor .csv (UTF-8, středníky) nebo .pdf (přehled\n"
           u"      odběratelů pro stažení partie). Návratový kód 0 = zapsáno, 2 = chybné argumenty,\n"
           u"      3 = chyba databáze, 4 = partie nemá žádný pohyb, 5 = soubor nelze zapsat."_s;
}

int run(const QStringList &arguments)
{
    QString partiecela;
    QString out;
    qint64 lomeni = 0;
    genealogy::Direction direction = genealogy::Direction::Down;
    bool haveBatch = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &a = arguments.at(i);
        const bool takesValue = a == u"--trace"_s || a == u"--lomeni"_s || a == u"--direction"_s || a == u"--out"_s;
        if (!takesValue)
            return fail(pdfcli::UsageError, u"neznámý argument „%1“."_s.arg(a) + hint());
        if (i + 1 >= arguments.size())
            return fail(pdfcli::UsageError, u"za %1 chybí hodnota."_s.arg(a) + hint());
        const QString value = arguments.at(++i);
        if (a == u"--trace"_s) {
            partiecela = value;
            haveBatch = true;
        } else if (a == u"--lomeni"_s) {
            bool ok = false;
            lomeni = value.toLongLong(&ok);
            if (!ok || lomeni < 0)
                return fail(pdfcli::UsageError, u"--lomeni musí být nezáporné celé číslo, ne „%1“."_s.arg(value) + hint());
        } else if (a == u"--direction"_s) {
            const auto d = genealogy::parseDirection(value);
            if (!d)
                return fail(pdfcli::UsageError, u"--direction musí být down, up nebo both, ne „%1“."_s.arg(value) + hint());
            direction = *d;
        } else {
            out = value;
        }
    }
    if (!haveBatch || partiecela.trimmed().isEmpty())
        return fail(pdfcli::UsageError, u"chybí partie (--trace)."_s + hint());
    if (out.isEmpty())
        return fail(pdfcli::UsageError, u"chybí výstupní soubor (--out)."_s + hint());
    const QString suffix = QFileInfo(out).suffix().toLower();
    if (suffix != u"csv"_s && suffix != u"pdf"_s)
        return fail(pdfcli::UsageError, u"výstupní soubor musí končit .csv nebo .pdf."_s + hint());

    SqlLog log;
    log.setFileName(SqlLog::fileNameFor(paths::sqllogDir(), QDate::currentDate()));
    log.setActive(QDir().mkpath(paths::sqllogDir()));
    Connection connection;
    connection.setLog(&log);
    genealogy::Trace trace;
    try {
        if (!applyConnectionSettings(connection, settings::readConnectionSettings()))
            return fail(pdfcli::DatabaseError, u"nastavení připojení k databázi je chybné."_s);
        connection.open();
        connection.execute(u"set @@session.sql_mode=\"\""_s);
        connection.execute(u"SET names cp1250;"_s);
        trace = genealogy::trace(connection, genealogy::BatchKey{partiecela, lomeni}, direction);
    } catch (const DbError &e) {
        return fail(pdfcli::DatabaseError, u"chyba databáze: "_s + e.message());
    } catch (const std::exception &e) {
        return fail(pdfcli::DatabaseError, u"chyba databáze: "_s + QString::fromStdString(e.what()));
    }
    connection.close();
    if (trace.isEmpty())
        return fail(pdfcli::UnknownDocument, u"partie %1 nemá žádný pohyb."_s.arg(batchLabel(partiecela, lomeni)));
    for (const QString &cycle : std::as_const(trace.cycles))
        say(u"pelmixi: "_s + cycle);
    if (!trace.tablesWithoutIndex.isEmpty())
        say(u"pelmixi: tabulky bez indexu (partiecela, lomeni): "_s + trace.tablesWithoutIndex.join(u", "_s));

    if (suffix == u"csv"_s) {
        QSaveFile file(out);
        if (!file.open(QIODevice::WriteOnly) || file.write(genealogy::csv(trace)) < 0 || !file.commit())
            return fail(pdfcli::ExportError, u"soubor %1 nelze zapsat: "_s.arg(out) + file.errorString());
        return pdfcli::Success;
    }
    using namespace pelmixi::printing;
    const PdfResult written = writeReportPdf(out, recallReport(recallReportData(trace)).layout(), {}, {}, true);
    if (!written.ok)
        return fail(pdfcli::ExportError, pdfExportErrorText() + u": "_s + written.errorMessage);
    return pdfcli::Success;
}

} // namespace tracecli
