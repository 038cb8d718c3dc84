#pragma once

#include "controls/Button.h"
#include "controls/ListBox.h"
#include "controls/ScrollBar.h"
#include "controls/TextBox.h"
#include "controls/Timer.h"
#include "files/SetupFile.h"
#include "timeline/KeyframeStore.h"

namespace qv {

// Plays the setups of the session list one after another: "Run Sess" loads the first and
// starts its time line at 0; when the play time has passed a setup's last keyframe, the
// next one is loaded in the same tick; after the last the time line stops at 0.
class SessionPlayer {
public:
    struct Parts {
        ListBox& List1;
        TextBox& Text1;
        ScrollBar& time;
        Button& play;
        Timer& Timer1;
        Timer& Timer2;
        float& playtime;
        float& sessionflag;
        float& sessionpos;
        SetupFile& setups;
        KeyframeStore& keys;
    };

    explicit SessionPlayer(Parts parts) : p_(parts) {}

    void execute_Click();
    void loadsession();
    void contsession();
    // Interpolation found no keyframe after the one last hit.
    void keys_ended();

private:
    void advance();

    Parts p_;
    bool advancing_ = false;
    bool advance_pending_ = false;
};

}  // namespace qv
