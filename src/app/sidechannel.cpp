#include "sidechannel.h"

#include <QEvent>
#include <QFrame>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>

SideChannel::SideChannel(QWidget *parent)
    : QWidget(parent)
{
    setFixedWidth(BarWidth);
    setCursor(Qt::PointingHandCursor);
}

void SideChannel::setup(const QString &caption, Edge edge, QWidget *host)
{
    m_caption = caption;
    m_edge = edge;
    m_host = host;
    setToolTip(caption);
    auto *frame = new QFrame(host);
    frame->setObjectName(objectName() + QStringLiteral("Panel"));
    frame->setFrameShape(QFrame::Panel);
    frame->setFrameShadow(QFrame::Raised);
    frame->setAutoFillBackground(true);
    m_panel = frame;
    m_panelLayout = new QVBoxLayout(m_panel);
    m_panelLayout->setContentsMargins(2, 2, 2, 2);
    m_panel->hide();
    host->installEventFilter(this);
    update();
}

void SideChannel::setContent(QWidget *content)
{
    if (m_content)
        m_content->deleteLater();
    m_content = content;
    if (content)
        m_panelLayout->addWidget(content);
}

bool SideChannel::isOut() const
{
    return m_panel && m_panel->isVisible();
}

void SideChannel::place()
{
    if (!m_panel || !m_host)
        return;
    const QRect bar(mapTo(m_host, QPoint(0, 0)), size());
    const int width = qMin(m_width, m_host->width() - BarWidth);
    const int x = m_edge == Edge::Left ? bar.right() + 1 : bar.left() - width;
    m_panel->setGeometry(x, bar.top(), width, bar.height());
}

void SideChannel::slideOut(int width)
{
    if (!m_panel)
        return;
    if (width > 0)
        m_width = width;
    place();
    m_panel->show();
    m_panel->raise();
    emit slidOut();
}

void SideChannel::slideBack()
{
    if (!m_panel || !m_panel->isVisible())
        return;
    m_panel->hide();
    emit slidBack();
}

bool SideChannel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_host && (event->type() == QEvent::Resize || event->type() == QEvent::LayoutRequest) && isOut())
        place();
    return QWidget::eventFilter(watched, event);
}

QSize SideChannel::sizeHint() const
{
    return { BarWidth, 100 };
}

void SideChannel::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        if (isOut())
            slideBack();
        else
            slideOut();
    }
    QWidget::mousePressEvent(event);
}

void SideChannel::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), palette().button());
    p.setPen(palette().mid().color());
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    p.setPen(palette().buttonText().color());
    QFont f = font();
    f.setBold(true);
    p.setFont(f);
    // The caption reads upwards on the left bar and downwards on the right one.
    p.translate(width() / 2.0, height() / 2.0);
    p.rotate(m_edge == Edge::Left ? -90 : 90);
    const QRect text(-height() / 2, -width() / 2, height(), width());
    p.drawText(text, Qt::AlignCenter, m_caption);
}
