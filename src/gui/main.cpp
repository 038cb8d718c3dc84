#include <QApplication>
#include <cstdio>
#include <memory>

#include "app/MainForm.h"
#include "audio/PortAudioBackend.h"
#include "audio/modSynth_DX7.h"
#include "gui/MainWindow.h"
#include "gui/QtClock.h"

namespace {

// The one place that decides which sound output the window plays through: the default
// device, mixed 0.15 s ahead. A slider's change is heard that much later, which nobody
// minds in slow tones, and the sound card wakes the machine a few times a second, not a
// hundred; a busy machine does not break the sound up either.
std::unique_ptr<qv::modSynth_DX7> make_tone_output() {
    qv::PortAudioBackend::Options device;
    device.latency = 0.15;
    return std::make_unique<qv::modSynth_DX7>(std::make_unique<qv::PortAudioBackend>(device));
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // Lets the desktop match the window with its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.quorvane.Quorvane"));
    std::unique_ptr<qv::modSynth_DX7> tone_output = make_tone_output();
    qv::QtClock clock;
    qv::MainForm form(clock, *tone_output, ".");
    if (!form.Form_Load()) {
        std::fprintf(stderr, "quorvane: the sound output could not be opened: %s\n",
                     tone_output->failure().c_str());
        return 1;
    }
    qv::MainWindow window(form);
    window.show();
    return app.exec();
}
