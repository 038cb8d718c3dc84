#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace qv {

// Positions and sizes are in twips (1/1440 inch) from the client area's top-left corner.
struct Rect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// A colour as the window stores it: red + green * 256 + blue * 65536, or one of the
// system colours below, which the window resolves from the desktop's palette.
using Color = std::int64_t;
inline constexpr Color kDefaultColor = -1;     // the control kind's usual colour
inline constexpr Color kMenuColor = -2;        // the desktop's menu colour
inline constexpr Color kWindowTextColor = -3;  // the desktop's window-text colour

constexpr Color rgb(int r, int g, int b) {
    return r + g * 256 + b * 65536;
}

enum class Align { Left, Center, Right };

// What every control of the form has: a place, a tooltip, visibility and enabled state.
// `on_refresh` is the window's hook: it runs after anything visible changed, so the Qt
// layer can mirror the control. The program's own event handlers are separate members
// of each control kind.
class Control {
public:
    Rect rect;
    std::string tooltip;
    Color fore_color = kDefaultColor;
    Color back_color = kDefaultColor;
    std::function<void()> on_refresh;

    Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;
    virtual ~Control() = default;

    bool visible() const { return visible_; }
    void set_visible(bool v) {
        if (v == visible_) return;
        visible_ = v;
        refresh();
    }
    bool enabled() const { return enabled_; }
    void set_enabled(bool e) {
        if (e == enabled_) return;
        enabled_ = e;
        refresh();
    }

protected:
    void refresh() {
        if (on_refresh) on_refresh();
    }

private:
    bool visible_ = true;
    bool enabled_ = true;
};

}  // namespace qv
