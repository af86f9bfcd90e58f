#include "searchdialog.h"

#include "messages.h"
#include "ui_searchdialog.h"

#include <QAbstractItemModel>
#include <QApplication>

SearchDialog::SearchDialog(const QAbstractItemModel *model, QList<SearchColumn> columns, int preselectedColumn,
                           QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint)
    , m_ui(std::make_unique<Ui::SearchDialog>())
    , m_model(model)
    , m_columns(std::move(columns))
{
    m_ui->setupUi(this);
    setFixedWidth(500);
    for (const SearchColumn &c : m_columns) {
        m_ui->comboField->addItem(c.label, c.column);
        if (c.column == preselectedColumn)
            m_ui->comboField->setCurrentIndex(m_ui->comboField->count() - 1);
    }
    // Context mode: the values of the field are listed and any part of a value matches.
    m_ui->checkShowValues->setChecked(true);
    m_ui->checkParts->setChecked(true);
    connect(m_ui->comboField, &QComboBox::currentIndexChanged, this, &SearchDialog::refreshFound);
    connect(m_ui->editText, &QLineEdit::textChanged, this, &SearchDialog::refreshFound);
    connect(m_ui->checkShowValues, &QCheckBox::toggled, this, &SearchDialog::refreshFound);
    connect(m_ui->checkParts, &QCheckBox::toggled, this, &SearchDialog::refreshFound);
    connect(m_ui->listFound, &QListWidget::itemDoubleClicked, this, &SearchDialog::take);
    connect(m_ui->buttonTake, &QPushButton::clicked, this, &SearchDialog::take);
    connect(m_ui->buttonCancel, &QPushButton::clicked, this, &QDialog::reject);
    refreshFound();
}

SearchDialog::~SearchDialog() = default;

int SearchDialog::currentColumn() const
{
    return m_ui->comboField->currentData().toInt();
}

void SearchDialog::setColumnTexts(std::function<QStringList(int)> texts)
{
    m_columnTexts = std::move(texts);
    m_textsColumn = -1;
    refreshFound();
}

const QStringList &SearchDialog::texts(int column)
{
    if (column != m_textsColumn) {
        m_texts.clear();
        if (m_columnTexts) {
            m_texts = m_columnTexts(column);
        } else {
            const int n = m_model->rowCount();
            m_texts.reserve(n);
            for (int r = 0; r < n; ++r)
                m_texts << m_model->index(r, column).data(Qt::DisplayRole).toString();
        }
        m_textsColumn = column;
    }
    return m_texts;
}

QList<int> SearchDialog::matchingRows(const QAbstractItemModel *model, int column, const QString &text, bool parts)
{
    QStringList values;
    const int n = model->rowCount();
    for (int r = 0; r < n; ++r)
        values << model->index(r, column).data(Qt::DisplayRole).toString();
    return matchingRows(values, text, parts);
}

QList<int> SearchDialog::matchingRows(const QStringList &values, const QString &text, bool parts)
{
    QList<int> rows;
    const int n = int(values.size());
    for (int r = 0; r < n; ++r) {
        const QString &value = values.at(r);
        const bool match = text.isEmpty() || (parts ? value.contains(text, Qt::CaseInsensitive)
                                                    : value.trimmed().startsWith(text, Qt::CaseInsensitive));
        if (match)
            rows.append(r);
    }
    return rows;
}

void SearchDialog::refreshFound()
{
    m_ui->listFound->clear();
    if (!m_ui->checkShowValues->isChecked() || m_columns.isEmpty())
        return;
    const int column = currentColumn();
    const QStringList &values = texts(column);
    for (int r : matchingRows(values, m_ui->editText->text(), m_ui->checkParts->isChecked())) {
        auto *item = new QListWidgetItem(values.at(r), m_ui->listFound);
        item->setData(Qt::UserRole, r);
    }
    if (m_ui->listFound->count() > 0)
        m_ui->listFound->setCurrentRow(0);
}

void SearchDialog::take()
{
    int row = -1;
    if (m_ui->checkShowValues->isChecked()) {
        if (QListWidgetItem *item = m_ui->listFound->currentItem())
            row = item->data(Qt::UserRole).toInt();
    } else if (!m_columns.isEmpty()) {
        const QList<int> rows
            = matchingRows(texts(currentColumn()), m_ui->editText->text(), m_ui->checkParts->isChecked());
        if (!rows.isEmpty())
            row = rows.first();
    }
    if (row < 0) {
        QApplication::beep();
        messages::show(QStringLiteral("Record not found"), MessageIcon::Information);
        return;
    }
    m_chosenRow = row;
    accept();
}
