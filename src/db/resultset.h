// Rows of a query as the server returned them, with the column names and types it reported.
// Values: texts as QString, whole numbers as qlonglong, floating point as double, DATE as QDate,
// DATETIME/TIMESTAMP as QDateTime, blobs as QByteArray, SQL NULL as a null QVariant.
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

    const QList<Column> &columns() const { return m_columns; }
    const QList<QVariantList> &rows() const { return m_rows; }
    qsizetype rowCount() const { return m_rows.size(); }
    qsizetype columnCount() const { return m_columns.size(); }
    bool isEmpty() const { return m_rows.isEmpty(); }

    // Column names compare case-insensitively; the first of equal names wins. -1 when missing.
    int columnIndex(const QString &name) const;
    QVariant value(qsizetype row, const QString &column) const;
    QVariant value(qsizetype row, int column) const { return m_rows.at(row).at(column); }
    QString text(qsizetype row, const QString &column) const;
    double number(qsizetype row, const QString &column) const;

private:
    QList<Column> m_columns;
    QList<QVariantList> m_rows;
};
