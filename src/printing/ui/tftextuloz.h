// The saved-texts picker "Uložené texty": reusable one-line texts of one field, kept in the file
// F + ".txt"; the list is written back whole on every close.
#pragma once

#include <QDialog>
#include <QStringList>
#include <memory>
#include <optional>

namespace Ui {
class TftextUloz;
}

class TftextUloz : public QDialog {
    Q_OBJECT

public:
    // field: the caller's column name F ("NAZ_DRU", "NAZ_ODRU", "SIDLO"); the list is loaded from
    // F + ".txt" when that file exists.
    explicit TftextUloz(const QString &field, QWidget *parent = nullptr);
    ~TftextUloz() override;

    // Picks a text for the field: the chosen line, or nothing when the picker was left without
    // one. The list file is written in every case.
    static std::optional<QString> pick(const QString &field, QWidget *parent = nullptr);

    QString field() const { return m_field; }
    QStringList texts() const;
    bool isExtended() const; // the edit line with "Zapsat" and "Zpět" is shown
    std::optional<QString> chosenText() const { return m_chosen; }

public slots:
    void extend(); // "+"
    void shrink(); // "Zpět"
    void addText(); // "Zapsat"
    void deleteText(); // "-"
    void confirm(); // "OK"
    void done(int result) override;

private:
    std::unique_ptr<Ui::TftextUloz> ui;
    QString m_field;
    std::optional<QString> m_chosen;
};
