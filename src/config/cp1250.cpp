// The two translation tables are built once from iconv's CP1250 converter, so every later
// conversion is a table look-up.
#include "cp1250.h"

#include <QHash>
#include <array>
#include <iconv.h>

namespace cp1250 {

namespace {

struct Tables {
    std::array<char16_t, 256> toUnicode{};
    QHash<char16_t, char> fromUnicode;

    Tables()
    {
        iconv_t cd = iconv_open("UTF-16LE", "CP1250");
        for (int b = 0; b < 256; ++b) {
            char16_t decoded = 0xFFFD;
            if (b < 0x80) {
                decoded = char16_t(b);
            } else if (cd != iconv_t(-1)) {
                char in = char(b);
                char out[4] = {};
                char *inPtr = &in;
                char *outPtr = out;
                size_t inLeft = 1;
                size_t outLeft = sizeof out;
                iconv(cd, nullptr, nullptr, nullptr, nullptr);
                if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != size_t(-1) && outLeft == 2)
                    decoded = char16_t(uchar(out[0]) | (uchar(out[1]) << 8));
            }
            toUnicode[size_t(b)] = decoded;
            if (decoded != 0xFFFD)
                fromUnicode.insert(decoded, char(b));
        }
        if (cd != iconv_t(-1))
            iconv_close(cd);
    }
};

const Tables &tables()
{
    static const Tables t;
    return t;
}

} // namespace

EncodingError::EncodingError(const QString &message, QChar character)
    : std::runtime_error(message.toStdString())
    , m_message(message)
    , m_character(character)
{
}

QString decode(const char *bytes, qsizetype length)
{
    const auto &t = tables();
    QString out(length, Qt::Uninitialized);
    QChar *dst = out.data();
    for (qsizetype i = 0; i < length; ++i)
        dst[i] = QChar(t.toUnicode[uchar(bytes[i])]);
    return out;
}

QString decode(const QByteArray &bytes)
{
    return decode(bytes.constData(), bytes.size());
}

QChar firstUnencodable(const QString &text)
{
    const auto &t = tables();
    for (QChar c : text) {
        if (c.unicode() < 0x80)
            continue;
        if (!t.fromUnicode.contains(c.unicode()))
            return c;
    }
    return {};
}

Unencodable firstUnencodableCharacter(const QString &text)
{
    const auto &t = tables();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.unicode() < 0x80 || t.fromUnicode.contains(c.unicode()))
            continue;
        Unencodable u;
        u.index = i;
        const bool pair = c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
        u.character = text.mid(i, pair ? 2 : 1);
        const char32_t code = pair ? QChar::surrogateToUcs4(c, text.at(i + 1)) : char32_t(c.unicode());
        u.codePoint = QStringLiteral("U+%1").arg(uint(code), 4, 16, QLatin1Char('0')).toUpper();
        return u;
    }
    return {};
}

QByteArray encodeLossy(const QString &text)
{
    const auto &t = tables();
    QByteArray out(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text.at(i).unicode();
        out[i] = u < 0x80 ? char(u) : t.fromUnicode.value(u, '?');
    }
    return out;
}

QByteArray encode(const QString &text, const QString &label)
{
    const auto &t = tables();
    QByteArray out(text.size(), Qt::Uninitialized);
    char *dst = out.data();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text.at(i).unicode();
        if (u < 0x80) {
            dst[i] = char(u);
            continue;
        }
        const auto it = t.fromUnicode.constFind(u);
        if (it == t.fromUnicode.constEnd()) {
            QString where = label;
            if (where.isEmpty()) {
                const qsizetype from = qMax<qsizetype>(0, i - 30);
                where = text.mid(from, 60).simplified();
            }
            const QChar bad = text.at(i);
            throw EncodingError(
                QStringLiteral("Znak „%1“ (U+%2) nelze uložit v kódové stránce 1250: „%3“. Opravte text.")
                    .arg(bad)
                    .arg(uint(u), 4, 16, QLatin1Char('0'))
                    .arg(where),
                bad);
        }
        dst[i] = *it;
    }
    return out;
}

} // namespace cp1250
