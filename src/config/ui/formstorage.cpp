#include "formstorage.h"

#include "cp1250.h"
#include "inifile.h"
#include "paths.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QWidget>

namespace {

// A key's absence must be told from an empty value: an emptied cost-centre caption means
// "choose one", a missing one means "keep the design value".
const QString missing = QStringLiteral("\u0001");

QString boolText(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

QString keyOf(const QObject *component, const QString &property)
{
    return component->objectName() + QLatin1Char('_') + property;
}

} // namespace

FormStorage::FormStorage(QString section)
    : m_section(std::move(section))
{
}

void FormStorage::add(const QString &key, std::function<QString()> get, std::function<void(const QString &)> set)
{
    m_entries.append(Entry { key, std::move(get), std::move(set) });
}

bool FormStorage::clampedInteger(const QString &text, int minimum, int maximum, int *value)
{
    bool ok = false;
    const qlonglong v = text.trimmed().toLongLong(&ok);
    if (!ok)
        return false;
    *value = int(qBound(qlonglong(minimum), v, qlonglong(maximum)));
    return true;
}

void FormStorage::addText(QLineEdit *edit, const QString &property)
{
    QPointer<QLineEdit> e(edit);
    add(
        keyOf(edit, property), [e] { return e ? e->text() : QString(); },
        [e](const QString &v) {
            if (e)
                e->setText(v);
        });
}

void FormStorage::addText(QLabel *label, const QString &property)
{
    QPointer<QLabel> l(label);
    add(
        keyOf(label, property), [l] { return l ? l->text() : QString(); },
        [l](const QString &v) {
            if (l)
                l->setText(v);
        });
}

void FormStorage::addChecked(QAbstractButton *button)
{
    QPointer<QAbstractButton> b(button);
    add(
        keyOf(button, QStringLiteral("Checked")), [b] { return boolText(b && b->isChecked()); },
        [b](const QString &v) {
            // Only the two texts the form writes are understood; anything else keeps the design value.
            if (b && (v == QLatin1String("True") || v == QLatin1String("False")))
                b->setChecked(v == QLatin1String("True"));
        });
}

void FormStorage::addChecked(QAction *action)
{
    QPointer<QAction> a(action);
    add(
        keyOf(action, QStringLiteral("Checked")), [a] { return boolText(a && a->isChecked()); },
        [a](const QString &v) {
            if (a && (v == QLatin1String("True") || v == QLatin1String("False")))
                a->setChecked(v == QLatin1String("True"));
        });
}

void FormStorage::addItemIndex(QComboBox *combo)
{
    QPointer<QComboBox> c(combo);
    add(
        keyOf(combo, QStringLiteral("ItemIndex")), [c] { return QString::number(c ? c->currentIndex() : -1); },
        [c](const QString &v) {
            int index = 0;
            if (c && c->count() > 0 && clampedInteger(v, 0, c->count() - 1, &index))
                c->setCurrentIndex(index);
        });
}

void FormStorage::addValue(QSpinBox *spin, int minimum, int maximum)
{
    QPointer<QSpinBox> s(spin);
    addInteger(
        spin->objectName(), QStringLiteral("Value"), [s] { return s ? s->value() : 0; },
        [s](int v) {
            if (s)
                s->setValue(v);
        },
        qMax(minimum, spin->minimum()), qMin(maximum, spin->maximum()));
}

void FormStorage::addInteger(const QString &component, const QString &property, std::function<int()> get,
    std::function<void(int)> set, int minimum, int maximum)
{
    add(
        component + QLatin1Char('_') + property, [get] { return QString::number(get()); },
        [set, minimum, maximum](const QString &v) {
            int value = 0;
            if (clampedInteger(v, minimum, maximum, &value))
                set(value);
        });
}

void FormStorage::addPlacement(QWidget *form)
{
    QPointer<QWidget> w(form);
    add(
        QStringLiteral("ShowCmd"), [w] { return QString::number(w && w->isMaximized() ? 3 : 1); },
        [w](const QString &v) {
            if (w && v.trimmed() == QLatin1String("3"))
                w->setWindowState(w->windowState() | Qt::WindowMaximized);
        });
    add(
        QStringLiteral("NormPos"),
        [w] {
            if (!w)
                return QString();
            const QRect r = w->normalGeometry().isValid() ? w->normalGeometry() : w->geometry();
            return QStringLiteral("%1,%2,%3,%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
        },
        [w](const QString &v) {
            const QStringList parts = v.split(QLatin1Char(','));
            if (!w || parts.size() != 4)
                return;
            int n[4] = {};
            for (int i = 0; i < 4; ++i) {
                if (!clampedInteger(parts.at(i), i < 2 ? -10000 : 50, 10000, &n[i]))
                    return;
            }
            w->setGeometry(n[0], n[1], n[2], n[3]);
        });
}

void FormStorage::restore() const
{
    const IniFile ini(paths::moduleIni());
    for (const Entry &e : m_entries) {
        const QString value = ini.readString(m_section, e.key, missing);
        if (value != missing)
            e.set(value);
    }
}

void FormStorage::store() const
{
    QList<std::pair<QString, QString>> values;
    for (const Entry &e : m_entries)
        values.append({ e.key, e.get() });
    IniFile(paths::moduleIni()).writeStrings(m_section, values);
}

FormStorage::Unstorable FormStorage::firstUnstorable() const
{
    const IniFile ini(paths::moduleIni());
    for (const Entry &e : m_entries) {
        const QString value = e.get();
        const cp1250::Unencodable bad = cp1250::firstUnencodableCharacter(value);
        if (!bad.isEmpty() && ini.readString(m_section, e.key, missing) != value)
            return Unstorable { e.key, bad.character, bad.codePoint };
    }
    return {};
}
