#include "app/MainForm.h"

#include <utility>

#include "app/PanelCoupling.h"

namespace qv {

namespace {

template <typename C>
C& place(C& control, Rect rect, std::string tooltip = {}) {
    control.rect = rect;
    control.tooltip = std::move(tooltip);
    return control;
}

}  // namespace

MainForm::MainForm(Clock& clock, modSynth_DX7& tone_output, std::filesystem::path directory)
    : clock(clock),
      toneOutput(tone_output),
      Timer1(clock, true),
      Timer2(clock, true),
      Timer3(clock, false),
      WF3PB(180, 255),
      WF1PB(180, 255),
      WF4PB(180, 255),
      WF2PB(180, 255),
      Text1("Default.qrv"),
      save("Save Setup"),
      File1("*.qrv", directory),
      Text3("Default.ses"),
      saveses("Save Session"),
      File2("*.ses", directory),
      List1(false),
      addtolist("Add"),
      delfromlist("Delete"),
      clrlist("Clear List"),
      Picture1(8655, 135),
      time(ScrollBar::Orientation::Horizontal, 0, 600, 0),
      prevkey("Prev Key"),
      oneback("<"),
      play("Play"),
      oneforward(">"),
      nextkey("Next Key"),
      Text2("0"),
      setkey("Set Key"),
      execute("Run Sess"),
      stop("Stop"),
      pause("Pause"),
      delkey("Delete Key"),
      List2(true),
      about(279, 170),
      interpolation_({.panel = panel, .List2 = List2, .timeline = timeline_}),
      keyframes_({.panel = panel,
                  .time = time,
                  .List2 = List2,
                  .Picture1 = Picture1,
                  .timeline = timeline_,
                  .interpolation = interpolation_,
                  .report = reporter()}),
      transport_({.time = time,
                  .Text2 = Text2,
                  .play = play,
                  .Timer1 = Timer1,
                  .Timer2 = Timer2,
                  .List2 = List2,
                  .timeline = timeline_,
                  .keys = keyframes_,
                  .reopen_sound = [this] { reopen_sound(); },
                  .reset_modulator_phases = [this] { synth_.reset_modulator_phases(); },
                  .in_session = [this] { return sessionPlayer_.running(); }}),
      setupFile_({.Text1 = Text1,
                  .File1 = File1,
                  .List2 = List2,
                  .keys = keyframes_,
                  .directory = directory_,
                  .report = reporter()}),
      sessionList_({.List1 = List1,
                    .File1 = File1,
                    .File2 = File2,
                    .Text1 = Text1,
                    .Text3 = Text3,
                    .setups = setupFile_,
                    .keys = keyframes_,
                    .directory = directory_,
                    .report = reporter()}),
      sessionPlayer_({.List1 = List1,
                      .Text1 = Text1,
                      .time = time,
                      .transport = transport_,
                      .timeline = timeline_,
                      .setups = setupFile_,
                      .keys = keyframes_}),
      synth_(panel, {WF1PB, WF2PB, WF3PB, WF4PB}, tone_output),
      directory_(std::move(directory)) {
    place(sh[0], {120, 120, 7575, 3615});
    place(sh[1], {120, 3840, 3015, 3015});
    place(sh[2], {3240, 3840, 6015, 3015});
    place(sh[3], {120, 7560, 3255, 855});

    for (PictureBox* view : {&WF3PB, &WF1PB, &WF4PB, &WF2PB}) view->back_color = rgb(0, 0, 0);
    place(WF3PB, {2160, 240, 1695, 975}, "Left Waveform, 360 degrees");
    place(WF1PB, {2160, 1320, 1695, 975}, "Left Waveform view");
    place(WF4PB, {3960, 240, 1695, 975}, "Right Waveform, 360 degrees");
    place(WF2PB, {3960, 1320, 1695, 975}, "Right Waveform view");

    place(Text1, {2160, 2400, 1695, 285}, "  Name of the setup  ");
    Text1.fore_color = rgb(0, 255, 0);
    Text1.back_color = rgb(0, 0, 0);
    Text1.alignment = Align::Center;
    place(save, {2160, 2760, 1695, 255}, "  Save this setup  ");
    place(File1, {2160, 3000, 1695, 675}, "  DblClick to load  ");
    File1.fore_color = rgb(255, 255, 0);
    File1.back_color = rgb(0, 0, 0);

    place(Text3, {3960, 2400, 1695, 285});
    Text3.fore_color = rgb(0, 255, 0);
    Text3.back_color = kWindowTextColor;
    Text3.alignment = Align::Center;
    place(saveses, {3960, 2760, 1695, 255}, "  Save this session  ");
    place(File2, {3960, 3000, 1695, 675}, "  Dblclick to load  ");
    File2.fore_color = rgb(255, 255, 0);
    File2.back_color = rgb(0, 0, 0);

    place(List1, {7800, 360, 1455, 1815}, "  List of files in session");
    List1.back_color = rgb(224, 224, 224);
    place(addtolist, {7800, 2400, 1455, 375}, "  Add .qrv file into Session  ");
    place(delfromlist, {7800, 2880, 1455, 375}, "  Deletes single file in Session  ");
    place(clrlist, {7800, 3360, 1455, 375}, "  Clears the whole content of session  ");

    place(Picture1, {360, 6960, 8655, 135}, "Saved keys in time");
    Picture1.back_color = rgb(224, 224, 224);  // erasing a marker draws in this colour
    place(time, {120, 7080, 9135, 375});
    place(prevkey, {3480, 7560, 975, 375}, "Find previous keyframe");
    place(oneback, {4560, 7560, 975, 375}, "One second Back");
    place(play, {5640, 7560, 975, 375}, "  Play The qrv  ");
    place(oneforward, {6720, 7560, 975, 375}, "One second forward");
    place(nextkey, {7800, 7560, 975, 375}, "Find next keyframe");
    place(Text2, {8880, 7560, 405, 285}, "  Time in seconds  ");
    Text2.back_color = rgb(224, 224, 224);
    Text2.alignment = Align::Center;
    Text2.read_only = true;
    place(setkey, {3480, 8040, 975, 375}, "  Save settings  ");
    place(execute, {4560, 8040, 975, 375}, "  Executes the Session  ");
    place(stop, {5640, 8040, 975, 375});
    place(pause, {6720, 8040, 975, 375}, "  Pauses the qrv or Session  ");
    place(delkey, {7800, 8040, 975, 375}, "  Delete setting  ");

    // The keyframe list is never shown; it even lies below the client area.
    place(List2, {120, 8760, 10335, 1815});
    List2.set_visible(false);
    place(about, {2880, 2760, 4215, 2535});
    about.set_visible(false);

    couple(panel);
    Timer1.on_tick = [this] { Timer1_Timer(); };
    Timer3.on_tick = [this] { Timer3_Timer(); };
    wire_timeline_and_files();

    File1.refresh_list();
    File2.refresh_list();
}

bool MainForm::Form_Load() {
    if (!toneOutput.InitSynth(hWnd)) return false;
    synth_.build_angles();
    Timer1.set_interval(25);
    Timer2.set_interval(100);
    for (int i = 0; i < 2; ++i) {
        if (SoundBuffer* buffer = toneOutput.channelBuffer(i)) buffer->Play();
    }
    Timer2.set_enabled(false);
    Timer3.set_interval(3000);
    Timer3.set_enabled(true);
    about.set_visible(true);
    return true;
}

void MainForm::Timer1_Timer() {
    synthesizing_ = true;
    synth_.Timer1_Timer();
    synthesizing_ = false;
    if (after_synthesis) after_synthesis();
}

void MainForm::reopen_sound() {
    // Without a device the time line and the views still run; unsaved keyframes and the
    // session list must not be lost to a busy sound card. The next Play tries again.
    if (!toneOutput.InitSynth(hWnd) && report_sound_failures) {
        report("The sound device could not be opened (" + toneOutput.failure() +
               "). The time line goes on without sound; press Play to try again.");
    }
    synth_.build_angles();
    for (int i = 0; i < 2; ++i) {
        if (SoundBuffer* buffer = toneOutput.channelBuffer(i)) buffer->Play();
    }
}

void MainForm::wire_timeline_and_files() {
    setkey.on_click = [this] { keyframes_.setkey_Click(); };
    delkey.on_click = [this] { keyframes_.delkey_Click(); };
    time.on_change = [this] { transport_.time_Change(); };
    oneback.on_click = [this] { transport_.oneback_Click(); };
    oneforward.on_click = [this] { transport_.oneforward_Click(); };
    prevkey.on_click = [this] { transport_.prevkey_Click(); };
    nextkey.on_click = [this] { transport_.nextkey_Click(); };
    play.on_click = [this] { transport_.play_Click(); };
    pause.on_click = [this] { transport_.pause_Click(); };
    stop.on_click = [this] { transport_.stop_Click(); };
    Timer2.on_tick = [this] { transport_.Timer2_Timer(); };
    interpolation_.on_keys_ended = [this] { sessionPlayer_.keys_ended(); };

    save.on_click = [this] { setupFile_.save_Click(); };
    File1.on_dbl_click = [this] { setupFile_.File1_DblClick(); };
    addtolist.on_click = [this] { sessionList_.addtolist_Click(); };
    delfromlist.on_click = [this] { sessionList_.delfromlist_Click(); };
    clrlist.on_click = [this] { sessionList_.clrlist_Click(); };
    saveses.on_click = [this] { sessionList_.saveses_Click(); };
    File2.on_dbl_click = [this] { sessionList_.File2_DblClick(); };
    List1.on_dbl_click = [this] { sessionList_.List1_DblClick(); };
    execute.on_click = [this] { sessionPlayer_.execute_Click(); };
}

void MainForm::Timer3_Timer() {
    about.set_visible(false);
    Timer3.set_enabled(false);
}

void MainForm::Form_Unload() {
    Timer1.set_enabled(false);
    Timer2.set_enabled(false);
    Timer3.set_enabled(false);
    toneOutput.Release();
}

}  // namespace qv
