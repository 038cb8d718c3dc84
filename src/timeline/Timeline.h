#pragma once

#include <functional>
#include <utility>
#include <vector>

namespace qv {

// The time line's state: the play time, and the positions in the keyframe list of the keys
// before, at and after the one the play time last met exactly. All are 32-bit floats and
// start at 0; nothing but a hit moves the key positions, so a setup loaded meanwhile is
// played on with the positions the last one left.
class Timeline {
public:
    float playtime() const { return playtime_; }
    float prevkeyidx() const { return prevkeyidx_; }
    float curkeyidx() const { return curkeyidx_; }
    float nextkeyidx() const { return nextkeyidx_; }

    // The transport's tick: a tenth of a second on, added in double and stored as float,
    // so that the time only comes near whole seconds (2.9999993 after 30 ticks).
    void advance() { playtime_ = static_cast<float>(static_cast<double>(playtime_) + 0.1); }
    // Stop, a jump to a key's second, a session's next setup.
    void set_playtime(float seconds) {
        playtime_ = seconds;
        for (const auto& [id, listener] : jump_listeners_) listener();
    }
    // Who is told when the play time jumps rather than runs on (the desktop's media
    // controls, a headless run): each stays until it leaves with the number it was given.
    int join_jumps(std::function<void()> listener) {
        jump_listeners_.emplace_back(++last_listener_, std::move(listener));
        return last_listener_;
    }
    void leave_jumps(int id) {
        std::erase_if(jump_listeners_, [id](const auto& entry) { return entry.first == id; });
    }
    // The play time met the keyframe at list position `i` exactly.
    void met_key(int i) {
        prevkeyidx_ = static_cast<float>(i - 1);
        curkeyidx_ = static_cast<float>(i);
        nextkeyidx_ = static_cast<float>(i + 1);
    }

private:
    float playtime_ = 0;
    float prevkeyidx_ = 0;
    float curkeyidx_ = 0;
    float nextkeyidx_ = 0;
    std::vector<std::pair<int, std::function<void()>>> jump_listeners_;
    int last_listener_ = 0;
};

}  // namespace qv
