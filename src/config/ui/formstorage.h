// Stored window values of a form: listed properties of its components kept in ./pelmixi.ini, in
// the section named after the form's class, under the key component name + "_" + property name.
// Values are written as text ("True"/"False", decimal numbers) when the form closes and read
// back before it is shown; a number out of its range is clamped, a value that is not a number is
// ignored, so a hand-edited INI file can never select a missing item or order 1,000 copies.
#pragma once

#include <QList>
#include <QPointer>
#include <QString>
#include <functional>

class QAbstractButton;
class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class QWidget;

class FormStorage {
public:
    // section: the form's class name, e.g. "TForm1".
    explicit FormStorage(QString section);

    QString section() const { return m_section; }

    // Text of a line edit or label ("Text", "Caption").
    void addText(QLineEdit *edit, const QString &property = QStringLiteral("Text"));
    void addText(QLabel *label, const QString &property = QStringLiteral("Caption"));
    // Check mark of a check box or a checkable menu action ("Checked").
    void addChecked(QAbstractButton *button);
    void addChecked(QAction *action);
    // Chosen item of a combo box ("ItemIndex"), clamped to the items present when restored.
    void addItemIndex(QComboBox *combo);
    // Value of a spin box ("Value"), clamped to the given range (and the spin box's own).
    void addValue(QSpinBox *spin, int minimum, int maximum);
    // Any whole number of a component, clamped to [minimum, maximum].
    void addInteger(const QString &component, const QString &property, std::function<int()> get,
        std::function<void(int)> set, int minimum, int maximum);
    // Window placement of the form (keys "ShowCmd" and "NormPos").
    void addPlacement(QWidget *form);

    void restore() const;
    // All values in one write: every one is stored, or (a character code page 1250 cannot hold,
    // an unwritable file: the exception) none. A value equal to the stored one keeps its line.
    void store() const;

    // The first entry whose value differs from the stored one and holds a character code page
    // 1250 cannot hold: its key ("Editnazev_Text") and that character. Empty key: all can be stored.
    struct Unstorable {
        QString key;
        QString character; // the whole character, an emoji included
        QString codePoint; // "U+1F600"
    };
    Unstorable firstUnstorable() const;

    // Clamps a stored text to [minimum, maximum]; false when it is not a whole number.
    static bool clampedInteger(const QString &text, int minimum, int maximum, int *value);

private:
    struct Entry {
        QString key;
        std::function<QString()> get;
        std::function<void(const QString &)> set;
    };
    void add(const QString &key, std::function<QString()> get, std::function<void(const QString &)> set);

    QString m_section;
    QList<Entry> m_entries;
};
