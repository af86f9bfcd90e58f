// Saved column layouts of a grid ("pelmixihla.slo", "pelmixiskl.slo"): for each column in display
// order its field name, title, alignment, width and visibility. The files are local to one
// workstation and read back only by the program: JSON in UTF-8.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class QTableView;

struct ColumnSetting {
    QString field;
    QString title;
    int alignment = 0;
    int width = 0;
    bool visible = true;
};

namespace columnlayout {

// fieldNames: the field of each logical column of the view's model.
QList<ColumnSetting> capture(const QTableView *view, const QStringList &fieldNames);
// Columns named in the layout take its order, width, visibility and title; fields the layout does
// not know stay visible after them; layout entries of fields the model lacks are skipped.
void apply(QTableView *view, const QStringList &fieldNames, const QList<ColumnSetting> &layout);

bool save(const QString &path, const QList<ColumnSetting> &layout);
// An empty list when the file is missing or unreadable.
QList<ColumnSetting> load(const QString &path);

} // namespace columnlayout
