#include "worktable.h"

#include "displayformat.h"
#include "folderlock.h"
#include "paths.h"
#include "sqltext.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <cmath>
#include <sqlite3.h>

WorkTableError::WorkTableError(const QString &message)
    : std::runtime_error(message.toStdString())
    , m_message(message)
{
}

namespace {

const QString FieldsTable = QStringLiteral("_fields");
const QString DateFormat = QStringLiteral("yyyy-MM-dd");
const QString DateTimeFormat = QStringLiteral("yyyy-MM-dd hh:mm:ss");
const QString ZeroDate = QStringLiteral("0000-00-00");
const QString ZeroDateTime = QStringLiteral("0000-00-00 00:00:00");

// Files open in a WorkTable of this process: a second object on the same file would see rows
// that the first one's cache does not know.
QSet<QString> &openFiles()
{
    static QSet<QString> files;
    return files;
}

QString quoteIdent(const QString &name)
{
    QString s = name;
    s.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + s + QLatin1Char('"');
}

const char *sqlType(FieldKind kind)
{
    switch (kind) {
    case FieldKind::Integer:
        return "INTEGER";
    case FieldKind::Float:
        return "REAL";
    case FieldKind::Blob:
        return "BLOB";
    case FieldKind::Text:
    case FieldKind::Date:
    case FieldKind::DateTime:
    case FieldKind::Time:
        break;
    }
    return "TEXT";
}

bool isWholeNumberType(int typeId)
{
    switch (typeId) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return true;
    default:
        return false;
    }
}

bool isFloatType(int typeId)
{
    return typeId == QMetaType::Double || typeId == QMetaType::Float;
}

QString decimalComma(double v)
{
    QString s = sqlNumber(v);
    s.replace(QLatin1Char('.'), QLatin1Char(','));
    return s;
}

QDate parseDate(const QString &text, bool *ok)
{
    *ok = true;
    const QString t = text.trimmed();
    for (const QString &f : {QStringLiteral("dd.MM.yyyy"), QStringLiteral("d.M.yyyy"), DateFormat}) {
        const QDate d = QDate::fromString(t, f);
        if (d.isValid())
            return d;
    }
    *ok = false;
    return {};
}

QString rightTrimmed(const QString &s)
{
    qsizetype n = s.size();
    while (n > 0 && s.at(n - 1) == QLatin1Char(' '))
        --n;
    return s.left(n);
}

} // namespace

WorkTable::WorkTable(const QString &name, QObject *parent)
    : QObject(parent)
    , m_name(name)
{
}

WorkTable::~WorkTable()
{
    close();
}

void WorkTable::setDirectory(const QString &dir)
{
    m_directory = dir;
}

QString WorkTable::directory() const
{
    return m_directory.isEmpty() ? paths::dataDir() : m_directory;
}

QString WorkTable::filePath() const
{
    return QDir::cleanPath(QDir(directory()).absolutePath()) + QLatin1Char('/') + m_name + QStringLiteral(".sqlite");
}

// --- SQLite handle ----------------------------------------------------------------------------

void WorkTable::fail(const QString &what) const
{
    const QString detail = m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QString();
    throw WorkTableError(QStringLiteral("Chyba pracovní tabulky %1 (%2): %3").arg(m_name, what, detail));
}

void WorkTable::exec(const QString &sql)
{
    char *error = nullptr;
    if (sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK) {
        const QString detail = QString::fromUtf8(error ? error : "");
        sqlite3_free(error);
        throw WorkTableError(QStringLiteral("Chyba pracovní tabulky %1: %2").arg(m_name, detail));
    }
}

void WorkTable::openHandle(const QString &path, bool create)
{
    const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0);
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, flags, nullptr) != SQLITE_OK) {
        const QString detail = m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QString();
        closeHandle();
        throw WorkTableError(
            QStringLiteral("Pracovní tabulku %1 nelze otevřít: %2").arg(QDir::toNativeSeparators(path), detail));
    }
    // The working copy must survive a killed program (it is offered back at the next start): a
    // write-ahead log on disk keeps the file whole whenever the process dies, and every posted
    // record is in it. The file is locked for this connection alone (no shared-memory index).
    exec(QStringLiteral("PRAGMA locking_mode=EXCLUSIVE; PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;"
                        " PRAGMA temp_store=MEMORY;"));
}

void WorkTable::closeHandle()
{
    for (sqlite3_stmt **s : {&m_insert, &m_update, &m_delete}) {
        if (*s)
            sqlite3_finalize(*s);
        *s = nullptr;
    }
    if (m_db)
        sqlite3_close(m_db);
    m_db = nullptr;
}

