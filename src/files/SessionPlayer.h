#pragma once

#include "controls/ListBox.h"
#include "controls/ScrollBar.h"
#include "controls/TextBox.h"
#include "files/SetupFile.h"
#include "timeline/KeyframeStore.h"
#include "timeline/Timeline.h"
#include "timeline/Transport.h"

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
        Transport& transport;
        Timeline& timeline;
        SetupFile& setups;
        KeyframeStore& keys;
    };

    explicit SessionPlayer(Parts parts) : p_(parts) {}

    // Whether a session runs or is held: from "Run Sess" to the end of its last setup.
    bool running() const { return sessionflag_ == 1; }
    // The entry of the session list now in play.
    long position() const;

    void execute_Click();
    void loadsession();
    void contsession();
    // Interpolation found no keyframe after the one last hit.
    void keys_ended();

private:
    void advance();

    Parts p_;
    // 32-bit floats that start at 0: the flag is 1 while a session runs, the position an
    // index into the session list, rounded where it is used.
    float sessionflag_ = 0;
    float sessionpos_ = 0;
    bool advancing_ = false;
    bool advance_pending_ = false;
};

}  // namespace qv
