// Batch genealogy: the graph is discovered level by level. The batches of a level go into a
// temporary key table of the connection, and each document table is read once per level by a
// join from that key table on its (partiecela, lomeni) index, never once per batch.
#include "genealogy.h"

#include "indexcheck.h"

#include "connection.h"
#include "sqltext.h"

#include <QSet>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace genealogy {

namespace {

const QString KeyTable = u"genealogy_keys"_s;
// Rows of the key table sent in one insert statement.
constexpr int KeysPerInsert = 2000;

// A document that consumes batches and produces one: its table, the column that marks the
// product row and the value marking it.
struct Producer {
    QString label;
    QString table;
    QString column;
    QString productValue;
};

const QList<Producer> &producers()
{
    static const QList<Producer> list{
        {u"KS"_s, u"pelmixi"_s, u"smes"_s, u"1"_s},
        {u"SM"_s, u"smesi"_s, u"smes"_s, u"1"_s},
        {u"KA"_s, u"pv9"_s, u"pohyb"_s, u"9"_s},
    };
    return list;
}

// The ends downstream: line table, header table (empty: one table), their columns.
struct End {
    QString label;
    QString lineTable;
    QString headerTable;
    QString quantity;
    QString date;
    QString partner;
};

const QList<End> &ends()
{
    static const QList<End> list{
        {u"DL"_s, u"dlrad"_s, u"dl"_s, u"hmotnostvn"_s, u"datumvn1"_s, u"nazevpodni"_s},
        {u"VN"_s, u"vnrad"_s, u"vn"_s, u"hmotnostvn"_s, u"datumvn1"_s, u"nazevpodni"_s},
        {u"VP"_s, u"vp"_s, QString(), u"mnozstvi"_s, u"datum"_s, u"nastredisko"_s},
    };
    return list;
}

QString batchText(const BatchKey &key)
{
    return key.partiecela + u'/' + QString::number(key.lomeni);
}

QString docText(const QString &type, const QString &number)
{
    return type + u' ' + number;
}

// A document seen from one batch: a receipt or producing document (origin), or an end.
struct Document {
    QString type;
    QString number;
    QDate date;
    QDate posted;
    QString name;
    double quantity = 0;
    bool hasQuantity = false;
    QString unit;
    QString partner;
};

struct ConsumedLine {
    BatchKey key;
    double quantity = 0;
    QString unit;
};

struct Origin {
    Document doc;
    QList<ConsumedLine> lines; // producing documents only
};

bool docBefore(const Document &a, const Document &b)
{
    if (a.date != b.date)
        return a.date < b.date; // an invalid (missing) date sorts first
    if (a.type != b.type)
        return a.type < b.type;
    return a.number < b.number;
}

QDate dateOf(const QVariant &v)
{
    if (v.typeId() == QMetaType::QDateTime)
        return v.toDateTime().date();
    return v.toDate();
}

// The rows of a result in the order of the given columns (as text), so the first path to a
// batch, and with it the shape of the tree, does not depend on the order the server sends.
QList<qsizetype> orderedRows(const ResultSet &rs, std::initializer_list<int> columns)
{
    QList<qsizetype> order(rs.rowCount());
    for (qsizetype i = 0; i < order.size(); ++i)
        order[i] = i;
    QList<QStringList> keys(rs.rowCount());
    for (qsizetype i = 0; i < order.size(); ++i)
        for (int c : columns)
            keys[i].append(rs.value(i, c).toString());
    std::stable_sort(order.begin(), order.end(), [&keys](qsizetype a, qsizetype b) { return keys.at(a) < keys.at(b); });
    return order;
}

// Per-connection key table of the batches of one level.
class KeyTableFill {
public:
    explicit KeyTableFill(Connection &c) : m_c(c)
    {
        m_c.execute(u"drop temporary table if exists "_s + KeyTable);
        // The key columns take the types and the character set of the document tables, so the
        // joins compare like with like and use the indexes.
        m_c.execute(u"create temporary table "_s + KeyTable
                    + u" (primary key (partiecela, lomeni)) engine=memory"
                      u" select partiecela, lomeni from pelmixi limit 0"_s);
    }
    ~KeyTableFill()
    {
        try {
            m_c.execute(u"drop temporary table if exists "_s + KeyTable);
        } catch (...) {
            // The table belongs to the connection and ends with it.
        }
    }
    void fill(const QList<BatchKey> &keys)
    {
        m_c.execute(u"delete from "_s + KeyTable);
        for (qsizetype start = 0; start < keys.size(); start += KeysPerInsert) {
            QString sql = u"insert ignore into "_s + KeyTable + u" (partiecela, lomeni) values "_s;
            const qsizetype end = std::min<qsizetype>(keys.size(), start + KeysPerInsert);
            for (qsizetype i = start; i < end; ++i) {
                if (i > start)
                    sql += u',';
                sql += u'(' + sqlQuote(keys.at(i).partiecela) + u',' + QString::number(keys.at(i).lomeni) + u')';
            }
            m_c.execute(sql);
        }
    }

private:
    Connection &m_c;
};

QString lineCondition(const QString &alias, const Producer &p)
{
    return u"("_s + alias + u'.' + p.column + u" is null or "_s + alias + u'.' + p.column + u" <> \""_s
        + p.productValue + u"\")"_s;
}

// Receipts and producing documents of the batches in the key table, with the consumed lines of
// the producing ones.
QHash<BatchKey, QList<Origin>> fetchOrigins(Connection &c)
{
    QHash<BatchKey, QList<Origin>> result;
    auto originFor = [&result](const BatchKey &key, const QString &type, const QString &number) -> Origin & {
        QList<Origin> &list = result[key];
        for (Origin &o : list) {
            if (o.doc.type == type && o.doc.number == number)
                return o;
        }
        list.append(Origin{});
        list.last().doc.type = type;
        list.last().doc.number = number;
        return list.last();
    };

    const ResultSet pv = c.query(
        u"select straight_join r.partiecela, r.lomeni, r.cislodokla, r.hmotnostpv, r.mj, r.nazevosiva,"
        u" u.datum, u.datumzauct, u.nazevpodni from "_s
        + KeyTable
        + u" k join pvrad r on r.partiecela = k.partiecela and r.lomeni = k.lomeni"
          u" left join pv u on u.cislodokla = r.cislodokla"_s);
    for (const qsizetype r : orderedRows(pv, {0, 1, 2})) {
        const BatchKey key{pv.value(r, 0).toString(), pv.value(r, 1).toLongLong()};
        Origin &o = originFor(key, u"PV"_s, pv.value(r, 2).toString());
        Document &d = o.doc;
        d.quantity += pv.value(r, 3).toDouble();
        d.hasQuantity = true;
        if (d.unit.isEmpty())
            d.unit = pv.value(r, 4).toString().trimmed();
        if (d.name.isEmpty())
            d.name = pv.value(r, 5).toString().trimmed();
        d.date = dateOf(pv.value(r, 6));
        d.posted = dateOf(pv.value(r, 7));
        d.partner = pv.value(r, 8).toString().trimmed();
    }

    for (const Producer &p : producers()) {
        const ResultSet rs = c.query(
            u"select straight_join p.partiecela, p.lomeni, p.cislodokla, p.mnozstvi, p.mj, p.nazevosiva,"
            u" p.datum, p.datumzauct, l.partiecela as lpartiecela, l.lomeni as llomeni,"
            u" l.mnozstvi as lmnozstvi, l.mj as lmj from "_s
            + KeyTable + u" k join "_s + p.table
            + u" p on p.partiecela = k.partiecela and p.lomeni = k.lomeni and p."_s + p.column + u" = \""_s
            + p.productValue + u"\" left join "_s + p.table + u" l on l.cislodokla = p.cislodokla and "_s
            + lineCondition(u"l"_s, p));
        QSet<QString> seenProductRows;
        for (const qsizetype r : orderedRows(rs, {0, 1, 2, 8, 9})) {
            const BatchKey key{rs.value(r, 0).toString(), rs.value(r, 1).toLongLong()};
            const QString number = rs.value(r, 2).toString();
            Origin &o = originFor(key, p.label, number);
            Document &d = o.doc;
            if (!d.hasQuantity) {
                d.quantity = rs.value(r, 3).toDouble();
                d.hasQuantity = true;
                d.unit = rs.value(r, 4).toString().trimmed();
                d.name = rs.value(r, 5).toString().trimmed();
                d.date = dateOf(rs.value(r, 6));
                d.posted = dateOf(rs.value(r, 7));
            }
            const QVariant linePartie = rs.value(r, 8);
            if (linePartie.isNull())
                continue;
            const QString code = linePartie.toString();
            // Works (3-character codes from the price list) and empty codes are no batches.
            if (code.trimmed().size() <= 3)
                continue;
            o.lines.append(ConsumedLine{BatchKey{code, rs.value(r, 9).toLongLong()}, rs.value(r, 10).toDouble(),
                                        rs.value(r, 11).toString().trimmed()});
        }
    }
    for (QList<Origin> &list : result)
        std::stable_sort(list.begin(), list.end(),
                         [](const Origin &a, const Origin &b) { return docBefore(a.doc, b.doc); });
    return result;
}

// Depth-first search from node 0 over `out` (node → list of (target, edge id)); answers the ids
// of the edges that close a cycle (lead back to a node on the current path). Iterative, so a
// genealogy of any depth cannot exhaust the stack.
QSet<int> backEdges(const QList<QList<std::pair<int, int>>> &out)
{
    QSet<int> back;
    if (out.isEmpty())
        return back;
    QList<char> state(out.size(), 0); // 0 new, 1 on the path, 2 done
    QList<std::pair<int, qsizetype>> stack; // node, next edge position
    stack.append({0, 0});
    state[0] = 1;
    while (!stack.isEmpty()) {
        auto &[node, pos] = stack.last();
        if (pos < out.at(node).size()) {
            const auto [target, edge] = out.at(node).at(pos);
            ++pos;
            if (state.at(target) == 1)
                back.insert(edge);
            else if (state.at(target) == 0) {
                state[target] = 1;
                stack.append({target, 0});
            }
        } else {
            state[node] = 2;
            stack.removeLast();
        }
    }
    return back;
}

// Kahn's order of the nodes over the edges that are not back edges.
QList<int> topologicalOrder(const QList<QList<std::pair<int, int>>> &out, const QSet<int> &back)
{
    QList<int> indegree(out.size(), 0);
    for (const auto &edges : out)
        for (const auto &[target, edge] : edges)
            if (!back.contains(edge))
                ++indegree[target];
    QList<int> order;
    order.reserve(out.size());
    for (int n = 0; n < out.size(); ++n)
        if (indegree.at(n) == 0)
            order.append(n);
    for (qsizetype i = 0; i < order.size(); ++i) {
        for (const auto &[target, edge] : out.at(order.at(i))) {
            if (back.contains(edge))
                continue;
            if (--indegree[target] == 0)
                order.append(target);
        }
    }
    return order;
}

struct Child {
    Document doc;
    int node = -1;     // a batch node, or
    int terminal = -1; // an end movement of the parent node
    BatchKey key;
};

// --- downstream ---------------------------------------------------------------------------

struct DownEdge {
    int from = -1;
    int to = -1;
    double quantity = 0;
    QString unit;
    QString docType;
    QString docNumber;
};

struct Terminal {
    Document doc;
    BatchKey key;
    QString note;
};

struct DownNode {
    BatchKey key;
    int level = 0;
    int treeParent = -1;
    Document producer;
    bool hasProducer = false;
    QList<int> ins; // edge ids
    QList<int> treeChildren;
    QList<Terminal> terminals;
    QStringList notes;
    std::optional<double> share;   // suspect part of one unit of the batch
    std::optional<double> suspect; // suspect quantity in the batch's unit
};

void traceDown(Connection &c, KeyTableFill &keys, Trace &t, const Origin *rootOrigin)
{
    QList<DownNode> nodes;
    QList<DownEdge> edges;
    QHash<BatchKey, int> index;
    nodes.append(DownNode{});
    nodes[0].key = t.batch;
    if (rootOrigin) {
        nodes[0].producer = rootOrigin->doc;
        nodes[0].hasProducer = true;
    }
    index.insert(t.batch, 0);

    QList<int> frontier{0};
    int level = 0;
    while (!frontier.isEmpty()) {
        QList<BatchKey> frontierKeys;
        frontierKeys.reserve(frontier.size());
        for (int n : frontier)
            frontierKeys.append(nodes.at(n).key);
        keys.fill(frontierKeys);
        QList<int> next;

        for (const Producer &p : producers()) {
            // The lines that consumed the level's batches, then the product rows of their
            // documents: joining the product to every line would read each document once per
            // line, the IN list of document numbers reads it once.
            const ResultSet rs = c.query(
                u"select straight_join l.partiecela, l.lomeni, l.mnozstvi, l.mj, l.cislodokla,"
                u" l.nazevosiva, l.datum, l.datumzauct from "_s
                + KeyTable + u" k join "_s + p.table
                + u" l on l.partiecela = k.partiecela and l.lomeni = k.lomeni and "_s + lineCondition(u"l"_s, p));
            QStringList documents;
            QSet<QString> seenDocuments;
            for (qsizetype r = 0; r < rs.rowCount(); ++r) {
                const QString number = rs.value(r, 4).toString();
                if (!seenDocuments.contains(number)) {
                    seenDocuments.insert(number);
                    documents.append(number);
                }
            }
            QHash<QString, std::pair<BatchKey, Document>> products;
            for (qsizetype start = 0; start < documents.size(); start += KeysPerInsert) {
                QStringList quoted;
                for (qsizetype i = start; i < std::min<qsizetype>(documents.size(), start + KeysPerInsert); ++i)
                    quoted << sqlQuote(documents.at(i));
                const ResultSet ps = c.query(u"select cislodokla, partiecela, lomeni, mnozstvi, mj, nazevosiva, datum,"
                                             u" datumzauct from "_s
                                             + p.table + u" where cislodokla in ("_s + quoted.join(u',') + u") and "_s
                                             + p.column + u" = \""_s + p.productValue + u"\""_s);
                for (const qsizetype r : orderedRows(ps, {0, 1, 2})) {
                    const QString number = ps.value(r, 0).toString();
                    if (products.contains(number))
                        continue; // a second product row of one document: the first one counts
                    Document d;
                    d.type = p.label;
                    d.number = number;
                    d.quantity = ps.value(r, 3).toDouble();
                    d.hasQuantity = true;
                    d.unit = ps.value(r, 4).toString().trimmed();
                    d.name = ps.value(r, 5).toString().trimmed();
                    d.date = dateOf(ps.value(r, 6));
                    d.posted = dateOf(ps.value(r, 7));
                    products.insert(number, {BatchKey{ps.value(r, 1).toString(), ps.value(r, 2).toLongLong()}, d});
                }
            }
            for (const qsizetype r : orderedRows(rs, {0, 1, 4})) {
                const BatchKey from{rs.value(r, 0).toString(), rs.value(r, 1).toLongLong()};
                const int fromNode = index.value(from, -1);
                if (fromNode < 0)
                    continue;
                const QString number = rs.value(r, 4).toString();
                const auto found = products.constFind(number);
                if (found == products.constEnd()) {
                    // A consuming document without its product row: the batch ends there.
                    Terminal end;
                    end.key = from;
                    end.doc.type = p.label;
                    end.doc.number = number;
                    end.doc.quantity = rs.value(r, 2).toDouble();
                    end.doc.hasQuantity = true;
                    end.doc.unit = rs.value(r, 3).toString().trimmed();
                    end.doc.name = rs.value(r, 5).toString().trimmed();
                    end.doc.date = dateOf(rs.value(r, 6));
                    end.doc.posted = dateOf(rs.value(r, 7));
                    end.note = u"doklad nemá řádek produktu"_s;
                    nodes[fromNode].terminals.append(end);
                    continue;
                }
                const BatchKey &product = found->first;
                int to = index.value(product, -1);
                if (to < 0) {
                    to = int(nodes.size());
                    DownNode node;
                    node.key = product;
                    node.level = level + 1;
                    node.treeParent = fromNode;
                    node.hasProducer = true;
                    node.producer = found->second;
                    nodes.append(node);
                    nodes[fromNode].treeChildren.append(to);
                    index.insert(product, to);
                    next.append(to);
                } else if (nodes.at(to).hasProducer
                           && (nodes.at(to).producer.type != p.label || nodes.at(to).producer.number != number)
                           && to != 0) {
                    const QString note = u"partii vyrábí také doklad "_s + docText(p.label, number);
                    if (!nodes.at(to).notes.contains(note))
                        nodes[to].notes.append(note);
                }
                DownEdge e;
                e.from = fromNode;
                e.to = to;
                e.quantity = rs.value(r, 2).toDouble();
                e.unit = rs.value(r, 3).toString().trimmed();
                e.docType = p.label;
                e.docNumber = number;
                nodes[to].ins.append(int(edges.size()));
                edges.append(e);
            }
        }

        for (const End &end : ends()) {
            const QString header = end.headerTable.isEmpty() ? u"r"_s : u"u"_s;
            QString sql = u"select straight_join r.partiecela, r.lomeni, r.cislodokla, r."_s + end.quantity
                + u", r.mj, r.nazevosiva, "_s + header + u'.' + end.date + u", "_s + header + u".datumzauct, "_s
                + header + u'.' + end.partner + u" from "_s + KeyTable + u" k join "_s + end.lineTable
                + u" r on r.partiecela = k.partiecela and r.lomeni = k.lomeni"_s;
            if (!end.headerTable.isEmpty())
                sql += u" left join "_s + end.headerTable + u" u on u.cislodokla = r.cislodokla"_s;
            const ResultSet rs = c.query(sql);
            for (const qsizetype r : orderedRows(rs, {0, 1, 2})) {
                const BatchKey key{rs.value(r, 0).toString(), rs.value(r, 1).toLongLong()};
                const int node = index.value(key, -1);
                if (node < 0)
                    continue;
                const QString number = rs.value(r, 2).toString();
                QList<Terminal> &terms = nodes[node].terminals;
                auto same = std::find_if(terms.begin(), terms.end(), [&](const Terminal &x) {
                    return x.doc.type == end.label && x.doc.number == number;
                });
                const double q = rs.value(r, 3).toDouble();
                const QString unit = rs.value(r, 4).toString().trimmed();
                if (same != terms.end()) {
                    const std::optional<double> f = unitFactor(unit, same->doc.unit);
                    if (f)
                        same->doc.quantity += q * *f;
                    else
                        same->note = u"řádky dokladu mají nepřevoditelné jednotky"_s;
                    continue;
                }
                Terminal t2;
                t2.key = key;
                t2.doc.type = end.label;
                t2.doc.number = number;
                t2.doc.quantity = q;
                t2.doc.hasQuantity = true;
                t2.doc.unit = unit;
                t2.doc.name = rs.value(r, 5).toString().trimmed();
                t2.doc.date = dateOf(rs.value(r, 6));
                t2.doc.posted = dateOf(rs.value(r, 7));
                t2.doc.partner = rs.value(r, 8).toString().trimmed();
                terms.append(t2);
            }
        }
        frontier = next;
        ++level;
    }

    // Cycles, then shares in an order where every input comes before its product.
    QList<QList<std::pair<int, int>>> out(nodes.size());
    for (int e = 0; e < edges.size(); ++e)
        out[edges.at(e).from].append({edges.at(e).to, e});
    const QSet<int> back = backEdges(out);
    for (int e = 0; e < edges.size(); ++e) {
        if (!back.contains(e))
            continue;
        const DownEdge &edge = edges.at(e);
        const QString text = u"Cyklus: partie "_s + batchText(nodes.at(edge.to).key)
            + u" se vrací do vlastní historie dokladem "_s + docText(edge.docType, edge.docNumber) + u" (spotřeba partie "_s
            + batchText(nodes.at(edge.from).key) + u")."_s;
        if (!t.cycles.contains(text))
            t.cycles.append(text);
        const QString note = u"cyklus: "_s + docText(edge.docType, edge.docNumber) + u" spotřebovává partii "_s
            + batchText(nodes.at(edge.from).key) + u", nezapočteno"_s;
        if (!nodes.at(edge.to).notes.contains(note))
            nodes[edge.to].notes.append(note);
    }
    const QList<int> order = topologicalOrder(out, back);
    for (int n : order) {
        DownNode &node = nodes[n];
        if (n == 0) {
            node.share = 1.0;
            if (node.hasProducer && node.producer.hasQuantity)
                node.suspect = node.producer.quantity;
            continue;
        }
        double suspect = 0;
        bool known = true;
        QSet<int> sources;
        for (int e : node.ins) {
            if (back.contains(e))
                continue;
            const DownEdge &edge = edges.at(e);
            sources.insert(edge.from);
            const DownNode &from = nodes.at(edge.from);
            if (!from.share) {
                known = false;
                node.notes.append(u"podíl nelze určit: neznámý podíl partie "_s + batchText(from.key));
                continue;
            }
            const std::optional<double> f = unitFactor(edge.unit, node.producer.unit);
            if (!f) {
                known = false;
                node.notes.append(u"podíl nelze určit: jednotky nelze převést ("_s + edge.unit + u" → "_s
                                  + node.producer.unit + u')');
                continue;
            }
            suspect += edge.quantity * *from.share * *f;
        }
        if (sources.size() > 1)
            node.notes.append(u"sloučeno z %1 cest"_s.arg(sources.size()));
        if (!known)
            continue;
        node.suspect = suspect;
        if (node.producer.quantity > 0)
            node.share = suspect / node.producer.quantity;
        else
            node.notes.append(u"podíl nelze určit: množství produktu je nulové"_s);
    }

    // Rows in tree order: each batch's ends and products sorted by date, then document.
    t.downNodes = int(nodes.size());
    struct Item {
        int node;
        int terminal; // -1: the node's own row
        int parentRow;
    };
    QList<Item> stack;
    auto pushChildren = [&](int n, int parentRow) {
        QList<Child> children;
        const DownNode &node = nodes.at(n);
        for (int i = 0; i < node.terminals.size(); ++i)
            children.append(Child{node.terminals.at(i).doc, n, i, node.key});
        for (int c2 : node.treeChildren)
            children.append(Child{nodes.at(c2).producer, c2, -1, nodes.at(c2).key});
        std::stable_sort(children.begin(), children.end(),
                         [](const Child &a, const Child &b) { return docBefore(a.doc, b.doc); });
        for (auto it = children.rbegin(); it != children.rend(); ++it)
            stack.append(Item{it->node, it->terminal, parentRow});
    };
    pushChildren(0, -1);
    while (!stack.isEmpty()) {
        const Item item = stack.takeLast();
        const DownNode &node = nodes.at(item.node);
        Row row;
        row.downstream = true;
        row.parent = item.parentRow;
        if (item.terminal >= 0) {
            const Terminal &end = node.terminals.at(item.terminal);
            row.level = node.level + 1;
            row.docType = end.doc.type;
            row.docNumber = end.doc.number;
            row.date = end.doc.date;
            row.posted = end.doc.posted;
            row.batch = node.key.partiecela;
            row.fraction = node.key.lomeni;
            row.name = end.doc.name;
            row.quantity = end.doc.quantity;
            row.unit = end.doc.unit;
            row.partner = end.doc.partner;
            QStringList notes;
            if (!end.note.isEmpty())
                notes << end.note;
            if (node.share)
                row.suspect = end.doc.quantity * *node.share;
            else
                notes << u"podíl nelze určit"_s;
            row.note = notes.join(u"; "_s);
            t.down.append(row);
            continue;
        }
        row.level = node.level;
        row.docType = node.producer.type;
        row.docNumber = node.producer.number;
        row.date = node.producer.date;
        row.posted = node.producer.posted;
        row.batch = node.key.partiecela;
        row.fraction = node.key.lomeni;
        row.name = node.producer.name;
        if (node.producer.hasQuantity)
            row.quantity = node.producer.quantity;
        row.unit = node.producer.unit;
        row.suspect = node.suspect;
        row.note = node.notes.join(u"; "_s);
        const int rowIndex = int(t.down.size());
        t.down.append(row);
        pushChildren(item.node, rowIndex);
    }

    // Notes of the traced batch itself (a cycle back into it) go to the level-0 row.
    if (!nodes.at(0).notes.isEmpty())
        t.origin.note = QStringList{t.origin.note, nodes.at(0).notes.join(u"; "_s)}.join(u"; "_s);
    if (t.origin.note.startsWith(u"; "_s))
        t.origin.note.remove(0, 2);
}

// --- upstream -----------------------------------------------------------------------------

struct UpEdge {
    int consumer = -1;
    int consumed = -1;
    double quantity = 0;
    QString unit;
    QString docType;
    QString docNumber;
};

struct UpNode {
    BatchKey key;
    int level = 0;
    int treeParent = -1;
    QList<Origin> origins;
    QList<int> ins; // edges from consumers
    QList<int> treeChildren;
    QStringList notes;
};

void traceUp(Connection &c, KeyTableFill &keys, Trace &t, const QList<Origin> &rootOrigins)
{
    QList<UpNode> nodes;
    QList<UpEdge> edges;
    QHash<BatchKey, int> index;
    nodes.append(UpNode{});
    nodes[0].key = t.batch;
    nodes[0].origins = rootOrigins;
    index.insert(t.batch, 0);

    QList<int> frontier{0};
    int level = 0;
    bool originsKnown = true; // the level-0 origins were fetched with the level-0 row
    while (!frontier.isEmpty()) {
        if (!originsKnown) {
            QList<BatchKey> frontierKeys;
            for (int n : frontier)
                frontierKeys.append(nodes.at(n).key);
            keys.fill(frontierKeys);
            const QHash<BatchKey, QList<Origin>> origins = fetchOrigins(c);
            for (int n : frontier)
                nodes[n].origins = origins.value(nodes.at(n).key);
        }
        originsKnown = false;
        QList<int> next;
        for (int n : frontier) {
            for (const Origin &o : nodes.at(n).origins) {
                for (const ConsumedLine &line : o.lines) {
                    int to = index.value(line.key, -1);
                    if (to < 0) {
                        to = int(nodes.size());
                        UpNode node;
                        node.key = line.key;
                        node.level = level + 1;
                        node.treeParent = n;
                        nodes.append(node);
                        nodes[n].treeChildren.append(to);
                        index.insert(line.key, to);
                        next.append(to);
                    }
                    UpEdge e{n, to, line.quantity, line.unit, o.doc.type, o.doc.number};
                    nodes[to].ins.append(int(edges.size()));
                    edges.append(e);
                }
            }
        }
        frontier = next;
        ++level;
    }

    QList<QList<std::pair<int, int>>> out(nodes.size());
    for (int e = 0; e < edges.size(); ++e)
        out[edges.at(e).consumer].append({edges.at(e).consumed, e});
    const QSet<int> back = backEdges(out);
    for (int e : back) {
        const UpEdge &edge = edges.at(e);
        const QString text = u"Cyklus: partie "_s + batchText(nodes.at(edge.consumed).key)
            + u" se vrací do vlastní historie dokladem "_s + docText(edge.docType, edge.docNumber)
            + u" (výroba partie "_s + batchText(nodes.at(edge.consumer).key) + u")."_s;
        if (!t.cycles.contains(text))
            t.cycles.append(text);
        const QString note = u"cyklus: "_s + docText(edge.docType, edge.docNumber)
            + u" ji spotřebovává pro partii "_s + batchText(nodes.at(edge.consumer).key) + u", nezapočteno"_s;
        if (!nodes.at(edge.consumed).notes.contains(note))
            nodes[edge.consumed].notes.append(note);
    }
    std::sort(t.cycles.begin(), t.cycles.end());
    t.upNodes = int(nodes.size());

    struct Item {
        int node;
        int parentRow;
    };
    QList<Item> stack;
    auto pushChildren = [&](int n, int parentRow) {
        QList<Child> children;
        for (int c2 : nodes.at(n).treeChildren) {
            Child ch;
            ch.node = c2;
            ch.key = nodes.at(c2).key;
            if (!nodes.at(c2).origins.isEmpty())
                ch.doc = nodes.at(c2).origins.first().doc;
            children.append(ch);
        }
        std::stable_sort(children.begin(), children.end(), [](const Child &a, const Child &b) {
            if (a.key.partiecela != b.key.partiecela)
                return a.key.partiecela < b.key.partiecela;
            return a.key.lomeni < b.key.lomeni;
        });
        for (auto it = children.rbegin(); it != children.rend(); ++it)
            stack.append(Item{it->node, parentRow});
    };
    pushChildren(0, -1);
    while (!stack.isEmpty()) {
        const Item item = stack.takeLast();
        const UpNode &node = nodes.at(item.node);
        QStringList notes = node.notes;
        // Consumed quantity along every path into the traced batch, in the first path's unit.
        double quantity = 0;
        QString unit;
        bool first = true;
        int paths = 0;
        for (int e : node.ins) {
            if (back.contains(e))
                continue;
            const UpEdge &edge = edges.at(e);
            ++paths;
            if (first) {
                unit = edge.unit;
                quantity = edge.quantity;
                first = false;
                continue;
            }
            const std::optional<double> f = unitFactor(edge.unit, unit);
            if (f)
                quantity += edge.quantity * *f;
            else
                notes << u"spotřebu v dokladu "_s + docText(edge.docType, edge.docNumber)
                        + u" nelze převést ("_s + edge.unit + u" → "_s + unit + u')';
        }
        if (paths > 1)
            notes << u"sloučeno z %1 cest"_s.arg(paths);
        Row row;
        row.downstream = false;
        row.level = node.level;
        row.parent = item.parentRow;
        row.batch = node.key.partiecela;
        row.fraction = node.key.lomeni;
        if (!first)
            row.quantity = quantity;
        row.unit = unit;
        if (node.origins.isEmpty()) {
            notes.prepend(u"původ partie nenalezen"_s);
        } else {
            const Document &d = node.origins.first().doc;
            row.docType = d.type;
            row.docNumber = d.number;
            row.date = d.date;
            row.posted = d.posted;
            row.name = d.name;
            row.partner = d.partner;
            if (row.unit.isEmpty())
                row.unit = d.unit;
        }
        row.note = notes.join(u"; "_s);
        const int rowIndex = int(t.up.size());
        t.up.append(row);
        for (qsizetype i = 1; i < node.origins.size(); ++i) {
            const Document &d = node.origins.at(i).doc;
            Row extra = row;
            extra.docType = d.type;
            extra.docNumber = d.number;
            extra.date = d.date;
            extra.posted = d.posted;
            extra.name = d.name;
            extra.partner = d.partner;
            extra.quantity = d.hasQuantity ? std::optional<double>(d.quantity) : std::nullopt;
            extra.unit = d.unit;
            extra.note = u"další doklad původu partie"_s;
            t.up.append(extra);
        }
        pushChildren(item.node, rowIndex);
    }
}

void computePartnerTotals(Trace &t)
{
    QString baseUnit = t.origin.unit;
    for (const Row &row : std::as_const(t.down)) {
        if (row.docType != u"DL"_s && row.docType != u"VN"_s && row.docType != u"VP"_s)
            continue;
        if (baseUnit.isEmpty())
            baseUnit = row.unit;
        QString partner = row.partner;
        if (row.docType == u"VP"_s)
            partner = u"středisko "_s + row.partner;
        else if (partner.isEmpty())
            partner = u"(neuveden)"_s;
        const std::optional<double> f = unitFactor(row.unit, baseUnit);
        const QString unit = f ? baseUnit : row.unit;
        auto it = std::find_if(t.partners.begin(), t.partners.end(),
                               [&](const PartnerTotal &p) { return p.partner == partner && p.unit == unit; });
        if (it == t.partners.end()) {
            t.partners.append(PartnerTotal{partner, {}, 0, unit, false});
            it = t.partners.end() - 1;
        }
        const QString document = docText(row.docType, row.docNumber);
        if (!it->documents.contains(document))
            it->documents.append(document);
        if (row.suspect)
            it->suspect += *row.suspect * (f ? *f : 1.0);
        else
            it->incomplete = true;
    }
}

QString csvField(const QString &text)
{
    if (!text.contains(u';') && !text.contains(u'"') && !text.contains(u'\n') && !text.contains(u'\r'))
        return text;
    QString quoted = text;
    quoted.replace(u"\""_s, u"\"\""_s);
    return u'"' + quoted + u'"';
}

QString csvRow(const Row &row, const QString &direction)
{
    const QStringList fields{
        QString::number(row.level),
        direction,
        row.docType,
        row.docNumber,
        row.date.isValid() ? row.date.toString(u"yyyy-MM-dd"_s) : QString(),
        row.batch,
        QString::number(row.fraction),
        row.name,
        row.quantity ? formatQuantity(*row.quantity) : QString(),
        row.unit,
        row.suspect ? formatQuantity(*row.suspect) : QString(),
        row.partner,
    };
    QStringList out;
    for (const QString &f : fields)
        out << csvField(f);
    return out.join(u';');
}

} // namespace