void WorkTable::prepareStatements()
{
    QStringList names;
    QStringList marks;
    QStringList sets;
    for (const Column &c : std::as_const(m_columns)) {
        names << quoteIdent(c.name);
        marks << QStringLiteral("?");
        sets << quoteIdent(c.name) + QStringLiteral("=?");
    }
    const QString table = quoteIdent(m_name);
    const QString insert = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)").arg(table, names.join(u','), marks.join(u','));
    const QString update = QStringLiteral("UPDATE %1 SET %2 WHERE rowid=?").arg(table, sets.join(u','));
    const QString remove = QStringLiteral("DELETE FROM %1 WHERE rowid=?").arg(table);
    if (sqlite3_prepare_v2(m_db, insert.toUtf8().constData(), -1, &m_insert, nullptr) != SQLITE_OK ||
        sqlite3_prepare_v2(m_db, update.toUtf8().constData(), -1, &m_update, nullptr) != SQLITE_OK ||
        sqlite3_prepare_v2(m_db, remove.toUtf8().constData(), -1, &m_delete, nullptr) != SQLITE_OK)
        fail(QStringLiteral("příprava příkazů"));
}

void WorkTable::bindRow(sqlite3_stmt *stmt, const QVariantList &values) const
{
    for (int i = 0; i < m_columns.size(); ++i) {
        const QVariant &v = values.at(i);
        const int p = i + 1;
        if (!v.isValid()) {
            sqlite3_bind_null(stmt, p);
            continue;
        }
        switch (m_columns.at(i).kind) {
        case FieldKind::Integer:
            if (isFloatType(v.typeId()))
                sqlite3_bind_double(stmt, p, v.toDouble());
            else
                sqlite3_bind_int64(stmt, p, v.toLongLong());
            break;
        case FieldKind::Float:
            sqlite3_bind_double(stmt, p, v.toDouble());
            break;
        case FieldKind::Date: {
            const QDate d = v.toDate();
            const QByteArray t = (d.isValid() ? d.toString(DateFormat) : ZeroDate).toUtf8();
            sqlite3_bind_text(stmt, p, t.constData(), int(t.size()), SQLITE_TRANSIENT);
            break;
        }
        case FieldKind::DateTime: {
            const QDateTime d = v.toDateTime();
            const QByteArray t = (d.isValid() ? d.toString(DateTimeFormat) : ZeroDateTime).toUtf8();
            sqlite3_bind_text(stmt, p, t.constData(), int(t.size()), SQLITE_TRANSIENT);
            break;
        }
        case FieldKind::Blob: {
            const QByteArray b = v.toByteArray();
            sqlite3_bind_blob(stmt, p, b.constData(), int(b.size()), SQLITE_TRANSIENT);
            break;
        }
        case FieldKind::Text:
        case FieldKind::Time: {
            const QByteArray t = v.toString().toUtf8();
            sqlite3_bind_text(stmt, p, t.constData(), int(t.size()), SQLITE_TRANSIENT);
            break;
        }
        }
    }
}

QVariant WorkTable::readColumn(sqlite3_stmt *stmt, int index, int column) const
{
    const int type = sqlite3_column_type(stmt, index);
    if (type == SQLITE_NULL)
        return {};
    auto text = [&] {
        const char *t = reinterpret_cast<const char *>(sqlite3_column_text(stmt, index));
        return QString::fromUtf8(t, sqlite3_column_bytes(stmt, index));
    };
    switch (m_columns.at(column).kind) {
    case FieldKind::Integer:
        if (type == SQLITE_FLOAT)
            return sqlite3_column_double(stmt, index);
        return qlonglong(sqlite3_column_int64(stmt, index));
    case FieldKind::Float:
        return sqlite3_column_double(stmt, index);
    case FieldKind::Date: {
        const QString t = text();
        return t == ZeroDate ? QVariant(QDate()) : QVariant(QDate::fromString(t, DateFormat));
    }
    case FieldKind::DateTime: {
        const QString t = text();
        return t == ZeroDateTime ? QVariant(QDateTime()) : QVariant(QDateTime::fromString(t, DateTimeFormat));
    }
    case FieldKind::Blob:
        return QByteArray(reinterpret_cast<const char *>(sqlite3_column_blob(stmt, index)),
                          sqlite3_column_bytes(stmt, index));
    case FieldKind::Text:
    case FieldKind::Time:
        break;
    }
    return text();
}

void WorkTable::loadRows()
{
    QStringList names{QStringLiteral("rowid")};
    for (const Column &c : std::as_const(m_columns))
        names << quoteIdent(c.name);
    const QString sql =
        QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid").arg(names.join(u','), quoteIdent(m_name));
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &stmt, nullptr) != SQLITE_OK)
        fail(QStringLiteral("čtení"));
    QList<Row> rows;
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        Row r;
        r.rowid = sqlite3_column_int64(stmt, 0);
        r.values.reserve(m_columns.size());
        for (int i = 0; i < m_columns.size(); ++i)
            r.values.append(readColumn(stmt, i + 1, i));
        rows.append(std::move(r));
    }
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE)
        fail(QStringLiteral("čtení"));
    m_rows = std::move(rows);
}

// --- life cycle -------------------------------------------------------------------------------

