#include "indexcheck.h"

#include "connection.h"

#include <QMap>
#include <QSet>

namespace indexcheck {

namespace {

IndexNeed need(const char *table, std::initializer_list<const char *> columns, int equality, const char *name,
    const char *purpose, bool guard = false)
{
    QStringList names;
    for (const char *column : columns)
        names << QString::fromLatin1(column);
    return { QString::fromLatin1(table), names, equality, QString::fromLatin1(name), QString::fromUtf8(purpose), guard };
}

} // namespace

const QList<IndexNeed> &needs()
{
    static const QList<IndexNeed> list {
        need("pelmixi", { "stredisko", "smes", "rokd", "cislodokla" }, 3, "pelmixi_seznam",
            "seznam dokladů jednoho roku: podmínka a řazení"),
        need("pelmixi", { "stredisko", "smes", "cislodokla" }, 2, "pelmixi_seznam_vse",
            "seznam dokladů všech let (Vše): podmínka a řazení"),
        need("pelmixi", { "cislodokla" }, 1, "pelmixi_doklad", "řádky dokladu, otevření a zápis dokladu", true),
        need("pelmixi", { "partiecela", "lomeni" }, 2, "pelmixi_partie", "historie partie při otevření dokladu",
            true),
        need("smesi", { "partiecela", "lomeni" }, 2, "smesi_partie", "historie partie při otevření dokladu", true),
        need("smesi", { "cislodokla" }, 1, "smesi_doklad", "historie partie při otevření dokladu", true),
        need("pv", { "cislodokla" }, 1, "pv_doklad", "historie partie při otevření dokladu", true),
        need("pvrad", { "partiecela", "lomeni" }, 2, "pvrad_partie", "historie partie při otevření dokladu", true),
        need("dl", { "cislodokla" }, 1, "dl_doklad", "historie partie při otevření dokladu", true),
        need("dlrad", { "partiecela", "lomeni" }, 2, "dlrad_partie", "historie partie při otevření dokladu", true),
        need("vn", { "cislodokla" }, 1, "vn_doklad", "historie partie při otevření dokladu", true),
        need("vnrad", { "partiecela", "lomeni" }, 2, "vnrad_partie", "historie partie při otevření dokladu", true),
        need("vp", { "partiecela", "lomeni" }, 2, "vp_partie", "historie partie při otevření dokladu", true),
        need("pv9", { "partiecela", "lomeni" }, 2, "pv9_partie", "historie partie při otevření dokladu", true),
        need("pv9", { "cislodokla" }, 1, "pv9_doklad", "historie partie při otevření dokladu", true),
        need("skarta", { "partiecela", "lomeni" }, 2, "skarta_karta", "skladová karta partie, zápis dokladu"),
        need("skarta", { "stredisko" }, 1, "skarta_stredisko", "výběr partie ze skladu střediska"),
    };
    return list;
}

bool serves(const QStringList &indexColumns, const IndexNeed &need)
{
    if (indexColumns.size() < need.columns.size())
        return false;
    const int equality = qBound(0, need.equalityColumns, int(need.columns.size()));
    QSet<QString> wanted;
    QSet<QString> leading;
    for (int i = 0; i < equality; ++i) {
        wanted.insert(need.columns.at(i).toLower());
        leading.insert(indexColumns.at(i).toLower());
    }
    if (wanted != leading)
        return false;
    for (int i = equality; i < need.columns.size(); ++i) {
        if (indexColumns.at(i).compare(need.columns.at(i), Qt::CaseInsensitive) != 0)
            return false;
    }
    return true;
}

QString createStatement(const IndexNeed &need)
{
    return QStringLiteral("CREATE INDEX %1 ON %2 (%3);").arg(need.name, need.table, need.columns.join(QStringLiteral(", ")));
}

QList<Finding> check(Connection &connection)
{
    // Table and index names as the catalogue has them; compared case-insensitively.
    QSet<QString> tables;
    const ResultSet tableRows = connection.query(
        QStringLiteral("select table_name from information_schema.tables where table_schema = database()"));
    for (qsizetype r = 0; r < tableRows.rowCount(); ++r)
        tables.insert(tableRows.value(r, 0).toString().toLower());

    QMap<QString, QMap<QString, QStringList>> indexes; // table -> index -> columns
    const ResultSet rows = connection.query(
        QStringLiteral("select table_name, index_name, column_name from information_schema.statistics"
                       " where table_schema = database() order by table_name, index_name, seq_in_index"));
    for (qsizetype r = 0; r < rows.rowCount(); ++r)
        indexes[rows.value(r, 0).toString().toLower()][rows.value(r, 1).toString()]
            << rows.value(r, 2).toString().toLower();

    QList<Finding> findings;
    for (const IndexNeed &n : needs()) {
        Finding f { n, !tables.contains(n.table), {} };
        const QMap<QString, QStringList> tableIndexes = indexes.value(n.table);
        for (auto it = tableIndexes.cbegin(); it != tableIndexes.cend() && !f.tableMissing; ++it) {
            if (serves(it.value(), n)) {
                f.servedBy = it.key();
                break;
            }
        }
        findings << f;
    }
    return findings;
}

QStringList reportLines(const QList<Finding> &findings, const QString &database)
{
    QStringList lines { QStringLiteral("Kontrola indexů databáze %1").arg(database) };
    QStringList statements;
    for (const Finding &f : findings) {
        const QString what = QStringLiteral("%1 (%2) – %3: ").arg(f.need.table, f.need.columns.join(QStringLiteral(", ")), f.need.purpose);
        if (f.tableMissing)
            lines << what + QStringLiteral("CHYBÍ TABULKA");
        else if (f.servedBy.isEmpty()) {
            lines << what + QStringLiteral("CHYBÍ");
            statements << createStatement(f.need);
        } else
            lines << what + QStringLiteral("je (%1)").arg(f.servedBy);
    }
    if (exitCode(findings) == 0) {
        lines << QStringLiteral("Žádný potřebný index nechybí.");
        return lines;
    }
    if (!statements.isEmpty()) {
        lines << QString() << QStringLiteral("Chybějící indexy přidáte příkazy:");
        lines << statements;
    }
    return lines;
}

int exitCode(const QList<Finding> &findings)
{
    for (const Finding &f : findings) {
        if (f.missing())
            return 1;
    }
    return 0;
}

QString openingGuardWarning(const QList<Finding> &findings)
{
    QStringList missing;
    for (const Finding &f : findings) {
        if (f.need.openingGuard && f.missing())
            missing << QStringLiteral("%1 (%2)").arg(f.need.table, f.need.columns.join(QLatin1Char(',')));
    }
    if (missing.isEmpty())
        return {};
    return QStringLiteral("Chybí indexy pro otevírání dokladů (otevření bude pomalé): %1; seznam a příkazy vypíše "
                          "pelmixi --check-db")
        .arg(missing.join(QStringLiteral(", ")));
}

} // namespace indexcheck
