#include "files/SessionPlayer.h"

#include "params/Numbers.h"

namespace qv {

long SessionPlayer::position() const {
    return static_cast<long>(numbers::round_half_even(sessionpos_));
}

void SessionPlayer::execute_Click() {
    if (p_.List1.list_count() - 1 <= 0) return;
    sessionflag_ = 1;
    sessionpos_ = 0;
    p_.transport.hand_to_session();
    loadsession();
    p_.List1.set_list_index(0);
    p_.keys.checkkey();
}

void SessionPlayer::loadsession() {
    const std::string name = p_.List1.list(position());
    p_.Text1.set_text(name);
    p_.setups.loadsetup_or_empty(name);
    p_.time.set_value(0);
    p_.timeline.set_playtime(0);
    p_.transport.run();
}

void SessionPlayer::keys_ended() {
    if (running()) contsession();
}

void SessionPlayer::contsession() {
    // An advance ends with checkkey, which may find the next setup empty at once and
    // advance again from inside. Nothing follows that inner advance, so it is taken here
    // as the next turn of a loop: the order of effects stays, and a long run of empty
    // or missing setups cannot exhaust the stack.
    if (advancing_) {
        advance_pending_ = true;
        return;
    }
    advancing_ = true;
    do {
        advance_pending_ = false;
        advance();
    } while (advance_pending_);
    advancing_ = false;
}

void SessionPlayer::advance() {
    sessionpos_ = sessionpos_ + 1;
    p_.List1.set_list_index(position());  // refused past the last entry
    if (sessionpos_ <= static_cast<float>(p_.List1.list_count() - 1)) {
        loadsession();
    } else {
        p_.time.set_value(0);
        p_.transport.halt();
        sessionflag_ = 0;
    }
    p_.timeline.set_playtime(0);
    p_.keys.checkkey();
}

}  // namespace qv