void WorkTable::create(const QList<Column> &columns)
{
    close();
    if (columns.isEmpty())
        throw WorkTableError(QStringLiteral("Pracovní tabulku %1 nelze vytvořit bez sloupců.").arg(m_name));
    QSet<QString> seen;
    for (const Column &c : columns) {
        const QString key = c.name.toLower();
        if (key.isEmpty() || seen.contains(key))
            throw WorkTableError(
                QStringLiteral("Pracovní tabulku %1 nelze vytvořit: sloupec „%2“ je prázdný nebo uveden dvakrát.")
                    .arg(m_name, c.name));
        seen.insert(key);
    }

    const QString dir = directory();
    folderlock::acquire(dir);
    const QString path = filePath();
    try {
        if (openFiles().contains(path))
            throw WorkTableError(QStringLiteral("Pracovní tabulku %1 nelze vytvořit: je otevřena.")
                                     .arg(QDir::toNativeSeparators(path)));
        for (const QString &suffix : {QString(), QStringLiteral("-journal"), QStringLiteral("-wal"), QStringLiteral("-shm")}) {
            QFile f(path + suffix);
            if (f.exists() && !f.remove())
                throw WorkTableError(QStringLiteral("Pracovní tabulku %1 nelze nahradit: %2")
                                         .arg(QDir::toNativeSeparators(path + suffix), f.errorString()));
        }
        openHandle(path, true);
        QStringList defs;
        for (const Column &c : columns)
            defs << quoteIdent(c.name) + QLatin1Char(' ') + QLatin1String(sqlType(c.kind));
        exec(QStringLiteral("BEGIN"));
        exec(QStringLiteral("CREATE TABLE %1 (%2)").arg(quoteIdent(m_name), defs.join(u',')));
        exec(QStringLiteral("CREATE TABLE %1 (position INTEGER, name TEXT, kind INTEGER, length INTEGER,"
                            " decimals INTEGER, servertype INTEGER)")
                 .arg(FieldsTable));
        sqlite3_stmt *stmt = nullptr;
        const QByteArray ins = QStringLiteral("INSERT INTO %1 VALUES (?,?,?,?,?,?)").arg(FieldsTable).toUtf8();
        if (sqlite3_prepare_v2(m_db, ins.constData(), -1, &stmt, nullptr) != SQLITE_OK)
            fail(QStringLiteral("vytvoření"));
        for (int i = 0; i < columns.size(); ++i) {
            const Column &c = columns.at(i);
            const QByteArray name = c.name.toUtf8();
            sqlite3_bind_int(stmt, 1, i);
            sqlite3_bind_text(stmt, 2, name.constData(), int(name.size()), SQLITE_TRANSIENT);
            sqlite3_bind_int(stmt, 3, int(c.kind));
            sqlite3_bind_int(stmt, 4, c.length);
            sqlite3_bind_int(stmt, 5, c.decimals);
            sqlite3_bind_int(stmt, 6, c.serverType);
            if (sqlite3_step(stmt) != SQLITE_DONE) {
                sqlite3_finalize(stmt);
                fail(QStringLiteral("vytvoření"));
            }
            sqlite3_reset(stmt);
        }
        sqlite3_finalize(stmt);
        exec(QStringLiteral("COMMIT"));
        closeHandle();
    } catch (...) {
        closeHandle();
        folderlock::release(dir);
        throw;
    }
    folderlock::release(dir);

    emit aboutToReset();
    m_columns = columns;
    m_index.clear();
    for (int i = 0; i < m_columns.size(); ++i)
        m_index.insert(m_columns.at(i).name.toLower(), i);
    m_formats.clear();
    emit reset();
}

void WorkTable::open()
{
    if (isOpen())
        return;
    const QString dir = directory();
    folderlock::acquire(dir);
    const QString path = filePath();
    QList<Column> columns;
    try {
        if (openFiles().contains(path))
            throw WorkTableError(
                QStringLiteral("Pracovní tabulka %1 je již otevřena.").arg(QDir::toNativeSeparators(path)));
        if (!QFileInfo::exists(path))
            throw WorkTableError(
                QStringLiteral("Pracovní tabulka %1 neexistuje.").arg(QDir::toNativeSeparators(path)));
        openHandle(path, false);
        sqlite3_stmt *stmt = nullptr;
        const QByteArray sel =
            QStringLiteral("SELECT name, kind, length, decimals, servertype FROM %1 ORDER BY position")
                .arg(FieldsTable)
                .toUtf8();
        if (sqlite3_prepare_v2(m_db, sel.constData(), -1, &stmt, nullptr) != SQLITE_OK)
            fail(QStringLiteral("otevření"));
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            Column c;
            c.name = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0)),
                                       sqlite3_column_bytes(stmt, 0));
            c.kind = FieldKind(sqlite3_column_int(stmt, 1));
            c.length = sqlite3_column_int(stmt, 2);
            c.decimals = sqlite3_column_int(stmt, 3);
            c.serverType = sqlite3_column_int(stmt, 4);
            columns.append(c);
        }
        sqlite3_finalize(stmt);
        if (columns.isEmpty())
            fail(QStringLiteral("otevření"));
    } catch (...) {
        closeHandle();
        folderlock::release(dir);
        throw;
    }

    emit aboutToReset();
    m_columns = columns;
    m_index.clear();
    for (int i = 0; i < m_columns.size(); ++i)
        m_index.insert(m_columns.at(i).name.toLower(), i);
    try {
        loadRows();
        prepareStatements();
    } catch (...) {
        m_rows.clear();
        closeHandle();
        folderlock::release(dir);
        emit reset();
        throw;
    }
    openFiles().insert(path);
    m_openPath = path;
    m_heldDir = dir;
    m_state = State::Browse;
    m_cursor = 0;
    m_bof = true;
    m_eof = m_rows.isEmpty();
    m_editRow = -1;
    m_modified = false;
    emit reset();
}

