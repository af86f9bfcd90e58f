#include "columnlayout.h"

#include <QAbstractItemModel>
#include <QFile>
#include <QHeaderView>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QTableView>

namespace columnlayout {

QList<ColumnSetting> capture(const QTableView *view, const QStringList &fieldNames)
{
    QList<ColumnSetting> layout;
    const QHeaderView *header = view->horizontalHeader();
    const QAbstractItemModel *model = view->model();
    for (int visual = 0; visual < header->count(); ++visual) {
        const int logical = header->logicalIndex(visual);
        if (logical < 0 || logical >= fieldNames.size())
            continue;
        ColumnSetting s;
        s.field = fieldNames.at(logical);
        s.title = model->headerData(logical, Qt::Horizontal).toString();
        s.alignment = model->headerData(logical, Qt::Horizontal, Qt::TextAlignmentRole).toInt();
        s.width = header->sectionSize(logical);
        s.visible = !header->isSectionHidden(logical);
        layout.append(s);
    }
    return layout;
}

void apply(QTableView *view, const QStringList &fieldNames, const QList<ColumnSetting> &layout)
{
    if (layout.isEmpty())
        return;
    QHeaderView *header = view->horizontalHeader();
    QAbstractItemModel *model = view->model();
    int target = 0;
    for (const ColumnSetting &s : layout) {
        const int logical = int(fieldNames.indexOf(s.field));
        if (logical < 0)
            continue;
        header->moveSection(header->visualIndex(logical), target++);
        if (s.width > 0)
            header->resizeSection(logical, s.width);
        header->setSectionHidden(logical, !s.visible);
        if (!s.title.isEmpty())
            model->setHeaderData(logical, Qt::Horizontal, s.title);
    }
}

bool save(const QString &path, const QList<ColumnSetting> &layout)
{
    QJsonArray columns;
    for (const ColumnSetting &s : layout) {
        columns.append(QJsonObject{{QStringLiteral("field"), s.field},
                                   {QStringLiteral("title"), s.title},
                                   {QStringLiteral("alignment"), s.alignment},
                                   {QStringLiteral("width"), s.width},
                                   {QStringLiteral("visible"), s.visible}});
    }
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    f.write(QJsonDocument(QJsonObject{{QStringLiteral("columns"), columns}}).toJson());
    return f.commit();
}

QList<ColumnSetting> load(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QJsonArray columns = QJsonDocument::fromJson(f.readAll()).object().value(QStringLiteral("columns")).toArray();
    QList<ColumnSetting> layout;
    for (const QJsonValue &v : columns) {
        const QJsonObject o = v.toObject();
        ColumnSetting s;
        s.field = o.value(QStringLiteral("field")).toString();
        s.title = o.value(QStringLiteral("title")).toString();
        s.alignment = o.value(QStringLiteral("alignment")).toInt();
        s.width = o.value(QStringLiteral("width")).toInt();
        s.visible = o.value(QStringLiteral("visible")).toBool(true);
        if (!s.field.isEmpty())
            layout.append(s);
    }
    return layout;
}

} // namespace columnlayout
