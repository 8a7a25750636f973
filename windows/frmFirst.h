#pragma once
// The splash window the program starts with; its timer opens the main window once.
#include <QPixmap>
#include <QTimer>
#include <QWidget>

class frmFirst : public QWidget {
    Q_OBJECT
public:
    explicit frmFirst(QWidget *parent = nullptr);
    void Timer1_Timer();
    QTimer Timer1;

protected:
    void paintEvent(QPaintEvent *) override;

private:
    QPixmap picture_;
};
