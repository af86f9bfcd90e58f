// Rows of a query as the server returned them, with the column names and types it reported.
// Values: texts as QString, whole numbers as qlonglong, floating point as double, DATE as QDate,
// DATETIME/TIMESTAMP as QDateTime, blobs as QByteArray, SQL NULL as a null QVariant.
// A query keeps each row as the bytes the server sent and converts a cell when it is read, so a
// list of a hundred thousand documents costs little more memory than its text.
#pragma once

#include <QList>
#include <QString>
#include <QVariant>

enum class FieldKind { Text, Integer, Float, Date, DateTime, Time, Blob };

struct Column {
    QString name;
    FieldKind kind = FieldKind::Text;
    int length = 0;     // characters for texts, digits for numbers, as the server reports them
    int decimals = 0;
    int serverType = 0; // the client library's field type code
};

class ResultSet {
public:
    ResultSet() = default;
    ResultSet(QList<Column> columns, QList<QVariantList> rows);

    // One row as received: a table of the fields' byte lengths (-1 for NULL) followed by the
    // fields' bytes back to back.
    static QByteArray packRow(const char *const *fields, const unsigned long *lengths, int count);
    ResultSet(QList<Column> columns, QList<QByteArray> packedRows);

    const QList<Column> &columns() const { return m_columns; }
    // Appends the rows of a further page of the same query (same columns).
    void append(ResultSet more);
    // Every row converted at once.
    QList<QVariantList> rows() const;
    qsizetype rowCount() const { return m_packed ? m_packedRows.size() : m_rows.size(); }
    qsizetype columnCount() const { return m_columns.size(); }
    bool isEmpty() const { return rowCount() == 0; }

    // Column names compare case-insensitively; the first of equal names wins. -1 when missing.
    int columnIndex(const QString &name) const;
    QVariant value(qsizetype row, const QString &column) const;
    QVariant value(qsizetype row, int column) const;
    QString text(qsizetype row, const QString &column) const;
    double number(qsizetype row, const QString &column) const;

private:
    QList<Column> m_columns;
    QList<QVariantList> m_rows;
    QList<QByteArray> m_packedRows;
    bool m_packed = false;
};
