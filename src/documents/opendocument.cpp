#include "opendocument.h"

#include "batchhistory.h"
#include "connection.h"
#include "correctionguard.h"
#include "cp1250.h"
#include "displayformat.h"
#include "folderlock.h"
#include "messages.h"
#include "sqltext.h"

namespace opening {

namespace {

QVariant valueOf(const QVariantMap &row, const QString &name)
{
    for (auto it = row.begin(); it != row.end(); ++it) {
        if (it.key().compare(name, Qt::CaseInsensitive) == 0)
            return it.value();
    }
    return {};
}

bool isMixRow(const ResultSet &rs, qsizetype row)
{
    return rs.value(row, QStringLiteral("smes")).toString().trimmed() == QLatin1String("1");
}

// The standard error message for whatever stopped the opening, then back to the list.
Result failed(WorkingTables &tables, const QString &text)
{
    tables.closeAll();
    messages::standardError(text);
    return Result{Status::Failed, EditorState{}};
}

template <typename Step>
Result guarded(WorkingTables &tables, Step step)
{
    try {
        return step();
    } catch (const DbError &e) {
        return failed(tables, e.message());
    } catch (const WorkTableError &e) {
        return failed(tables, e.message());
    } catch (const cp1250::EncodingError &e) {
        return failed(tables, e.message());
    } catch (const std::exception &e) {
        return failed(tables, QString::fromUtf8(e.what()));
    }
}

} // namespace

void WorkingTables::setDirectory(const QString &dir)
{
    for (WorkTable *t : {&header, &lines, &stored, &aggregate})
        t->setDirectory(dir);
}

void WorkingTables::closeAll()
{
    for (WorkTable *t : {&header, &lines, &stored, &aggregate})
        t->close();
}

ListRow ListRow::fromRecord(const QVariantMap &row)
{
    ListRow r;
    r.cislodokla = valueOf(row, QStringLiteral("cislodokla")).toString();
    r.partiecela = valueOf(row, QStringLiteral("partiecela")).toString();
    r.lomeni = qRound64(valueOf(row, QStringLiteral("lomeni")).toDouble());
    r.nc = valueOf(row, QStringLiteral("nc")).toDouble();
    return r;
}

QString columnsQuery()
{
    return QStringLiteral("select * from pelmixi limit 0,1");
}

QString mixRowQuery(const QString &cislodokla)
{
    return QStringLiteral("select * from pelmixi where smes = \"1\" AND cislodokla = ") + sqlQuote(cislodokla);
}

QString documentQuery(const QString &cislodokla)
{
    return QStringLiteral("select * from pelmixi where cislodokla = ") + sqlQuote(cislodokla);
}

QString packagingQuery(const QString &partiecela, qlonglong lomeni, const QString &stredisko)
{
    return QStringList{QStringLiteral("select mnomenkla1,mo1,vahaobalu,ek1,vahao1,poceto1,navesky from skarta"),
                       QStringLiteral(" where partiecela = ") + sqlQuote(partiecela),
                       QStringLiteral(" and lomeni = ") + sqlQuote(QString::number(lomeni)),
                       QStringLiteral(" and stredisko = ") + sqlQuote(stredisko)}
        .join(QLatin1Char('\n'));
}

void setHeaderDisplayFormats(WorkTable &header)
{
    header.setDisplayFormat(QStringLiteral("nc"), QString::fromUtf16(displayformat::Price));
    header.setDisplayFormat(QStringLiteral("pc"), QString::fromUtf16(displayformat::Price));
    header.setDisplayFormat(QStringLiteral("mnozstvi"), QString::fromUtf16(displayformat::Quantity));
}

posting::Packaging readPackaging(Connection &connection, const QString &partiecela, qlonglong lomeni,
                                 const QString &stredisko)
{
    posting::Packaging p;
    const ResultSet rs = connection.query(packagingQuery(partiecela, lomeni, stredisko));
    if (rs.isEmpty())
        return p;
    p.mnomenkla = rs.text(0, QStringLiteral("mnomenkla1"));
    p.mo = rs.text(0, QStringLiteral("mo1"));
    p.vahaObalu = rs.number(0, QStringLiteral("vahaobalu"));
    p.ek = rs.text(0, QStringLiteral("ek1"));
    p.vahaO = rs.number(0, QStringLiteral("vahao1"));
    p.pocetO = rs.number(0, QStringLiteral("poceto1"));
    p.navesky = rs.text(0, QStringLiteral("navesky"));
    return p;
}

Result newDocument(Connection &connection, WorkingTables &tables, const Context &context)
{
    return guarded(tables, [&] {
        tables.closeAll();
        const QList<Column> columns = connection.query(columnsQuery()).columns();

        WorkTable &h = tables.header;
        h.create(columns);
        h.open();
        h.empty();
        h.append();
        h.setInteger(QStringLiteral("lomeni"), 0);
        h.setString(QStringLiteral("smes"), QStringLiteral("1"));
        h.setDate(QStringLiteral("datum"), context.today.isValid() ? context.today : QDate::currentDate());
        h.setString(QStringLiteral("jazyk"), QStringLiteral("C"));
        h.setString(QStringLiteral("stredisko"), context.stredisko);

        for (WorkTable *t : {&tables.lines, &tables.stored}) {
            t->create(columns);
            t->open();
            t->empty();
        }
        tables.aggregate.create(columns);
        setHeaderDisplayFormats(h);

        Result r{Status::Opened, EditorState{}};
        r.state.mode = QStringLiteral("N");
        return r;
    });
}

Result openCorrection(Connection &connection, WorkingTables &tables, const ListRow &row, const Context &context)
{
    if (row.cislodokla.isEmpty())
        return Result{Status::NothingToOpen, EditorState{}};
    return guarded(tables, [&] {
        EditorState state;

        const ResultSet mix = connection.query(mixRowQuery(row.cislodokla));
        if (mix.isEmpty()) {
            messages::show(QStringLiteral("Doklad %1 v databázi není.").arg(row.cislodokla), MessageIcon::Stop);
            return Result{Status::NothingToOpen, EditorState{}};
        }
        correctionguard::Outcome guard = correctionguard::postingGuard(mix.value(0, QStringLiteral("datumzauct")));
        for (const Message &m : std::as_const(guard.messages))
            messages::show(m);
        state.confirmed = row.nc != 0;

        const ResultSet history = batchhistory::collect(connection, context.cisloPC, row.partiecela, row.lomeni);
        const qsizetype shown = guard.messages.size();
        correctionguard::historyGuard(guard, row.nc, context.ksJaknc, history);
        for (qsizetype i = shown; i < guard.messages.size(); ++i)
            messages::show(guard.messages.at(i));
        state.correctionState = guard.state;

        state.mode = QStringLiteral("O");
        tables.closeAll();
        const ResultSet rows = connection.query(documentQuery(row.cislodokla));

        tables.aggregate.create(rows.columns());
        tables.stored.create(rows.columns());
        tables.stored.open();
        tables.stored.appendRows(rows);
        for (qsizetype r = 0; r < rows.rowCount(); ++r) {
            if (isMixRow(rows, r)) {
                state.loadedPartiecela = rows.text(r, QStringLiteral("partiecela"));
                state.loadedLomeni = qRound64(rows.number(r, QStringLiteral("lomeni")));
            }
        }

        tables.header.create(rows.columns());
        tables.header.open();
        tables.lines.create(rows.columns());
        tables.lines.open();
        tables.header.appendRows(rows, [&](qsizetype r) { return isMixRow(rows, r); });
        tables.lines.appendRows(rows, [&](qsizetype r) { return !isMixRow(rows, r); });
        tables.header.first();

        state.documentNumber = tables.header.asString(QStringLiteral("cislodokla"));
        state.packaging = readPackaging(connection, tables.header.asString(QStringLiteral("partiecela")),
                                        tables.header.asInteger(QStringLiteral("lomeni")), context.stredisko);
        setHeaderDisplayFormats(tables.header);
        return Result{Status::Opened, state};
    });
}

void markEditing(const WorkingTables &tables, const EditorState &state, const QString &stredisko)
{
    editmark::Mark mark;
    mark.mode = state.mode;
    mark.documentNumber = state.mode == QLatin1String("O") ? state.documentNumber : QString();
    mark.loadedPartiecela = state.loadedPartiecela;
    mark.loadedLomeni = state.loadedLomeni;
    mark.confirmed = state.confirmed;
    mark.stredisko = stredisko;
    mark.opened = QDateTime::currentDateTime();
    editmark::write(tables.header.directory(), mark);
}

void clearEditingMark(const WorkingTables &tables)
{
    editmark::remove(tables.header.directory());
}

std::optional<LeftBehind> findLeftBehind(WorkingTables &tables)
{
    const QString dir = tables.header.directory();
    const std::optional<editmark::Mark> mark = editmark::read(dir);
    if (!mark)
        return std::nullopt;
    try {
        folderlock::acquire(dir);
    } catch (const WorkTableError &) {
        return std::nullopt; // another instance works in this folder
    }
    std::optional<LeftBehind> left;
    try {
        tables.closeAll();
        tables.header.open();
        tables.lines.open();
        if (tables.header.recordCount() == 1) {
            tables.header.first();
            LeftBehind l;
            l.mark = *mark;
            l.partie = tables.header.hasField(QStringLiteral("partie"))
                           ? tables.header.asString(QStringLiteral("partie")).trimmed()
                           : tables.header.asString(QStringLiteral("partiecela")).trimmed();
            l.lineCount = tables.lines.recordCount();
            l.changed = editmark::lastChange(dir);
            left = l;
        }
    } catch (const WorkTableError &) {
    }
    tables.closeAll();
    if (!left)
        editmark::remove(dir);
    folderlock::release(dir);
    return left;
}

QString leftBehindQuestion(const LeftBehind &left)
{
    const QString document = left.mark.mode == QLatin1String("O")
                                 ? QStringLiteral("číslo %1").arg(left.mark.documentNumber)
                                 : QStringLiteral("nový");
    const QString batch = left.partie.isEmpty() ? QStringLiteral("bez partie") : QStringLiteral("partie ") + left.partie;
    const int n = left.lineCount;
    const QString lines = QString::number(n) + (n == 1 ? QStringLiteral(" řádek")
                                                : (n >= 2 && n <= 4) ? QStringLiteral(" řádky")
                                                                     : QStringLiteral(" řádků"));
    const QDateTime when = left.changed.isValid() ? left.changed : left.mark.opened;
    return QStringLiteral("V pracovních tabulkách je rozpracovaný doklad (%1, %2, %3) z %4. Obnovit?")
        .arg(document, batch, lines, when.toString(QStringLiteral("d.M.yyyy H:mm")));
}

Result restoreLeftBehind(Connection &connection, WorkingTables &tables, const editmark::Mark &mark,
                         const Context &context)
{
    return guarded(tables, [&] {
        tables.closeAll();
        tables.header.open();
        tables.lines.open();
        tables.stored.open();
        if (tables.header.recordCount() != 1)
            throw WorkTableError(QStringLiteral("Pracovní tabulka %1 neobsahuje hlavičku dokladu.")
                                     .arg(tables.header.name()));
        tables.header.first();
        tables.aggregate.create(tables.header.columns());

        EditorState state;
        state.mode = mark.mode;
        state.confirmed = mark.confirmed;
        if (mark.mode == QLatin1String("O")) {
            const QString number = tables.header.asString(QStringLiteral("cislodokla")).trimmed();
            // The guards of the opening, on the document and its batch as they are now.
            const ResultSet mix = connection.query(mixRowQuery(number));
            if (mix.isEmpty()) {
                tables.closeAll();
                messages::show(QStringLiteral("Doklad %1 v databázi není.").arg(number), MessageIcon::Stop);
                return Result{Status::NothingToOpen, EditorState{}};
            }
            for (qsizetype r = 0; r < tables.stored.recordCount(); ++r) {
                tables.stored.goTo(int(r));
                if (tables.stored.asString(QStringLiteral("smes")).trimmed() == QLatin1String("1")) {
                    state.loadedPartiecela = tables.stored.asString(QStringLiteral("partiecela"));
                    state.loadedLomeni = tables.stored.asInteger(QStringLiteral("lomeni"));
                }
            }
            correctionguard::Outcome guard = correctionguard::postingGuard(mix.value(0, QStringLiteral("datumzauct")));
            for (const Message &m : std::as_const(guard.messages))
                messages::show(m);
            const double mixNc = mix.number(0, QStringLiteral("nc"));
            const ResultSet history =
                batchhistory::collect(connection, context.cisloPC, state.loadedPartiecela, state.loadedLomeni);
            const qsizetype shown = guard.messages.size();
            correctionguard::historyGuard(guard, mixNc, context.ksJaknc, history);
            for (qsizetype i = shown; i < guard.messages.size(); ++i)
                messages::show(guard.messages.at(i));
            state.correctionState = guard.state;
            state.documentNumber = number;
            state.packaging = readPackaging(connection, tables.header.asString(QStringLiteral("partiecela")),
                                            tables.header.asInteger(QStringLiteral("lomeni")), context.stredisko);
        }
        if (tables.stored.recordCount() > 0)
            tables.stored.first();
        setHeaderDisplayFormats(tables.header);
        return Result{Status::Opened, state};
    });
}

} // namespace opening
