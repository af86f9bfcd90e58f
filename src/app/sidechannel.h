// A sliding side channel: a narrow captioned bar at a window edge; its panel slides out over the
// window's content (it does not push the content aside) when the bar is clicked or a picker
// calls slideOut(), and slides back on slideBack().
#pragma once

#include <QPointer>
#include <QWidget>

class QVBoxLayout;

class SideChannel : public QWidget {
    Q_OBJECT

public:
    enum class Edge { Left, Right };
    static constexpr int BarWidth = 20;

    explicit SideChannel(QWidget *parent = nullptr);

    // host: the widget the panel covers when it is out (the window's central widget).
    void setup(const QString &caption, Edge edge, QWidget *host);
    QString caption() const { return m_caption; }

    // The panel; its object name is the bar's with "Panel" appended.
    QWidget *panel() const { return m_panel; }
    // Puts the channel's content (a picker grid with its buttons) into the panel.
    void setContent(QWidget *content);
    QWidget *content() const { return m_content; }

    void slideOut(int width = 0); // 0 keeps the last width
    void slideBack();
    bool isOut() const;
    int panelWidth() const { return m_width; }

signals:
    void slidOut();
    void slidBack();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    QSize sizeHint() const override;

private:
    void place();

    QString m_caption;
    Edge m_edge = Edge::Left;
    QPointer<QWidget> m_host;
    QWidget *m_panel = nullptr;
    QVBoxLayout *m_panelLayout = nullptr;
    QPointer<QWidget> m_content;
    int m_width = 300;
};