std::optional<double> unitFactor(const QString &from, const QString &to)
{
    const QString a = from.trimmed().toLower();
    const QString b = to.trimmed().toLower();
    if (a == b)
        return 1.0;
    if (a == u"t"_s && b == u"kg"_s)
        return 1000.0;
    if (a == u"kg"_s && b == u"t"_s)
        return 0.001;
    return std::nullopt;
}

QStringList tablesWithoutBatchIndex(Connection &connection)
{
    const QList<indexcheck::Finding> findings = indexcheck::check(connection);
    QStringList missing;
    for (const QString &t : {u"pelmixi"_s, u"smesi"_s, u"pv9"_s, u"pvrad"_s, u"dlrad"_s, u"vnrad"_s, u"vp"_s}) {
        for (const indexcheck::Finding &f : findings) {
            if (f.need.table == t && f.need.columns == QStringList{u"partiecela"_s, u"lomeni"_s} && f.missing())
                missing << t;
        }
    }
    return missing;
}

Trace trace(Connection &connection, const BatchKey &batch, Direction direction)
{
    Trace t;
    t.batch = batch;
    t.direction = direction;
    KeyTableFill keys(connection);
    keys.fill({batch});
    const QList<Origin> rootOrigins = fetchOrigins(connection).value(batch);

    t.origin.level = 0;
    t.origin.batch = batch.partiecela;
    t.origin.fraction = batch.lomeni;
    if (!rootOrigins.isEmpty()) {
        const Document &d = rootOrigins.first().doc;
        t.originFound = true;
        t.origin.docType = d.type;
        t.origin.docNumber = d.number;
        t.origin.date = d.date;
        t.origin.posted = d.posted;
        t.origin.name = d.name;
        if (d.hasQuantity)
            t.origin.quantity = d.quantity;
        t.origin.unit = d.unit;
        t.origin.partner = d.partner;
        t.origin.suspect = t.origin.quantity;
        if (rootOrigins.size() > 1) {
            QStringList others;
            for (qsizetype i = 1; i < rootOrigins.size(); ++i)
                others << docText(rootOrigins.at(i).doc.type, rootOrigins.at(i).doc.number);
            t.origin.note = u"další doklady původu: "_s + others.join(u", "_s);
        }
    } else {
        t.origin.note = u"původ partie nenalezen"_s;
    }

    if (direction != Direction::Up)
        traceDown(connection, keys, t, rootOrigins.isEmpty() ? nullptr : &rootOrigins.first());
    if (direction != Direction::Down)
        traceUp(connection, keys, t, rootOrigins);
    std::sort(t.cycles.begin(), t.cycles.end());
    t.cycles.erase(std::unique(t.cycles.begin(), t.cycles.end()), t.cycles.end());

    // Without an origin, the name and unit come from the first movement.
    if (t.origin.name.isEmpty() && !t.down.isEmpty()) {
        for (const Row &r : std::as_const(t.down)) {
            if (r.batch == batch.partiecela && r.fraction == batch.lomeni) {
                t.origin.name = r.name;
                if (t.origin.unit.isEmpty())
                    t.origin.unit = r.unit;
                break;
            }
        }
    }
    computePartnerTotals(t);
    t.tablesWithoutIndex = tablesWithoutBatchIndex(connection);
    return t;
}

