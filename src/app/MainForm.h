#pragma once

#include <array>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "audio/modSynth_DX7.h"
#include "controls/Button.h"
#include "controls/Clock.h"
#include "controls/FileListBox.h"
#include "controls/Label.h"
#include "controls/ListBox.h"
#include "controls/PictureBox.h"
#include "controls/ScrollBar.h"
#include "controls/TextBox.h"
#include "controls/Timer.h"
#include "files/SessionList.h"
#include "files/SessionPlayer.h"
#include "files/SetupFile.h"
#include "params/Panel.h"
#include "synth/EngineState.h"
#include "synth/NTable.h"
#include "synth/SynthTick.h"
#include "timeline/Interpolation.h"
#include "timeline/KeyframeStore.h"
#include "timeline/Timeline.h"
#include "timeline/Transport.h"

namespace qv {

// The main window as the program sees it: every control of the window with its place,
// caption, colours and tooltip, the window-level state, and the handlers wired to the
// controls' events. It knows nothing of Qt; the window mirrors it.
class MainForm {
public:
    // Client area of the window, in twips (15 twips per pixel).
    static constexpr int kClientWidth = 9405;
    static constexpr int kClientHeight = 8535;
    static constexpr const char* kCaption = "Quorvane 0.2 Beta";

    // `directory` is the working directory whose setup and session files the file lists
    // show and whose names the file handlers open.
    MainForm(Clock& clock, modSynth_DX7& tone_output, std::filesystem::path directory = ".");
    MainForm(const MainForm&) = delete;
    MainForm& operator=(const MainForm&) = delete;

    // Start-up. False when the sound output could not be opened: the program ends then,
    // before the window shows.
    bool Form_Load();
    // Closing the window releases the channel buffers and the device.
    void Form_Unload();

    // Errors the user must see (a file that cannot be read or written, a sound device
    // that cannot be opened on Play). The window shows them without blocking the timers.
    std::function<void(const std::string&)> on_report;
    void report(const std::string& message) {
        if (on_report) on_report(message);
    }
    // Whether the synthesis tick is writing into the controls, and a notice after each
    // tick: the window shows what the ticks change on every other tick.
    bool synthesizing() const { return synthesizing_; }
    std::function<void()> after_synthesis;
    // Whether a device that Play cannot open is reported; the player, which tries again
    // by itself, says so its own way.
    bool report_sound_failures = true;

    const std::filesystem::path& directory() const { return directory_; }

    // Whether someone may be listening: the tone is audible (the master volume above
    // silence: it sounds whether or not the transport plays) or the time line runs. The
    // window keeps the desktop from suspending meanwhile.
    bool keeps_awake() const { return transport_.running() || panel.sc(P::Vol).value() > 0; }

    // Calls visit(control, name, index) for every control of the window, from the bottom
    // of the stacking order to the top (frames and titles under everything, the splash
    // over everything). `index` is the element index within a control array (sc, hsc, tx,
    // ck, Lbl, sh) and -1 for a single control. The window builds its widgets from this.
    template <typename Visitor>
    void for_each_control(Visitor&& visit);

    Clock& clock;
    modSynth_DX7& toneOutput;

    // Timers first: when two are due at once, Timer1 ticks before Timer2.
    Timer Timer1;
    Timer Timer2;
    Timer Timer3;

    Panel panel;
    std::array<Shape, 4> sh;

    PictureBox WF3PB;
    PictureBox WF1PB;
    PictureBox WF4PB;
    PictureBox WF2PB;

    TextBox Text1;
    Button save;
    FileListBox File1;
    TextBox Text3;
    Button saveses;
    FileListBox File2;
    ListBox List1;
    Button addtolist;
    Button delfromlist;
    Button clrlist;

    PictureBox Picture1;
    ScrollBar time;
    Button prevkey;
    Button oneback;
    Button play;
    Button oneforward;
    Button nextkey;
    TextBox Text2;
    Button setkey;
    Button execute;
    Button stop;
    Button pause;
    Button delkey;
    ListBox List2;
    PictureBox about;

