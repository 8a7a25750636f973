#pragma once
// The version window: icon, title, version and copyright, and an OK button that hides it.
#include <QWidget>

class QLabel;
class QPushButton;

class frmAbout : public QWidget {
    Q_OBJECT
public:
    explicit frmAbout(QWidget *parent = nullptr);
    ~frmAbout() override;

    // Controls.
    QLabel *Image1 = nullptr;
    QLabel *Label1 = nullptr;  // copyright line
    QLabel *Label2 = nullptr;  // title
    QLabel *Label3 = nullptr;  // version
    QPushButton *Command1 = nullptr;

    void Command1_Click();

protected:
    void closeEvent(QCloseEvent *event) override;
};

// The one version window. aboutForm() creates it on first use and again after its close box
// destroyed it; "OK" only hides it, so the same window comes back where it was.
frmAbout &aboutForm();
frmAbout *aboutFormIfLoaded();
// Tests: destroy the window at once.
void unloadAboutForm();