void WorkTable::close()
{
    if (!isOpen())
        return;
    emit aboutToReset();
    closeHandle();
    openFiles().remove(m_openPath);
    m_openPath.clear();
    folderlock::release(m_heldDir);
    m_heldDir.clear();
    m_rows.clear();
    m_buffer.clear();
    m_state = State::Inactive;
    m_editRow = -1;
    m_modified = false;
    m_cursor = 0;
    m_eof = m_bof = true;
    emit reset();
}

void WorkTable::empty()
{
    requireOpen("empty");
    cancel();
    exec(QStringLiteral("DELETE FROM %1").arg(quoteIdent(m_name)));
    emit aboutToReset();
    m_rows.clear();
    m_cursor = 0;
    m_eof = m_bof = true;
    emit reset();
}

void WorkTable::pack()
{
    requireOpen("pack");
    checkBrowseMode();
    // VACUUM may renumber the rows, so the records are read back afterwards.
    for (sqlite3_stmt *s : {m_insert, m_update, m_delete})
        sqlite3_reset(s);
    exec(QStringLiteral("VACUUM"));
    emit aboutToReset();
    const int current = m_cursor;
    try {
        loadRows();
    } catch (...) {
        emit reset();
        throw;
    }
    m_cursor = m_rows.isEmpty() ? 0 : qMin(current, int(m_rows.size()) - 1);
    m_eof = m_bof = m_rows.isEmpty();
    emit reset();
}

// --- checks -----------------------------------------------------------------------------------

void WorkTable::requireOpen(const char *operation) const
{
    if (!isOpen())
        throw WorkTableError(QStringLiteral("Pracovní tabulka %1 není otevřena (%2).")
                                 .arg(m_name, QLatin1String(operation)));
}

void WorkTable::requireEditing() const
{
    if (m_state != State::Edit && m_state != State::Insert)
        throw WorkTableError(QStringLiteral("Pracovní tabulka %1 není v režimu úprav.").arg(m_name));
}

int WorkTable::fieldIndex(const QString &name) const
{
    return m_index.value(name.toLower(), -1);
}

int WorkTable::requireField(const QString &field) const
{
    const int i = fieldIndex(field);
    if (i < 0)
        throw WorkTableError(QStringLiteral("Pracovní tabulka %1 nemá pole „%2“.").arg(m_name, field));
    return i;
}

void WorkTable::checkBrowseMode()
{
    if (m_state != State::Edit && m_state != State::Insert)
        return;
    if (m_modified)
        post();
    else
        cancel();
}

// --- cursor -----------------------------------------------------------------------------------

void WorkTable::setCursor(int row)
{
    m_cursor = row;
    emit currentChanged(recNo());
}

void WorkTable::first()
{
    requireOpen("first");
    checkBrowseMode();
    m_bof = true;
    m_eof = m_rows.isEmpty();
    setCursor(0);
}

void WorkTable::last()
{
    requireOpen("last");
    checkBrowseMode();
    m_bof = m_rows.isEmpty();
    m_eof = true;
    setCursor(m_rows.isEmpty() ? 0 : int(m_rows.size()) - 1);
}

void WorkTable::next()
{
    requireOpen("next");
    checkBrowseMode();
    if (m_cursor + 1 < m_rows.size()) {
        m_bof = m_eof = false;
        setCursor(m_cursor + 1);
    } else {
        m_eof = true;
    }
}

void WorkTable::prior()
{
    requireOpen("prior");
    checkBrowseMode();
    if (m_cursor > 0 && !m_rows.isEmpty()) {
        m_bof = m_eof = false;
        setCursor(m_cursor - 1);
    } else {
        m_bof = true;
    }
}

bool WorkTable::eof() const
{
    return !isOpen() || m_eof;
}

bool WorkTable::bof() const
{
    return !isOpen() || m_bof;
}

