#pragma once
// The splash window the program starts with; its timer opens the main window once.
#include <QPixmap>
#include <QTimer>
#include <QWidget>
#include <functional>

class frmFirst : public QWidget {
    Q_OBJECT
public:
    // showMain creates, loads and shows the main window; the timer runs it once.
    explicit frmFirst(std::function<void()> showMain);
    void Timer1_Timer();
    QTimer Timer1;

protected:
    void paintEvent(QPaintEvent *) override;

private:
    QPixmap picture_;
    std::function<void()> showMain_;
};
