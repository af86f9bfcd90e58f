#include "displayformat.h"

#include <cmath>

namespace displayformat {

QString format(double value, const QString &fmt)
{
    if (!std::isfinite(value))
        return QString();
    const qsizetype point = fmt.indexOf(QLatin1Char('.'));
    const QString intPart = point < 0 ? fmt : fmt.left(point);
    const QString fracPart = point < 0 ? QString() : fmt.mid(point + 1);

    const int minInt = int(intPart.count(QLatin1Char('0')));
    const bool grouped = intPart.contains(QLatin1Char(' ')) || intPart.contains(QLatin1Char(','));
    const int minDec = int(fracPart.count(QLatin1Char('0')));
    const int maxDec = minDec + int(fracPart.count(QLatin1Char('#')));

    // QString::number is locale-free: '.' separates the decimals, no grouping.
    QString digits = QString::number(std::fabs(value), 'f', maxDec);
    QString whole = digits;
    QString decimals;
    if (const qsizetype p = digits.indexOf(QLatin1Char('.')); p >= 0) {
        whole = digits.left(p);
        decimals = digits.mid(p + 1);
    }
    while (decimals.size() > minDec && decimals.endsWith(QLatin1Char('0')))
        decimals.chop(1);
    while (whole.size() > 1 && whole.startsWith(QLatin1Char('0')))
        whole.remove(0, 1);
    if (whole == QLatin1String("0") && minInt == 0)
        whole.clear();
    while (whole.size() < minInt)
        whole.prepend(QLatin1Char('0'));

    QString out;
    if (grouped) {
        for (qsizetype i = 0; i < whole.size(); ++i) {
            if (i > 0 && (whole.size() - i) % 3 == 0)
                out += QLatin1Char(' ');
            out += whole.at(i);
        }
    } else {
        out = whole;
    }
    if (!decimals.isEmpty())
        out += QLatin1Char(',') + decimals;

    bool nonZero = false;
    for (QChar c : std::as_const(out)) {
        if (c.isDigit() && c != QLatin1Char('0'))
            nonZero = true;
    }
    if (value < 0 && nonZero)
        out.prepend(QLatin1Char('-'));
    return out;
}

bool parseNumber(const QString &text, double *value)
{
    QString t = text.trimmed();
    t.remove(QLatin1Char(' '));
    t.remove(QChar(0x00A0));
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    if (t.isEmpty())
        return false;
    bool ok = false;
    const double v = t.toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return false;
    *value = v;
    return true;
}

} // namespace displayformat
