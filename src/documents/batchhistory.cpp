#include "batchhistory.h"

#include "connection.h"
#include "settings.h"
#include "sqltext.h"

namespace batchhistory {

QString tableName(const QString &cisloPC)
{
    if (!settings::isValidCisloPC(cisloPC))
        throw DbError(0, QStringLiteral("Číslo pracoviště „%1“ smí obsahovat jen písmena, číslice a podtržítko.")
                             .arg(cisloPC));
    return QStringLiteral("tmp") + cisloPC + QStringLiteral("pelmixi");
}

QStringList statements(const QString &cisloPC, const QString &partiecela, qint64 lomeni)
{
    const QString c = cisloPC;
    tableName(c);
    const QString p = sqlQuote(partiecela);
    const QString l = QString::number(lomeni);
    auto lines = [](std::initializer_list<QString> pieces) { return QStringList(pieces).join(QLatin1Char('\n')); };

    return {
        QStringLiteral("drop temporary table if exists tmp") + c + QStringLiteral("pelmixi"),
        lines({QStringLiteral("create temporary table tmp") + c + QStringLiteral("pelmixi"),
               QStringLiteral(" select \"PV\" as doklad,pv.cislodokla,pv.dp as pohyb,pv.datum,pv.datumzauct,"
                              "pvrad.hmotnostpv as mnozstvi,pv.cislofakt,pvrad.nc"),
               QStringLiteral(" from pv,pvrad where pv.cislodokla=pvrad.cislodokla"),
               QStringLiteral(" and pvrad.partiecela = ") + p, QStringLiteral(" and pvrad.lomeni = ") + l}),
        lines({QStringLiteral("insert into tmp") + c + QStringLiteral("pelmixi (doklad,cislodokla,datum,datumzauct,mnozstvi)"),
               QStringLiteral(" select \"DL\" as doklad,u.cislodokla,u.datumvn1,u.datumzauct,r.hmotnostvn as mnozstvi"),
               QStringLiteral(" from dl u,dlrad r where u.cislodokla=r.cislodokla"),
               QStringLiteral(" and r.partiecela = ") + p, QStringLiteral(" and r.lomeni = ") + l}),
        lines({QStringLiteral("insert into tmp") + c +
                   QStringLiteral("pelmixi (doklad,cislodokla,pohyb,datum,datumzauct,mnozstvi,cislofakt)"),
               QStringLiteral(" select \"VN\" as doklad,vn.cislodokla,vn.druhvydeje as pohyb,vn.datumvn1 as datum,"
                              "vn.datumzauct,vnrad.hmotnostvn as mnozstvi,vn.cislofakt"),
               QStringLiteral(" from vn,vnrad where vn.cislodokla=vnrad.cislodokla"),
               QStringLiteral(" and vnrad.partiecela = ") + p, QStringLiteral(" and vnrad.lomeni = ") + l}),
        lines({QStringLiteral("insert into tmp") + c + QStringLiteral("pelmixi (doklad,cislodokla,pohyb,datum,datumzauct,mnozstvi)"),
               QStringLiteral(" select \"VP\" as doklad,cislodokla,pohyb,datum,datumzauct, mnozstvi"),
               QStringLiteral(" from vp where "), QStringLiteral(" vp.partiecela = ") + p,
               QStringLiteral(" and vp.lomeni = ") + l}),
        lines({QStringLiteral("insert into tmp") + c + QStringLiteral("pelmixi (doklad,cislodokla,pohyb,datum,datumzauct,mnozstvi)"),
               QStringLiteral(" select \"KA\" as doklad,cislodokla,pohyb,datum,datumzauct, mnozstvi"),
               QStringLiteral(" from pv9 where "), QStringLiteral(" pv9.partiecela = ") + p,
               QStringLiteral(" and pv9.lomeni = ") + l, QStringLiteral(" and pv9.pohyb <> \"9\"")}),
        lines({QStringLiteral("UPDATE tmp") + c + QStringLiteral("pelmixi x, pv9 a SET x.NC=a.NC"),
               QStringLiteral(" where x.doklad=\"KA\" and x.cislodokla=a.CISLODOKLA and a.POHYB=\"9\"")}),
        lines({QStringLiteral("insert into tmp") + c + QStringLiteral("pelmixi (doklad,cislodokla,pohyb,datum,datumzauct,mnozstvi)"),
               QStringLiteral(" select \"SM\" as doklad,cislodokla,smes,datum,datumzauct, mnozstvi"),
               QStringLiteral(" from smesi where "), QStringLiteral(" smesi.partiecela = ") + p,
               QStringLiteral(" and smesi.lomeni = ") + l, QStringLiteral(" and smesi.smes <> \"1\"")}),
        lines({QStringLiteral("UPDATE tmp") + c + QStringLiteral("pelmixi x, smesi a SET x.NC=a.NC"),
               QStringLiteral(" where x.doklad=\"SM\" and x.cislodokla=a.CISLODOKLA and a.smes=\"1\"")}),
        lines({QStringLiteral("insert into tmp") + c + QStringLiteral("pelmixi (doklad,cislodokla,pohyb,datum,datumzauct,mnozstvi)"),
               QStringLiteral(" select \"KS\" as doklad,cislodokla,smes,datum,datumzauct, mnozstvi"),
               QStringLiteral(" from pelmixi where "), QStringLiteral(" pelmixi.partiecela = ") + p,
               QStringLiteral(" and pelmixi.lomeni = ") + l, QStringLiteral(" and pelmixi.smes <> \"1\"")}),
        lines({QStringLiteral("UPDATE tmp") + c + QStringLiteral("pelmixi x, pelmixi a SET x.NC=a.NC"),
               QStringLiteral(" where x.doklad=\"KS\" and x.cislodokla=a.CISLODOKLA and a.smes=\"1\"")}),
    };
}

QString selectStatement(const QString &cisloPC)
{
    return QStringLiteral("select * from ") + tableName(cisloPC);
}

QString dropStatement(const QString &cisloPC)
{
    return QStringLiteral("drop temporary table if exists ") + tableName(cisloPC);
}

ResultSet collect(Connection &connection, const QString &cisloPC, const QString &partiecela, qint64 lomeni)
{
    const QString drop = dropStatement(cisloPC);
    ResultSet rows;
    try {
        KdeJeSkl(connection, cisloPC, partiecela, lomeni);
        rows = connection.query(selectStatement(cisloPC));
    } catch (...) {
        try {
            if (connection.isOpen())
                connection.execute(drop);
        } catch (const DbError &) {
            // The first error is the one the operator must see.
        }
        throw;
    }
    connection.execute(drop);
    return rows;
}

} // namespace batchhistory

void KdeJeSkl(Connection &connection, const QString &cisloPC, const QString &partiecela, qint64 lomeni)
{
    const QStringList list = batchhistory::statements(cisloPC, partiecela, lomeni);
    for (const QString &statement : list)
        connection.execute(statement);
}
