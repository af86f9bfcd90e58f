// The start-up splash: a borderless window above all others showing the module's picture with
// its name, the version line and a status line that long start-up steps write into.
#pragma once

#include <QPixmap>
#include <QWidget>

class Splash : public QWidget {
    Q_OBJECT

public:
    static constexpr int PictureWidth = 500;
    static constexpr int PictureHeight = 310;
    static constexpr int Frame = 2; // a single bevel on every side

    explicit Splash(QWidget *parent = nullptr);

    // Shows the text in the status line at once (also while the caller blocks the event loop).
    void setStatus(const QString &text);
    QString status() const { return m_status; }
    QString versionLine() const;

    // The picture with every text drawn on it, as the window shows it.
    QPixmap render() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    static QPixmap picture();
    void drawTexts(class QPainter &painter) const;

    QString m_status;
};
