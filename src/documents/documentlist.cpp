#include "documentlist.h"

#include "sqltext.h"

#include <QDate>
#include <QDateTime>

namespace documentlist {

QString defaultOrderClause()
{
    return QStringLiteral("order by cislodokla  DESC");
}

QStringList listQueryLines(const ListScope &scope)
{
    QStringList lines;
    lines << QStringLiteral("select * from pelmixi");
    lines << scope.filterCondition;
    if (scope.filterCondition.isEmpty())
        lines << QStringLiteral(" where stredisko = ") + sqlQuote(scope.costCentre);
    else
        lines << QStringLiteral(" AND stredisko = ") + sqlQuote(scope.costCentre);
    lines << QStringLiteral(" and smes = '1'");
    if (!scope.year.isEmpty())
        lines << QStringLiteral(" AND rokd = ") + sqlQuote(scope.year);
    lines << scope.orderClause;
    return lines;
}

QString joinLines(const QStringList &lines)
{
    return lines.join(QLatin1Char('\n'));
}

QStringList linesQueryLines(const QString &cislodokla)
{
    return { QStringLiteral("select pelmixi.* from pelmixi"),
        QStringLiteral(" where cislodokla = ") + sqlQuote(cislodokla), QStringLiteral(" and pelmixi.smes = 0") };
}

QString listCaption(const QString &filterCondition, const QString &filterDescription)
{
    QString caption = QStringLiteral("Seznam dokladů Krmné směsi");
    if (!filterCondition.isEmpty())
        caption += QStringLiteral(" - filtr: ") + filterDescription;
    return caption;
}

QStringList yearItems(int currentYear)
{
    QStringList items { QStringLiteral("Vše") };
    for (int year = qMax(currentYear, 2020); year >= 2017; --year)
        items << QString::number(year);
    return items;
}

RowShade rowShade(const QVariant &nc, int ksJaknc)
{
    // A NULL price reads as 0, as an unpriced mix does.
    if (nc.toDouble() != 0.0)
        return RowShade::Normal;
    return ksJaknc == 1 ? RowShade::Red : RowShade::Rose;
}

const QList<GridColumn> &linesGridColumns()
{
    static const QList<GridColumn> columns {
        { QStringLiteral("PARTIECELA"), QStringLiteral("Partie"), 100, false },
        { QStringLiteral("LOMENI"), {}, 20, false },
        { QStringLiteral("NOMENKLA"), QStringLiteral("Nomenklatura"), 95, false },
        { QStringLiteral("NAZEVOSIVA"), {}, 220, false },
        { QStringLiteral("MNOZSTVI"), QStringLiteral("Množství"), 60, true },
        { QStringLiteral("MJ"), {}, 25, false },
        { QStringLiteral("PR"), QStringLiteral("Procento"), 55, false },
        { QStringLiteral("NC"), {}, 80, true },
        { QStringLiteral("ULC"), QStringLiteral("Šarže"), 150, false },
        { QStringLiteral("DRUH"), {}, 0, false },
        { QStringLiteral("ODRUDA"), {}, 0, false },
        { QStringLiteral("STUPEN"), {}, 0, false },
        { QStringLiteral("NAZ_DRU"), {}, 0, false },
        { QStringLiteral("NAZ_ODRU"), {}, 0, false },
    };
    return columns;
}

QString displayText(const QVariant &value, FieldKind kind)
{
    if (value.isNull())
        return {};
    switch (kind) {
    case FieldKind::Float: {
        QString text = QString::number(value.toDouble(), 'g', 15);
        text.replace(QLatin1Char('.'), QLatin1Char(','));
        return text;
    }
    case FieldKind::Date:
        return value.toDate().toString(QStringLiteral("dd.MM.yyyy"));
    case FieldKind::DateTime:
        return value.toDateTime().toString(QStringLiteral("dd.MM.yyyy hh:mm:ss"));
    case FieldKind::Blob:
        return QStringLiteral("(BLOB)");
    case FieldKind::Text:
    case FieldKind::Integer:
    case FieldKind::Time:
        break;
    }
    return value.toString();
}

} // namespace documentlist
