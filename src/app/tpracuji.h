// The busy window: a small title-less box with a centred text and a waiting bar that runs from
// the moment it is created. Callers set the text, show it, do their work and destroy it.
#pragma once

#include <QDialog>
#include <QTimer>

class QLabel;

class WaitBar : public QWidget {
    Q_OBJECT

public:
    static constexpr int BlockWidth = 50;
    static constexpr int StepMs = 30;

    explicit WaitBar(QWidget *parent = nullptr);
    int blockPosition() const { return m_position; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QTimer m_timer;
    int m_position = -BlockWidth;
};

class Tpracuji : public QDialog {
    Q_OBJECT

public:
    explicit Tpracuji(QWidget *parent = nullptr);

    void setText(const QString &text);
    QString text() const;
    // Shows the window in front and lets it paint.
    void showInFront();

private:
    QLabel *m_label;
    WaitBar *m_bar;
};
