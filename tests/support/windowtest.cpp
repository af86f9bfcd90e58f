#include "windowtest.h"

#include <QApplication>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <memory>

namespace testsupport {

namespace {
QList<QPointer<QTimer>> &watchers()
{
    static QList<QPointer<QTimer>> list;
    return list;
}
} // namespace

void onWindow(const QString &name, std::function<void(QWidget *)> act)
{
    auto *timer = new QTimer;
    watchers() << timer;
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, tries, name, act] {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (w->objectName() == name && w->isVisible()) {
                timer->stop();
                timer->deleteLater();
                act(w);
                return;
            }
        }
        if (++*tries > 2000) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start(10);
}

void stopWindowWatchers()
{
    for (const QPointer<QTimer> &timer : std::as_const(watchers()))
        delete timer.data();
    watchers().clear();
}

void clickButton(QWidget *dialog, const QString &text)
{
    for (QPushButton *b : dialog->findChildren<QPushButton *>()) {
        if (b->text() == text) {
            b->click();
            return;
        }
    }
    QFAIL(qPrintable(QStringLiteral("no button %1").arg(text)));
}

} // namespace testsupport
