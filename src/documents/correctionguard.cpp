#include "correctionguard.h"

#include <QDate>
#include <QDateTime>

namespace correctionguard {

namespace {

const QString IsoDate = QStringLiteral("yyyy-MM-dd");

Message refusal(const QString &text, const ResultSet &history, qsizetype row)
{
    return Message{text + history.value(row, QStringLiteral("doklad")).toString() + QLatin1Char(' ') +
                       history.value(row, QStringLiteral("cislodokla")).toString(),
                   1, QStringLiteral("Zpět"), MessageIcon::Stop};
}

} // namespace

QString postingDateText(const QVariant &datumzauct)
{
    if (!datumzauct.isValid())
        return {};
    QDate date;
    switch (datumzauct.typeId()) {
    case QMetaType::QDate:
        date = datumzauct.toDate();
        break;
    case QMetaType::QDateTime:
        date = datumzauct.toDateTime().date();
        break;
    case QMetaType::QString: {
        const QString t = datumzauct.toString().trimmed();
        date = QDate::fromString(t.left(10), IsoDate);
        if (!date.isValid())
            date = QDate::fromString(t, QStringLiteral("dd.MM.yyyy"));
        break;
    }
    default:
        break;
    }
    return date.isValid() ? date.toString(IsoDate) : QString();
}

PostingState postingState(const QVariant &datumzauct)
{
    const QString text = postingDateText(datumzauct);
    if (text > QString::fromUtf16(BeingPostedUpTo))
        return PostingState::Posted;
    if (text > QString::fromUtf16(NotPostedUpTo))
        return PostingState::BeingPosted;
    return PostingState::NotPosted;
}

Outcome postingGuard(const QVariant &datumzauct)
{
    Outcome o;
    switch (postingState(datumzauct)) {
    case PostingState::Posted:
        o.messages.append(Message{QStringLiteral("Nelze opravit! Doklad je již zaúčtován."), 1, QStringLiteral("OK"),
                                  MessageIcon::Stop});
        o.state = Refused;
        break;
    case PostingState::BeingPosted:
        o.messages.append(Message{QStringLiteral("Nelze opravit! Doklad je právě účtován!"), 1, QStringLiteral("OK"),
                                  MessageIcon::Information});
        o.state = Refused;
        break;
    case PostingState::NotPosted:
        break;
    }
    return o;
}

void historyGuard(Outcome &o, double mixNc, int ksJaknc, const ResultSet &history)
{
    if (history.isEmpty())
        return;
    if (ksJaknc == 0) {
        o.messages.append(refusal(QStringLiteral("Nelze opravit! Partie byla již expedována\nna dokladu "), history, 0));
        o.state = Refused;
        return;
    }
    if (o.state == Free)
        o.state = BatchLocked;
    if (ksJaknc != 1)
        return;
    const QString postedAfter = QString::fromUtf16(LaterDocumentPostedAfter);
    for (qsizetype r = 0; r < history.rowCount(); ++r) {
        bool refused = false;
        if (postingDateText(history.value(r, QStringLiteral("datumzauct"))) > postedAfter) {
            o.messages.append(refusal(
                QStringLiteral("Nelze opravit! Partie byla již expedována\na zaúčtována na dokladu "), history, r));
            refused = true;
        }
        const QString doklad = history.value(r, QStringLiteral("doklad")).toString();
        if (mixNc > 0 && history.number(r, QStringLiteral("nc")) > 0 &&
            (doklad == QLatin1String("KA") || doklad == QLatin1String("SM") || doklad == QLatin1String("KS"))) {
            o.messages.append(refusal(
                QStringLiteral("Nelze opravit! Partie byla již potvrzena\na zpracována na dokladu "), history, r));
            refused = true;
        }
        if (refused) {
            o.state = Refused;
            return;
        }
    }
}

Outcome evaluate(const QVariant &datumzauct, double mixNc, int ksJaknc, const ResultSet &history)
{
    Outcome o = postingGuard(datumzauct);
    historyGuard(o, mixNc, ksJaknc, history);
    return o;
}

} // namespace correctionguard
