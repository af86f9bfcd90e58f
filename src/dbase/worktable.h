// A local working table: one SQLite file <dir>/<name>.sqlite holding the rows of one table whose
// columns are taken over from a query result, used exclusively by one program instance, with a
// record cursor and edit buffer in the manner of the editor's data-aware controls.
//
// Storage: the file holds the table itself (named like the file) and a small table "_fields" with
// the column definitions as the server reported them, so that a closed table can be opened again.
// Values keep the connection's representation: texts QString (any character; code page 1250 is
// only the database connection's edge), whole numbers qlonglong, floating point double, DATE
// QDate, DATETIME QDateTime, blobs QByteArray, SQL NULL an invalid QVariant. The zero date
// (0000-00-00) is a valid QVariant holding an invalid QDate and stays distinct from NULL.
//
// Exclusive use: creating or opening a table takes the data folder's lock (folderlock.h), which is
// held while any table of the folder is open in this process; another instance fails with
// WorkTableError before it touches a file. Within one process a file is open in at most one
// WorkTable object.
#pragma once

#include "resultset.h"

#include <QDate>
#include <QHash>
#include <QObject>
#include <QString>
#include <QVariant>
#include <QVariantMap>
#include <functional>
#include <stdexcept>

struct sqlite3;
struct sqlite3_stmt;

// An engine failure: the text is an operator message in Czech for the standard error message.
class WorkTableError : public std::runtime_error {
public:
    explicit WorkTableError(const QString &message);
    QString message() const { return m_message; }

private:
    QString m_message;
};

class WorkTable : public QObject {
    Q_OBJECT
public:
    enum class State { Inactive, Browse, Edit, Insert };

    // name: the table's name, also its file name without ".sqlite" ("pelmixi20").
    explicit WorkTable(const QString &name, QObject *parent = nullptr);
    ~WorkTable() override;

    QString name() const { return m_name; }
    // The data folder; empty means paths::dataDir() at the moment of each create or open.
    void setDirectory(const QString &dir);
    QString directory() const;
    QString filePath() const;

    // --- life cycle -------------------------------------------------------------------------
    // Closes the table, then replaces its file by an empty table with these columns (names
    // compare case-insensitively and must be unique). The table stays closed.
    void create(const QList<Column> &columns);
    // Opens the existing file; its column definitions come from the file.
    void open();
    // An unposted change is discarded.
    void close();
    bool isOpen() const { return m_state != State::Inactive; }
    State state() const { return m_state; }
    // Removes every record.
    void empty();
    // Gives the space of deleted records back (deleted records are gone at once already).
    void pack();

    // --- columns ----------------------------------------------------------------------------
    const QList<Column> &columns() const { return m_columns; }
    int fieldIndex(const QString &name) const; // case-insensitive; -1 when missing
    bool hasField(const QString &name) const { return fieldIndex(name) >= 0; }

    // --- cursor -----------------------------------------------------------------------------
    // Moving posts a modified edit buffer and drops an unmodified one. At the end of the table
    // the cursor stays on the last record with eof() set, as in a scan "while not eof: next".
    void first();
    void next();
    void prior();
    void last();
    bool eof() const;
    bool bof() const;
    int recordCount() const { return int(m_rows.size()); }
    bool isEmpty() const { return m_rows.isEmpty(); }
    int recNo() const; // 0-based index of the current record; -1 when there is none
    void goTo(int row);

    // --- record changes ---------------------------------------------------------------------
    void append();       // a new record with every field NULL, not yet in the table (insert state)
    void edit();         // edit buffer of the current record; on an empty table the same as append()
    void post();         // writes the edit buffer; in browse state nothing happens
    void cancel();       // drops the edit buffer
    void deleteRecord(); // deletes the current record; an appended record is only cancelled
    bool isModified() const { return m_modified; }

    // Appends rows of a query result, copying every field by name into the field of the same name
    // (fields the result lacks stay NULL, result columns the table lacks are ignored), in one
    // transaction. accept decides per result row; null accepts all. Returns the rows appended.
    int appendRows(const ResultSet &rows, const std::function<bool(qsizetype)> &accept = {});
    // One record from lower-case (or any case) field names, posted at once.
    void appendRecord(const QVariantMap &values);

    // --- locate -----------------------------------------------------------------------------
    // The first record whose field equals value (converted to the field's kind; texts compare
    // exactly, trailing blanks ignored); moves the cursor there and answers true, or leaves it.
    bool locate(const QString &field, const QVariant &value);
    bool locate(const QString &field1, const QVariant &value1, const QString &field2, const QVariant &value2);