QString formatQuantity(double value, QChar decimalPoint)
{
    if (std::abs(value) < 5e-7)
        value = 0;
    QString text = QString::number(value, 'f', 6);
    if (text.contains(u'.')) {
        while (text.endsWith(u'0'))
            text.chop(1);
        if (text.endsWith(u'.'))
            text.chop(1);
    }
    if (text == u"-0"_s)
        text = u"0"_s;
    if (decimalPoint != u'.')
        text.replace(u'.', decimalPoint);
    return text;
}

QString csvHeader()
{
    return u"level;direction;doc_type;doc_number;date;batch;fraction;name;quantity;unit;suspect_quantity;partner"_s;
}

QByteArray csv(const Trace &t)
{
    QString text = csvHeader() + u'\n';
    text += csvRow(t.origin, directionName(t.direction)) + u'\n';
    for (const Row &row : t.down)
        text += csvRow(row, u"down"_s) + u'\n';
    for (const Row &row : t.up)
        text += csvRow(row, u"up"_s) + u'\n';
    return text.toUtf8();
}

QString directionName(Direction direction)
{
    switch (direction) {
    case Direction::Down:
        return u"down"_s;
    case Direction::Up:
        return u"up"_s;
    case Direction::Both:
        break;
    }
    return u"both"_s;
}

std::optional<Direction> parseDirection(const QString &text)
{
    if (text == u"down"_s)
        return Direction::Down;
    if (text == u"up"_s)
        return Direction::Up;
    if (text == u"both"_s)
        return Direction::Both;
    return std::nullopt;
}

} // namespace genealogy