int WorkTable::recNo() const
{
    if (m_state == State::Insert || m_state == State::Edit)
        return m_editRow;
    return m_rows.isEmpty() ? -1 : m_cursor;
}

void WorkTable::goTo(int row)
{
    requireOpen("goTo");
    checkBrowseMode();
    if (row < 0 || row >= m_rows.size())
        throw WorkTableError(QStringLiteral("Pracovní tabulka %1 nemá řádek %2.").arg(m_name).arg(row + 1));
    m_bof = m_eof = false;
    setCursor(row);
}

// --- record changes ---------------------------------------------------------------------------

void WorkTable::append()
{
    requireOpen("append");
    checkBrowseMode();
    const int row = int(m_rows.size());
    emit rowAboutToBeInserted(row);
    m_buffer = QVariantList(m_columns.size());
    m_state = State::Insert;
    m_editRow = row;
    m_modified = false;
    emit rowInserted(row);
    emit currentChanged(row);
}

void WorkTable::edit()
{
    requireOpen("edit");
    if (m_state == State::Edit || m_state == State::Insert)
        return;
    if (m_rows.isEmpty()) {
        append();
        return;
    }
    m_buffer = m_rows.at(m_cursor).values;
    m_editRow = m_cursor;
    m_state = State::Edit;
    m_modified = false;
}

void WorkTable::post()
{
    requireOpen("post");
    if (m_state == State::Insert) {
        sqlite3_reset(m_insert);
        bindRow(m_insert, m_buffer);
        if (sqlite3_step(m_insert) != SQLITE_DONE) {
            sqlite3_reset(m_insert);
            fail(QStringLiteral("zápis"));
        }
        sqlite3_reset(m_insert);
        const int row = int(m_rows.size());
        m_rows.append(Row{sqlite3_last_insert_rowid(m_db), m_buffer});
        m_state = State::Browse;
        m_editRow = -1;
        m_modified = false;
        m_buffer.clear();
        m_bof = m_eof = false;
        emit rowChanged(row);
        setCursor(row);
    } else if (m_state == State::Edit) {
        sqlite3_reset(m_update);
        bindRow(m_update, m_buffer);
        sqlite3_bind_int64(m_update, int(m_columns.size()) + 1, m_rows.at(m_editRow).rowid);
        if (sqlite3_step(m_update) != SQLITE_DONE) {
            sqlite3_reset(m_update);
            fail(QStringLiteral("zápis"));
        }
        sqlite3_reset(m_update);
        const int row = m_editRow;
        m_rows[row].values = m_buffer;
        m_state = State::Browse;
        m_editRow = -1;
        m_modified = false;
        m_buffer.clear();
        emit rowChanged(row);
    }
}

void WorkTable::cancel()
{
    if (m_state == State::Insert) {
        const int row = m_editRow;
        emit rowAboutToBeRemoved(row);
        m_state = State::Browse;
        m_editRow = -1;
        m_modified = false;
        m_buffer.clear();
        emit rowRemoved(row);
        emit currentChanged(recNo());
    } else if (m_state == State::Edit) {
        const int row = m_editRow;
        m_state = State::Browse;
        m_editRow = -1;
        m_modified = false;
        m_buffer.clear();
        emit rowChanged(row);
    }
}

void WorkTable::deleteRecord()
{
    requireOpen("delete");
    if (m_state == State::Insert) {
        cancel();
        return;
    }
    cancel();
    if (m_rows.isEmpty())
        throw WorkTableError(QStringLiteral("Pracovní tabulka %1 je prázdná, nelze mazat.").arg(m_name));
    const int row = m_cursor;
    sqlite3_reset(m_delete);
    sqlite3_bind_int64(m_delete, 1, m_rows.at(row).rowid);
    if (sqlite3_step(m_delete) != SQLITE_DONE) {
        sqlite3_reset(m_delete);
        fail(QStringLiteral("mazání"));
    }
    sqlite3_reset(m_delete);
    emit rowAboutToBeRemoved(row);
    m_rows.removeAt(row);
    emit rowRemoved(row);
    m_eof = m_bof = m_rows.isEmpty();
    setCursor(m_rows.isEmpty() ? 0 : qMin(row, int(m_rows.size()) - 1));
}