    // --- field access (current record, or the edit buffer while editing) ---------------------
    // An unknown field name throws WorkTableError. Reads on a table without a current record
    // give NULL; writes need the edit or insert state.
    QVariant value(const QString &field) const;
    bool isNull(const QString &field) const;
    // Texts as they are; numbers with the decimal comma; dates "dd.mm.yyyy"; NULL and the zero
    // date as an empty text.
    QString asString(const QString &field) const;
    double asFloat(const QString &field) const;   // NULL and empty text 0
    qint64 asInteger(const QString &field) const; // a fractional value rounds half away from zero
    QDate asDate(const QString &field) const;     // NULL and the zero date give an invalid QDate

    // The value is converted to the field's kind: a text into a number accepts the decimal comma,
    // an empty text makes the field NULL, a fraction into a whole-number field rounds; a text
    // that is no number or date throws WorkTableError and changes nothing.
    void setValue(const QString &field, const QVariant &value);
    void setString(const QString &field, const QString &value) { setValue(field, value); }
    void setFloat(const QString &field, double value) { setValue(field, value); }
    void setInteger(const QString &field, qint64 value) { setValue(field, qlonglong(value)); }
    void setDate(const QString &field, const QDate &date); // an invalid date is the zero date
    void clear(const QString &field);                      // NULL

    // --- display ----------------------------------------------------------------------------
    // A display format for a numeric field (displayformat.h); an empty format removes it.
    void setDisplayFormat(const QString &field, const QString &format);
    QString displayFormat(const QString &field) const;
    QString displayText(const QString &field) const;

    // --- whole records ----------------------------------------------------------------------
    // Lower-case field name -> value, of the current record (with unposted changes).
    QVariantMap record() const;
    // Every record in table order as the grids show them: unposted changes and an appended,
    // unposted record included.
    QList<QVariantMap> allRecords() const;

    // --- access by row, for the models ------------------------------------------------------
    // Rows the grids show: the records plus an appended, unposted one.
    int visibleRowCount() const;
    int editRow() const; // the row of the edit buffer; -1 in browse state
    QVariant valueAt(int row, int column) const;
    QString displayTextAt(int row, int column) const;
    QString stringAt(int row, int column) const;
    // Writes through to the table: into the edit buffer when row is being edited, otherwise the
    // row becomes current and is edited and posted.
    void setValueAt(int row, int column, const QVariant &value);

signals:
    void aboutToReset();
    void reset(); // opened, closed, created, emptied, packed
    void rowAboutToBeInserted(int row);
    void rowInserted(int row);
    void rowAboutToBeRemoved(int row);
    void rowRemoved(int row);
    void rowChanged(int row);
    void currentChanged(int row);

private:
    struct Row {
        qint64 rowid = 0;
        QVariantList values;
    };

    int requireField(const QString &field) const;
    void requireOpen(const char *operation) const;
    void requireEditing() const;
    void checkBrowseMode();
    const QVariantList *currentValues() const;
    QString stringOf(int column, const QVariant &v) const;
    QVariant coerce(int column, const QVariant &value) const;
    void openHandle(const QString &path, bool create);
    void closeHandle();
    void prepareStatements();
    void loadRows();
    void exec(const QString &sql);
    void bindRow(sqlite3_stmt *stmt, const QVariantList &values) const;
    QVariant readColumn(sqlite3_stmt *stmt, int index, int column) const;
    [[noreturn]] void fail(const QString &what) const;
    void setCursor(int row);

    QString m_name;
    QString m_directory;
    QString m_heldDir;  // the folder whose lock this table holds while open
    QString m_openPath; // the file registered as open by this object
    sqlite3 *m_db = nullptr;
    sqlite3_stmt *m_insert = nullptr;
    sqlite3_stmt *m_update = nullptr;
    sqlite3_stmt *m_delete = nullptr;

    QList<Column> m_columns;
    QHash<QString, int> m_index; // lower-case name -> column
    QHash<QString, QString> m_formats; // lower-case name -> display format

    QList<Row> m_rows;
    int m_cursor = 0;
    bool m_eof = true;
    bool m_bof = true;
    State m_state = State::Inactive;
    QVariantList m_buffer;
    int m_editRow = -1;
    bool m_modified = false;
};
