#pragma once

#include <QImage>
#include <QWidget>
#include <set>
#include <vector>

#include "app/MainForm.h"
#include "gui/MediaControls.h"
#include "gui/NoiseMenu.h"
#include "gui/ReportBox.h"
#include "gui/SleepInhibitor.h"

class QDialog;
class QTimer;

namespace qv {
class PictureView;
}

namespace qv {

// The window of a MainForm: one widget per control of the form, placed at the control's
// twips / 15. Each control's refresh hook updates its widget and the user's input goes
// back into the control, so the handlers only ever see the form.
class MainWindow : public QWidget {
public:
    static constexpr int kTwipsPerPixel = 15;

    explicit MainWindow(MainForm& form, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The widget of a control by the form's name: "sc(12)", "List1".
    QWidget* control_widget(const QString& name) const;
    ReportBox* reports() const { return report_box_; }
    // A picture box's view, and that some picture box was drawn into.
    void add_view(PictureView* view) { views_.push_back(view); }
    void views_changed();
    // The key strip was drawn into: its description follows with the views.
    void key_strip_changed();
    // The short guide to the window (F1), in a window of its own that blocks nothing.
    void show_guide();
    MediaControls* media_controls() const { return media_; }
    NoiseMenu* noise_menu() const { return noise_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // What the desktop is told: the media controls' state and whether to stay awake.
    void tell_desktop();
    // The window came into sight or went out of it (minimised, on another desktop).
    void set_seen(bool seen);
    void describe_key_strip();
    // What the synthesis changes shows on every other tick: the one between is held back
    // and shown with the next.
    void after_tick();
    void show_held();
    void watch_views();

    MainForm& form_;
    QImage background_;
    ReportBox* report_box_;
    MediaControls* media_;
    SleepInhibitor* inhibitor_;
    NoiseMenu* noise_;
    QTimer* desktop_timer_;
    bool unloaded_ = false;
    std::vector<PictureView*> views_;
    bool views_behind_ = false;
    bool keys_behind_ = false;
    QDialog* guide_ = nullptr;
    std::vector<PictureBox*> boxes_;
    bool watching_exposure_ = false;
    bool seen_ = false;
    bool hold_tick_ = false;     // the synthesis tick now running is shown with the next
    std::set<Control*> behind_;  // changed while the window could not be seen, or held
};

}  // namespace qv
