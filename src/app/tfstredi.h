// The two cost-centre dialogs over "stredi.sez": TFstredi offers the list for the choice of the
// cost centre (a typed code is taken when it is a usable code), TFstrediska edits the list.
#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class TFstredi;
class TFstrediska;
} // namespace Ui

class TFstredi : public QDialog {
    Q_OBJECT

public:
    TFstredi(const QString &current, QWidget *parent = nullptr);
    ~TFstredi() override;
    QString chosen() const;

    // Shows the dialog (after a message when the list file is missing) and answers the box's
    // text, however the dialog was closed; a code that cannot be used is never answered.
    static QString choose(const QString &current, QWidget *parent);

public slots:
    void done(int result) override;

private:
    std::unique_ptr<Ui::TFstredi> ui;
};

class TFstrediska : public QDialog {
    Q_OBJECT

public:
    explicit TFstrediska(QWidget *parent = nullptr);
    ~TFstrediska() override;

    // Shows the list file for editing; whenever the dialog closes the lines replace the file.
    static void edit(QWidget *parent);

public slots:
    void done(int result) override;

private:
    std::unique_ptr<Ui::TFstrediska> ui;
};
