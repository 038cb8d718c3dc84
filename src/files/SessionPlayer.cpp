#include "files/SessionPlayer.h"

#include "params/Numbers.h"

namespace qv {

namespace {

long position(float f) {
    return static_cast<long>(numbers::round_half_even(f));
}

}  // namespace

void SessionPlayer::execute_Click() {
    if (p_.List1.list_count() - 1 <= 0) return;
    p_.sessionflag = 1;
    p_.sessionpos = 0;
    p_.play.set_enabled(false);
    loadsession();
    p_.List1.set_list_index(0);
    p_.keys.checkkey();
    p_.Timer1.set_enabled(true);
}

void SessionPlayer::loadsession() {
    const std::string name = p_.List1.list(position(p_.sessionpos));
    p_.Text1.set_text(name);
    p_.setups.loadsetup_or_empty(name);
    p_.time.set_value(0);
    p_.playtime = 0;
    p_.Timer2.set_enabled(true);
}

void SessionPlayer::keys_ended() {
    if (p_.sessionflag == 1) contsession();
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
    p_.sessionpos = p_.sessionpos + 1;
    p_.List1.set_list_index(position(p_.sessionpos));  // refused past the last entry
    if (p_.sessionpos <= static_cast<float>(p_.List1.list_count() - 1)) {
        loadsession();
    } else {
        p_.time.set_value(0);
        p_.Timer2.set_enabled(false);
        p_.sessionflag = 0;
    }
    p_.playtime = 0;
    p_.keys.checkkey();
}

}  // namespace qv
