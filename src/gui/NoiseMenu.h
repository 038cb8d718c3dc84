#pragma once

#include <QObject>

#include "audio/NoiseBed.h"

class QAction;
class QActionGroup;
class QWidget;

namespace qv {

class modSynth_DX7;
class ReportBox;

// The noise bed in the window: a menu on the window's background (right click) and keys
// no control takes, Ctrl+0 to Ctrl+3 for the colour and Ctrl+minus and Ctrl+plus for the
// level. The listener's choice, not the setup's: it is kept in the program's one settings
// file (quorvane.ini in the desktop's configuration folder, under "Quorvane") and comes
// back at the next start.
class NoiseMenu : public QObject {
public:
    static constexpr double kStep = 5;  // dB a key press moves the level

    NoiseMenu(QWidget& window, modSynth_DX7& tone, ReportBox& reports);

    NoiseColour colour() const { return colour_; }
    double level() const { return level_; }
    void choose(NoiseColour colour, double level);

private:
    void show_choice();

    modSynth_DX7& tone_;
    ReportBox& reports_;
    NoiseColour colour_ = NoiseColour::Off;
    double level_ = -30;
    QActionGroup* colours_;
    QAction* louder_;
    QAction* softer_;
};

}  // namespace qv