int WorkTable::appendRows(const ResultSet &rows, const std::function<bool(qsizetype)> &accept)
{
    requireOpen("append");
    checkBrowseMode();
    QList<int> source(m_columns.size());
    for (int i = 0; i < m_columns.size(); ++i)
        source[i] = rows.columnIndex(m_columns.at(i).name);

    QList<Row> added;
    exec(QStringLiteral("BEGIN"));
    try {
        for (qsizetype r = 0; r < rows.rowCount(); ++r) {
            if (accept && !accept(r))
                continue;
            QVariantList values(m_columns.size());
            for (int i = 0; i < m_columns.size(); ++i) {
                if (source.at(i) >= 0)
                    values[i] = coerce(i, rows.value(r, source.at(i)));
            }
            sqlite3_reset(m_insert);
            bindRow(m_insert, values);
            if (sqlite3_step(m_insert) != SQLITE_DONE) {
                sqlite3_reset(m_insert);
                fail(QStringLiteral("zápis"));
            }
            added.append(Row{sqlite3_last_insert_rowid(m_db), std::move(values)});
        }
        sqlite3_reset(m_insert);
        exec(QStringLiteral("COMMIT"));
    } catch (...) {
        sqlite3_reset(m_insert);
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
    if (added.isEmpty())
        return 0;
    emit aboutToReset();
    m_rows.append(added);
    m_bof = m_eof = false;
    m_cursor = int(m_rows.size()) - 1;
    emit reset();
    emit currentChanged(m_cursor);
    return int(added.size());
}

void WorkTable::appendRecord(const QVariantMap &values)
{
    append();
    try {
        for (auto it = values.begin(); it != values.end(); ++it)
            setValue(it.key(), it.value());
        m_modified = true;
        post();
    } catch (...) {
        cancel();
        throw;
    }
}

// --- locate -----------------------------------------------------------------------------------

namespace {

bool sameValue(FieldKind kind, const QVariant &a, const QVariant &b)
{
    if (!a.isValid() || !b.isValid())
        return a.isValid() == b.isValid();
    switch (kind) {
    case FieldKind::Text:
    case FieldKind::Time:
        return rightTrimmed(a.toString()) == rightTrimmed(b.toString());
    case FieldKind::Integer:
    case FieldKind::Float:
        return a.toDouble() == b.toDouble();
    case FieldKind::Date:
        return a.toDate() == b.toDate();
    case FieldKind::DateTime:
        return a.toDateTime() == b.toDateTime();
    case FieldKind::Blob:
        return a.toByteArray() == b.toByteArray();
    }
    return false;
}

} // namespace

bool WorkTable::locate(const QString &field, const QVariant &value)
{
    requireOpen("locate");
    checkBrowseMode();
    const int c = requireField(field);
    const QVariant v = coerce(c, value);
    const FieldKind kind = m_columns.at(c).kind;
    for (int r = 0; r < m_rows.size(); ++r) {
        if (sameValue(kind, m_rows.at(r).values.at(c), v)) {
            m_bof = m_eof = false;
            setCursor(r);
            return true;
        }
    }
    return false;
}

bool WorkTable::locate(const QString &field1, const QVariant &value1, const QString &field2, const QVariant &value2)
{
    requireOpen("locate");
    checkBrowseMode();
    const int c1 = requireField(field1);
    const int c2 = requireField(field2);
    const QVariant v1 = coerce(c1, value1);
    const QVariant v2 = coerce(c2, value2);
    const FieldKind k1 = m_columns.at(c1).kind;
    const FieldKind k2 = m_columns.at(c2).kind;
    for (int r = 0; r < m_rows.size(); ++r) {
        if (sameValue(k1, m_rows.at(r).values.at(c1), v1) && sameValue(k2, m_rows.at(r).values.at(c2), v2)) {
            m_bof = m_eof = false;
            setCursor(r);
            return true;
        }
    }
    return false;
}

// --- values -----------------------------------------------------------------------------------

QVariant WorkTable::coerce(int column, const QVariant &value) const
{
    if (!value.isValid())
        return {};
    const Column &col = m_columns.at(column);
    const int type = value.typeId();
    auto refuse = [&](const QString &what) -> WorkTableError {
        return WorkTableError(QStringLiteral("„%1“ není %2 (pole %3).").arg(value.toString(), what, col.name));
    };
    switch (col.kind) {
    case FieldKind::Text:
        if (isFloatType(type))
            return decimalComma(value.toDouble());
        if (type == QMetaType::QDate) {
            const QDate d = value.toDate();
            return d.isValid() ? d.toString(QStringLiteral("dd.MM.yyyy")) : QString();
        }
        return value.toString();
    case FieldKind::Integer: {
        if (isWholeNumberType(type) || type == QMetaType::Bool)
            return qlonglong(value.toLongLong());
        double d = 0;
        if (isFloatType(type))
            d = value.toDouble();
        else if (type == QMetaType::QString) {
            const QString t = value.toString().trimmed();
            if (t.isEmpty())
                return {};
            bool ok = false;
            const qlonglong n = t.toLongLong(&ok);
            if (ok)
                return n;
            if (!displayformat::parseNumber(t, &d))
                throw refuse(QStringLiteral("celé číslo"));
        } else {
            throw refuse(QStringLiteral("celé číslo"));
        }
        if (!std::isfinite(d))
            throw refuse(QStringLiteral("celé číslo"));
        return qlonglong(std::llround(d));
    }
    case FieldKind::Float: {
        if (isFloatType(type) || isWholeNumberType(type) || type == QMetaType::Bool)
            return value.toDouble();
        if (type == QMetaType::QString) {
            const QString t = value.toString().trimmed();
            if (t.isEmpty())
                return {};
            double d = 0;
            if (!displayformat::parseNumber(t, &d))
                throw refuse(QStringLiteral("číslo"));
            return d;
        }
        throw refuse(QStringLiteral("číslo"));
    }
    case FieldKind::Date: {
        if (type == QMetaType::QDate)
            return QVariant(value.toDate());
        if (type == QMetaType::QDateTime)
            return QVariant(value.toDateTime().date());
        if (type == QMetaType::QString) {
            const QString t = value.toString().trimmed();
            if (t.isEmpty())
                return {};
            if (t == ZeroDate)
                return QVariant(QDate());
            bool ok = false;
            const QDate d = parseDate(t, &ok);
            if (!ok)
                throw refuse(QStringLiteral("datum"));
            return QVariant(d);
        }
        throw refuse(QStringLiteral("datum"));
    }
    case FieldKind::DateTime: {
        if (type == QMetaType::QDateTime)
            return QVariant(value.toDateTime());
        if (type == QMetaType::QDate) {
            const QDate d = value.toDate();
            return QVariant(d.isValid() ? QDateTime(d, QTime(0, 0)) : QDateTime());
        }
        if (type == QMetaType::QString) {
            const QString t = value.toString().trimmed();
            if (t.isEmpty())
                return {};
            if (t == ZeroDateTime || t == ZeroDate)
                return QVariant(QDateTime());
            for (const QString &f : {DateTimeFormat, QStringLiteral("dd.MM.yyyy hh:mm:ss")}) {
                const QDateTime dt = QDateTime::fromString(t, f);
                if (dt.isValid())
                    return QVariant(dt);
            }
            bool ok = false;
            const QDate d = parseDate(t, &ok);
            if (!ok)
                throw refuse(QStringLiteral("datum a čas"));
            return QVariant(QDateTime(d, QTime(0, 0)));
        }
        throw refuse(QStringLiteral("datum a čas"));
    }
    case FieldKind::Time:
        return value.toString();
    case FieldKind::Blob:
        if (type == QMetaType::QString)
            return value.toString().toUtf8();
        return value.toByteArray();
    }
    return value;
}

const QVariantList *WorkTable::currentValues() const
{
    if (m_state == State::Edit || m_state == State::Insert)
        return &m_buffer;
    if (m_state == State::Browse && !m_rows.isEmpty())
        return &m_rows.at(m_cursor).values;
    return nullptr;
}

QVariant WorkTable::value(const QString &field) const
{
    const int c = requireField(field);
    const QVariantList *values = currentValues();
    return values ? values->at(c) : QVariant();
}

bool WorkTable::isNull(const QString &field) const
{
    return !value(field).isValid();
}

QString WorkTable::stringOf(int column, const QVariant &v) const
{
    if (!v.isValid())
        return {};
    switch (m_columns.at(column).kind) {
    case FieldKind::Integer:
        if (isFloatType(v.typeId()))
            return decimalComma(v.toDouble());
        return QString::number(v.toLongLong());
    case FieldKind::Float:
        return decimalComma(v.toDouble());
    case FieldKind::Date: {
        const QDate d = v.toDate();
        return d.isValid() ? d.toString(QStringLiteral("dd.MM.yyyy")) : QString();
    }
    case FieldKind::DateTime: {
        const QDateTime d = v.toDateTime();
        return d.isValid() ? d.toString(QStringLiteral("dd.MM.yyyy hh:mm:ss")) : QString();
    }
    case FieldKind::Blob:
        return QString::fromUtf8(v.toByteArray());
    case FieldKind::Text:
    case FieldKind::Time:
        break;
    }
    return v.toString();
}

QString WorkTable::asString(const QString &field) const
{
    return stringOf(requireField(field), value(field));
}

double WorkTable::asFloat(const QString &field) const
{
    const int c = requireField(field);
    const QVariant v = value(field);
    if (!v.isValid())
        return 0;
    switch (m_columns.at(c).kind) {
    case FieldKind::Integer:
    case FieldKind::Float:
        return v.toDouble();
    case FieldKind::Text: {
        const QString t = v.toString().trimmed();
        double d = 0;
        if (t.isEmpty())
            return 0;
        if (!displayformat::parseNumber(t, &d))
            throw WorkTableError(QStringLiteral("„%1“ není číslo (pole %2).").arg(t, m_columns.at(c).name));
        return d;
    }
    default:
        throw WorkTableError(QStringLiteral("Pole %1 není číselné.").arg(m_columns.at(c).name));
    }
}

qint64 WorkTable::asInteger(const QString &field) const
{
    const int c = requireField(field);
    const QVariant v = value(field);
    if (!v.isValid())
        return 0;
    if (m_columns.at(c).kind == FieldKind::Integer && !isFloatType(v.typeId()))
        return v.toLongLong();
    if (m_columns.at(c).kind == FieldKind::Text) {
        const QString t = v.toString().trimmed();
        bool ok = false;
        const qlonglong n = t.toLongLong(&ok);
        if (ok)
            return n;
    }
    const double d = asFloat(field);
    if (!std::isfinite(d))
        throw WorkTableError(QStringLiteral("Pole %1 nemá celočíselnou hodnotu.").arg(m_columns.at(c).name));
    return std::llround(d);
}

QDate WorkTable::asDate(const QString &field) const
{
    const int c = requireField(field);
    const QVariant v = value(field);
    if (!v.isValid())
        return {};
    switch (m_columns.at(c).kind) {
    case FieldKind::Date:
        return v.toDate();
    case FieldKind::DateTime:
        return v.toDateTime().date();
    case FieldKind::Text: {
        bool ok = false;
        const QDate d = parseDate(v.toString(), &ok);
        return ok ? d : QDate();
    }
    default:
        throw WorkTableError(QStringLiteral("Pole %1 není datum.").arg(m_columns.at(c).name));
    }
}

void WorkTable::setValue(const QString &field, const QVariant &value)
{
    const int c = requireField(field);
    requireEditing();
    m_buffer[c] = coerce(c, value);
    m_modified = true;
    emit rowChanged(m_editRow);
}

void WorkTable::setDate(const QString &field, const QDate &date)
{
    setValue(field, QVariant(date));
}

void WorkTable::clear(const QString &field)
{
    setValue(field, QVariant());
}

// --- display ----------------------------------------------------------------------------------

void WorkTable::setDisplayFormat(const QString &field, const QString &format)
{
    const int c = requireField(field);
    const QString key = m_columns.at(c).name.toLower();
    if (format.isEmpty())
        m_formats.remove(key);
    else
        m_formats.insert(key, format);
    for (int r = 0; r < visibleRowCount(); ++r)
        emit rowChanged(r);
}

QString WorkTable::displayFormat(const QString &field) const
{
    return m_formats.value(m_columns.value(requireField(field)).name.toLower());
}

QString WorkTable::displayTextAt(int row, int column) const
{
    const QVariant v = valueAt(row, column);
    const FieldKind kind = m_columns.at(column).kind;
    if (v.isValid() && (kind == FieldKind::Float || kind == FieldKind::Integer)) {
        const QString format = m_formats.value(m_columns.at(column).name.toLower());
        if (!format.isEmpty())
            return displayformat::format(v.toDouble(), format);
    }
    return stringOf(column, v);
}

QString WorkTable::displayText(const QString &field) const
{
    const int c = requireField(field);
    const int row = recNo();
    if (row < 0)
        return {};
    return displayTextAt(row, c);
}

// --- whole records ----------------------------------------------------------------------------

QVariantMap WorkTable::record() const
{
    QVariantMap map;
    const QVariantList *values = currentValues();
    for (int i = 0; i < m_columns.size(); ++i)
        map.insert(m_columns.at(i).name.toLower(), values ? values->at(i) : QVariant());
    return map;
}

QList<QVariantMap> WorkTable::allRecords() const
{
    QList<QVariantMap> list;
    const int n = visibleRowCount();
    list.reserve(n);
    for (int r = 0; r < n; ++r) {
        QVariantMap map;
        for (int i = 0; i < m_columns.size(); ++i)
            map.insert(m_columns.at(i).name.toLower(), valueAt(r, i));
        list.append(std::move(map));
    }
    return list;
}

// --- access by row ----------------------------------------------------------------------------

int WorkTable::visibleRowCount() const
{
    if (!isOpen())
        return 0;
    return int(m_rows.size()) + (m_state == State::Insert ? 1 : 0);
}

int WorkTable::editRow() const
{
    return (m_state == State::Edit || m_state == State::Insert) ? m_editRow : -1;
}

QVariant WorkTable::valueAt(int row, int column) const
{
    if (column < 0 || column >= m_columns.size())
        return {};
    if ((m_state == State::Edit || m_state == State::Insert) && row == m_editRow)
        return m_buffer.at(column);
    if (row < 0 || row >= m_rows.size())
        return {};
    return m_rows.at(row).values.at(column);
}

QString WorkTable::stringAt(int row, int column) const
{
    if (column < 0 || column >= m_columns.size())
        return {};
    return stringOf(column, valueAt(row, column));
}

void WorkTable::setValueAt(int row, int column, const QVariant &value)
{
    requireOpen("edit");
    if (column < 0 || column >= m_columns.size())
        throw WorkTableError(QStringLiteral("Pracovní tabulka %1 nemá sloupec %2.").arg(m_name).arg(column + 1));
    if ((m_state == State::Edit || m_state == State::Insert) && row == m_editRow) {
        m_buffer[column] = coerce(column, value);
        m_modified = true;
        emit rowChanged(row);
        return;
    }
    goTo(row);
    edit();
    try {
        m_buffer[column] = coerce(column, value);
        m_modified = true;
        post();
    } catch (...) {
        cancel();
        throw;
    }
}
