#pragma once
// The colour picker: three sliders mix red, green and blue into a swatch and a #RRGGBB code
// that one button copies to the clipboard. It reaches the editor only through the clipboard.
#include <QWidget>
#include <array>

class QLabel;
class QPushButton;
class QSlider;

class frmColor : public QWidget {
    Q_OBJECT
public:
    explicit frmColor(QWidget *parent = nullptr);
    ~frmColor() override;

    // Controls; Slider and Label3 are indexed 0 red, 1 green, 2 blue.
    std::array<QSlider *, 3> Slider{};
    std::array<QLabel *, 3> Label3{};
    QLabel *lblColor = nullptr;  // the swatch
    QLabel *lblx = nullptr;      // the code
    QPushButton *cmdCopy = nullptr;

    // The swatch's colour as the platform's colour value (red in the lowest byte).
    quint32 swatchColor() const;

    // Events.
    void Form_Load();
    // A completed change of Slider(Index): a key, a click on the track, or a drag once released.
    virtual void Slider_Change(qint16 Index);
    void cmdCopy_Click();

    qint16 RedValue = 0;
    qint16 GreenValue = 0;
    qint16 BlueValue = 0;
    QString RedHex;
    QString GreenHex;
    QString BlueHex;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void setSwatch(quint32 color);
    quint32 swatch_ = 0;
};

// The one picker. colorForm() creates and loads it on first use and again after it was closed.
frmColor &colorForm();
frmColor *colorFormIfLoaded();
// Tests: destroy the picker at once.
void unloadColorForm();
