#include "splash.h"

#include "appfonts.h"
#include "version.h"

#include <QDate>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QtMath>

Splash::Splash(QWidget *parent)
    : QWidget(parent, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool)
{
    setObjectName(QStringLiteral("splash"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(PictureWidth + 2 * Frame, PictureHeight + 2 * Frame);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));
}

QString Splash::versionLine() const
{
    return QStringLiteral("© Tavrix05 software %1 - ver. %2").arg(QDate::currentDate().year()).arg(programVersion());
}

void Splash::setStatus(const QString &text)
{
    m_status = text;
    repaint();
}

// Our own picture: a field under a pale sky, three ears of grain and the suite's name.
QPixmap Splash::picture()
{
    QPixmap pixmap(PictureWidth, PictureHeight);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);

    QLinearGradient sky(0, 0, 0, PictureHeight);
    sky.setColorAt(0.0, QColor(236, 244, 226));
    sky.setColorAt(0.55, QColor(250, 247, 228));
    sky.setColorAt(1.0, QColor(226, 214, 160));
    p.fillRect(pixmap.rect(), sky);

    QPainterPath hill;
    hill.moveTo(0, 170);
    hill.cubicTo(140, 140, 330, 190, PictureWidth, 150);
    hill.lineTo(PictureWidth, PictureHeight);
    hill.lineTo(0, PictureHeight);
    hill.closeSubpath();
    QLinearGradient field(0, 150, 0, PictureHeight);
    field.setColorAt(0.0, QColor(214, 190, 110, 170));
    field.setColorAt(1.0, QColor(190, 160, 80, 120));
    p.fillPath(hill, field);

    // Ears of grain on the right: a stalk and pairs of grains along its top.
    const QColor stalk(120, 100, 40);
    const QColor grain(200, 160, 60);
    for (int e = 0; e < 3; ++e) {
        const double x0 = 440 + e * 22;
        const double y0 = 200 - e * 12;
        const double lean = (e - 1) * 10;
        p.setPen(QPen(stalk, 2));
        p.drawLine(QPointF(x0, PictureHeight), QPointF(x0 + lean, y0));
        p.setPen(Qt::NoPen);
        p.setBrush(grain);
        for (int g = 0; g < 7; ++g) {
            const double y = y0 + 60 - g * 9;
            const QPointF c(x0 + lean * (PictureHeight - y) / (PictureHeight - y0), y);
            for (int side : { -1, 1 }) {
                p.save();
                p.translate(c + QPointF(side * 5, 0));
                p.rotate(side * 30);
                p.drawEllipse(QPointF(0, 0), 3.5, 7);
                p.restore();
            }
        }
        p.drawEllipse(QPointF(x0 + lean, y0 - 4), 3, 7);
    }

    const QString family = appfonts::registerTahoma();
    QFont title(family, 40, QFont::Bold);
    p.setFont(title);
    p.setPen(QColor(40, 90, 40));
    p.drawText(QRect(40, 60, 360, 80), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Tavrix05"));
    p.setPen(QPen(QColor(40, 90, 40), 2));
    p.drawLine(44, 150, 300, 150);
    return pixmap;
}

void Splash::drawTexts(QPainter &p) const
{
    const QString family = appfonts::registerTahoma();
    const QColor green(0, 128, 0);

    QFont first(family, 20);
    p.setFont(first);
    p.setPen(Qt::black);
    p.drawText(
        QRect(80, 205, 400, QFontMetrics(first).height()), Qt::AlignLeft | Qt::AlignTop, QStringLiteral("krmné směsi"));

    QFont second(family, 11);
    p.setFont(second);
    p.setPen(green);
    p.drawText(QRect(0, 237, 420, QFontMetrics(second).height()), Qt::AlignRight | Qt::AlignTop,
        QStringLiteral("míchací protokol krmných směsí"));

    QFont version(family, 7);
    p.setFont(version);
    p.drawText(
        QRect(5, 5, PictureWidth - 10, QFontMetrics(version).height()), Qt::AlignLeft | Qt::AlignTop, versionLine());

    QFont status(family, 8);
    p.setFont(status);
    p.drawText(QRect(0, 285, 490, QFontMetrics(status).height()), Qt::AlignRight | Qt::AlignTop, m_status);
}

QPixmap Splash::render() const
{
    QPixmap pixmap = picture();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::TextAntialiasing);
    drawTexts(p);
    return pixmap;
}

void Splash::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    // Single bevel: light top-left, dark bottom-right.
    p.fillRect(rect(), QColor(128, 128, 128));
    p.fillRect(QRect(0, 0, width() - 1, height() - 1), Qt::white);
    p.fillRect(QRect(1, 1, width() - 2, height() - 2), QColor(192, 192, 192));
    p.drawPixmap(Frame, Frame, render());
}
