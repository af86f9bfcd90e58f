#include "tpracuji.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QVBoxLayout>

WaitBar::WaitBar(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("waitBar"));
    setFixedHeight(12);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        m_position += 6;
        if (m_position > width())
            m_position = -BlockWidth;
        update();
    });
    m_timer.start(StepMs);
}

void WaitBar::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), palette().window());
    p.setPen(palette().mid().color());
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    QLinearGradient g(m_position, 0, m_position + BlockWidth, 0);
    g.setColorAt(0.0, QColor(0, 90, 200, 0));
    g.setColorAt(0.5, QColor(0, 90, 200));
    g.setColorAt(1.0, QColor(0, 90, 200, 0));
    p.fillRect(QRect(m_position, 1, BlockWidth, height() - 2).intersected(rect().adjusted(1, 1, -1, -1)), g);
}

Tpracuji::Tpracuji(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("Tpracuji"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(243, 66);
    auto *frame = new QFrame(this);
    frame->setFrameShape(QFrame::Box);
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(frame);
    auto *layout = new QVBoxLayout(frame);
    layout->setContentsMargins(8, 6, 8, 8);
    m_label = new QLabel(frame);
    m_label->setObjectName(QStringLiteral("textLabel"));
    m_label->setAlignment(Qt::AlignCenter);
    m_label->setWordWrap(true);
    layout->addWidget(m_label, 1);
    m_bar = new WaitBar(frame);
    layout->addWidget(m_bar);
    if (parent) {
        const QRect area = parent->window()->frameGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
}

void Tpracuji::setText(const QString &text)
{
    m_label->setText(text);
}

QString Tpracuji::text() const
{
    return m_label->text();
}

void Tpracuji::showInFront()
{
    show();
    raise();
    activateWindow();
    QApplication::processEvents();
}
