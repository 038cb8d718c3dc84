#pragma once

#include <array>
#include <filesystem>
#include <functional>
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
#include "synth/NTable.h"
#include "timeline/Interpolation.h"
#include "timeline/KeyframeStore.h"
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

    const std::filesystem::path& directory() const { return directory_; }

    Clock& clock;
    modSynth_DX7& toneOutput;
    WindowHandle hWnd = 0;

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

    NTableArray NTable{};

    // Keyframes, transport, setup files and sessions: the play time, the list positions
    // around the keyframe last hit exactly, the session state, and the subsystems working
    // on them and on the controls above.
    float playtime = 0;
    float prevkeyidx = 0;
    float curkeyidx = 0;
    float nextkeyidx = 0;
    float sessionflag = 0;
    float sessionpos = 0;
    Interpolation interpolation;
    KeyframeStore keyframes;
    Transport transport;
    SetupFile setupFile;
    SessionList sessionList;
    SessionPlayer sessionPlayer;

private:
    void Timer3_Timer();
    void wire_timeline_and_files();
    std::function<void(const std::string&)> reporter() {
        return [this](const std::string& message) { report(message); };
    }

    std::filesystem::path directory_;
};

}  // namespace qv
