#pragma once
// The splash window the program starts with; its timer opens the main window once, and the
// splash stays until the main window is on the screen.
#include <QPixmap>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>

class frmFirst : public QWidget {
    Q_OBJECT
public:
    // loadMain creates and loads the main window, not yet shown; the splash shows it.
    explicit frmFirst(std::function<QWidget *()> loadMain);
    void Timer1_Timer();
    QTimer Timer1;

protected:
    void paintEvent(QPaintEvent *) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showMainWindow();

    QPixmap picture_;
    std::function<QWidget *()> loadMain_;
    QPointer<QWidget> main_;
    // Each step of the hand-over waits for an event from the main window; should that never
    // come, this timer takes the step anyway.
    QTimer handOverTimeout_;
    bool mainShown_ = false;
};
