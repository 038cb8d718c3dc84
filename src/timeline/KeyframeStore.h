#pragma once

#include <functional>
#include <string>
#include <vector>

#include "controls/ListBox.h"
#include "controls/PictureBox.h"
#include "controls/ScrollBar.h"
#include "params/Panel.h"
#include "timeline/Interpolation.h"
#include "timeline/Timeline.h"

namespace qv {

// The keyframe list `List2` with its markers on the key strip `Picture1`: Set Key and
// Delete Key at the time cursor, and `checkkey`, which loads the keyframe that the play
// time meets exactly (recording the keys around it) or else interpolates.
class KeyframeStore {
public:
    struct Parts {
        Panel& panel;
        ScrollBar& time;
        ListBox& List2;
        PictureBox& Picture1;
        Timeline& timeline;
        Interpolation& interpolation;
        std::function<void(const std::string&)> report;
    };

    explicit KeyframeStore(Parts parts) : p_(parts) {}

    void setkey_Click();
    void delkey_Click();
    void checkkey();

    // What the setup reader does to the list: every marker erased and the list emptied,
    // and entries added in sorted place with their markers.
    void clear_keys();
    void add_key(std::string entry);
    // Both for a whole setup, as clear_keys and add_key one after the other would leave
    // list and strip, but in linear time: a setup of many thousand lines loads at once.
    void replace_keys(std::vector<std::string> entries);

private:
    void remove_key_at(int second);
    void draw_marker(double second, Color color);

    Parts p_;
};

}  // namespace qv
