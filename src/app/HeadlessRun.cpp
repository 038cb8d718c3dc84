#include "app/HeadlessRun.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstring>

namespace qv {

namespace {

constexpr long kBlockFrames = 4096;
constexpr long long kNever = INT64_MAX / 4;
// A session's end is known only when it comes; its fade waits in memory until then.
constexpr long long kMaxHeldBackBytes = 64LL << 20;
// No setup of a session plays longer than to 0.1 s after a key at 600 s.
constexpr std::int64_t kLongestSetupMs = 600100;

// Fades `count` frames, the first of them frame `first` of the stream, as a fade does that
// falls in a straight line over `length` frames to silence at frame `silent`.
void scale(float* frames, long count, long long first, long long silent, long long length) {
    if (length <= 0 || first + count < silent - length) return;
    for (long i = 0; i < count; ++i) {
        const long long at = first + i;
        if (at < silent - length) continue;
        const float gain = static_cast<float>(silent - at) / static_cast<float>(length);
        frames[2 * i] *= gain;
        frames[2 * i + 1] *= gain;
    }
}

}  // namespace

InputCheck check_input(const std::filesystem::path& input) {
    std::string ext = input.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const std::string name = input.string();
    if (ext != ".qrv" && ext != ".ses") {
        return {2, name + " is neither a setup (.qrv) nor a session (.ses)", false};
    }
    struct stat st {};
    if (::stat(input.c_str(), &st) != 0)
        return {1, "cannot read " + name + ": " + std::strerror(errno), false};
    if (!S_ISREG(st.st_mode)) {
        return {1,
                "cannot read " + name + ": " +
                    (S_ISDIR(st.st_mode) ? std::strerror(EISDIR) : "not a regular file"),
                false};
    }
    return {0, {}, ext == ".ses"};
}

HeadlessRun::HeadlessRun(RunOptions options)
    : options_(std::move(options)),
      folder_(options_.input.parent_path().empty() ? "." : options_.input.parent_path()),
      name_(options_.input.filename().string()) {
    auto backend = std::make_unique<OfflineBackend>(options_.rate);
    device_ = backend.get();
    tone_ = std::make_unique<modSynth_DX7>(std::move(backend));
    form_ = std::make_unique<MainForm>(clock_, *tone_, folder_);
    form_->join_jumps([this] {
        if (session_ && form_->sessionPlayer().running())
            announce(form_->sessionPlayer().position());
    });
}

HeadlessRun::~HeadlessRun() = default;

int HeadlessRun::start(std::string& error) {
    auto fail = [&error](int status, std::string why) {
        error = std::move(why);
        return status;
    };
    const InputCheck input = check_input(options_.input);
    if (input.status != 0) return fail(input.status, input.error);
    session_ = input.session;
    tone_->set_noise(options_.noise, options_.noise_level);
    // Nobody sees the waveform views here.
    for (PictureBox* view : {&form_->WF1PB, &form_->WF2PB, &form_->WF3PB, &form_->WF4PB})
        view->watched = false;
    if (!form_->Form_Load()) return fail(1, "the offline sound output could not be opened");
    if (auto unreadable = session_ ? form_->open_session(name_) : form_->open_setup(name_))
        return fail(1, "cannot read " + options_.input.string() + ": " + *unreadable);

    const long long rate = options_.rate;
    tail_ = std::llround(options_.tail * rate);
    end_fade_ = std::llround(options_.fade_out * rate);
    if (options_.stop_after) {
        sleep_end_ = std::llround(*options_.stop_after * rate);
        sleep_fade_ = std::min(sleep_end_, std::llround(options_.fade * rate));
    }
    if (session_ && form_->List1.list_count() < 2)
        return fail(2, "the session " + name_ + " holds fewer than two setups: it would not start");
    setup_end_ms_ = session_ ? std::nullopt : form_->transport().end_ms();
    if (!session_ && !setup_end_ms_ && !options_.duration && !options_.stop_after) {
        return fail(2, "the setup " + name_ +
                           " has no keyframe after 0 s and so no length of its own: give "
                           "--duration or --stop-after");
    }
    begin_turn();
    if (session_ && session_over_ && (options_.loop || !options_.duration))
        return fail(2, "the session " + name_ + " ends before any sound");

    if (options_.duration) {
        end_ = std::llround(*options_.duration * rate) + tail_;
    } else if (!session_ && !options_.loop && setup_end_ms_) {
        end_ = frame_of(*setup_end_ms_) + tail_;
    }
    if (sleep_end_ >= 0 && (end_ >= 0 || options_.loop || !session_))
        end_ = end_ < 0 ? sleep_end_ : std::min(end_, sleep_end_);
    if (end_ == 0) return fail(2, "--duration is shorter than one frame");
    longest_ = end_ >= 0 ? end_
                         : std::min(sleep_end_ < 0 ? kNever : sleep_end_,
                                    frame_of(form_->List1.list_count() * kLongestSetupMs) + tail_);
    if (end_ < 0 && !options_.loop) {
        hold_ = end_fade_;
        if (hold_ * 2 * static_cast<long long>(sizeof(float)) > kMaxHeldBackBytes) {
            return fail(2,
                        "--fade-out is too long for a session whose end is known only when it "
                        "comes (it would hold more than 64 MB back): shorten it or give "
                        "--duration");
        }
    }
    return 0;
}

void HeadlessRun::begin_turn() {
    if (setups_started_ > 0) {
        form_->stop.click();
        ++turn_;
    }
    turn_frame_ = generated_;
    announced_ = -1;
    session_over_ = false;
    if (session_) {
        form_->execute.click();
        if (!form_->sessionPlayer().running()) session_over_ = true;
    } else {
        form_->play.click();
        announce(0);
        if (options_.loop && setup_end_ms_) turn_end_ms_ = clock_.now_ms() + *setup_end_ms_;
    }
}

void HeadlessRun::announce(long position) {
    if (position == announced_) return;
    announced_ = position;
    ++setups_started_;
    if (!on_setup_start) return;
    on_setup_start({generated_, turn_frame_, turn_, position,
                    session_ ? form_->List1.list_count() : 1, form_->Text1.text()});
}

void HeadlessRun::session_ended() {
    session_over_ = true;
    if (options_.loop) {
        begin_turn();
        // A session that ends as it starts would turn for ever at one moment.
        if (!session_over_) return;
    }
    if (end_ < 0 && !options_.duration) {
        end_ = generated_ + tail_;
        if (sleep_end_ >= 0) end_ = std::min(end_, sleep_end_);
    }
}

std::string HeadlessRun::playing() const {
    if (!session_) return {};
    const ListBox& list = form_->List1;
    const int at = list.list_index();
    return std::to_string(at + 1) + "/" + std::to_string(list.list_count()) + " " + list.list(at);
}

long HeadlessRun::generate(float* out, long frames) {
    long made = 0;
    while (made < frames) {
        long long stop = end_ >= 0 ? end_ : kNever;
        if (sleep_end_ >= 0) stop = std::min(stop, sleep_end_);
        if (generated_ >= stop) {
            end_ = stop;
            break;
        }
        const std::optional<std::int64_t> due = clock_.next_due();
        long long target = std::min(stop, due ? frame_of(*due) : kNever);
        if (turn_end_ms_) target = std::min(target, frame_of(*turn_end_ms_));
        if (generated_ < target) {
            const long n = static_cast<long>(
                std::min<long long>({frames - made, target - generated_, kBlockFrames}));
            float* block = out + 2 * made;
            device_->pull(block, static_cast<std::size_t>(n));
            clipped_ +=
                std::count_if(block, block + 2 * n, [](float x) { return std::abs(x) >= 1.0f; });
            if (sleep_end_ >= 0) scale(block, n, generated_, sleep_end_, sleep_fade_);
            generated_ += n;
            made += n;
        } else if (turn_end_ms_ && (!due || *due > *turn_end_ms_)) {
            clock_.advance_to(*turn_end_ms_);
            begin_turn();
        } else if (due) {
            clock_.run_next(*due);
            if (after_tick) after_tick(generated_);
            if (session_ && !session_over_ && !form_->sessionPlayer().running()) session_ended();
        } else {
            end_ = generated_;  // nothing ticks any more
        }
    }
    return made;
}

long HeadlessRun::produce(float* out, long frames) {
    long n = 0;
    if (hold_ == 0) {
        n = generate(out, frames);
    } else {
        auto held = [this] { return static_cast<long long>((held_.size() - held_from_) / 2); };
        while (held() < hold_ + frames) {
            const std::size_t at = held_.size();
            held_.resize(at + 2 * kBlockFrames);
            const long made = generate(held_.data() + at, kBlockFrames);
            held_.resize(at + 2 * static_cast<std::size_t>(made));
            if (made < kBlockFrames) break;
        }
        const long long ready = end_ >= 0 ? held() : held() - hold_;
        n = static_cast<long>(std::clamp<long long>(ready, 0, frames));
        std::copy_n(held_.data() + held_from_, 2 * n, out);
        held_from_ += 2 * static_cast<std::size_t>(n);
        if (held_from_ > held_.size() / 2) {
            held_.erase(held_.begin(), held_.begin() + static_cast<long>(held_from_));
            held_from_ = 0;
        }
    }
    // The very last frame is silence itself.
    if (end_ >= 0) scale(out, n, done_, end_ - 1, std::min(end_fade_, end_));
    done_ += n;
    return n;
}

}  // namespace qv