    // The synthesis state, kept by the tick; tests that must set the modulator phases use
    // the seam.
    const EngineState& engine() const { return synth_.state(); }
    EngineState& engine_for_tests() { return synth_.state_for_tests(); }

    // What the adapters and the headless run see of the subsystems: where the time line
    // stands and who hears of its jumps, whether it runs and where its keys end, whether a
    // session plays and which entry; a setup or session file opened by name as the file
    // lists do (an error text when it cannot be read).
    const Timeline& timeline() const { return timeline_; }
    const Transport& transport() const { return transport_; }
    const SessionPlayer& sessionPlayer() const { return sessionPlayer_; }
    int join_jumps(std::function<void()> listener) {
        return timeline_.join_jumps(std::move(listener));
    }
    void leave_jumps(int id) { timeline_.leave_jumps(id); }
    std::optional<std::string> open_setup(const std::string& name) { return setupFile_.open(name); }
    std::optional<std::string> open_session(const std::string& name) {
        return sessionList_.open(name);
    }
    // Seams for tests that place keys and the play time straight, past what the controls
    // let a user enter.
    KeyframeStore& keyframes_for_tests() { return keyframes_; }
    Timeline& timeline_for_tests() { return timeline_; }

private:
    void Timer1_Timer();
    void Timer3_Timer();
    // What Play does to the sound: the device opened anew (a failure is reported, and the
    // time line goes on without sound), the angle table rebuilt, both buffers looping.
    void reopen_sound();
    void wire_timeline_and_files();
    std::function<void(const std::string&)> reporter() {
        return [this](const std::string& message) { report(message); };
    }

    WindowHandle hWnd = 0;
    bool synthesizing_ = false;
    // The subsystems working on the controls above, each with the state it owns.
    Timeline timeline_;
    Interpolation interpolation_;  // asked by the keyframes only
    KeyframeStore keyframes_;
    Transport transport_;
    SetupFile setupFile_;
    SessionList sessionList_;
    SessionPlayer sessionPlayer_;
    SynthTick synth_;

    std::filesystem::path directory_;
};

template <typename Visitor>
void MainForm::for_each_control(Visitor&& visit) {
    for (int i = 0; i < static_cast<int>(sh.size()); ++i)
        visit(sh[static_cast<std::size_t>(i)], "sh", i);
    for (int i = 0; i < params::kLabelCount; ++i) visit(panel.Lbl(i), "Lbl", i);
    visit(WF3PB, "WF3PB", -1);
    visit(WF1PB, "WF1PB", -1);
    visit(WF4PB, "WF4PB", -1);
    visit(WF2PB, "WF2PB", -1);
    visit(Picture1, "Picture1", -1);
    for (int k = 0; k < params::kCount; ++k) {
        visit(panel.bar(k), k < params::kVerticalCount ? "sc" : "hsc", k);
    }
    for (int k = 0; k < params::kCount; ++k) visit(panel.tx(k), "tx", k);
    for (int i = 0; i < params::kSwitchCount; ++i) visit(panel.ck(i), "ck", i);
    visit(Text1, "Text1", -1);
    visit(save, "save", -1);
    visit(File1, "File1", -1);
    visit(Text3, "Text3", -1);
    visit(saveses, "saveses", -1);
    visit(File2, "File2", -1);
    visit(List1, "List1", -1);
    visit(addtolist, "addtolist", -1);
    visit(delfromlist, "delfromlist", -1);
    visit(clrlist, "clrlist", -1);
    visit(time, "time", -1);
    visit(prevkey, "prevkey", -1);
    visit(oneback, "oneback", -1);
    visit(play, "play", -1);
    visit(oneforward, "oneforward", -1);
    visit(nextkey, "nextkey", -1);
    visit(Text2, "Text2", -1);
    visit(setkey, "setkey", -1);
    visit(execute, "execute", -1);
    visit(stop, "stop", -1);
    visit(pause, "pause", -1);
    visit(delkey, "delkey", -1);
    visit(List2, "List2", -1);
    visit(about, "about", -1);
}

}  // namespace qv
