#include "gui/Accessibility.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "params/ParamTable.h"

namespace qv::accessibility {

namespace {

QString from_view(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString element(const char* array, int index) {
    return QStringLiteral("%1(%2)").arg(QLatin1String(array)).arg(index);
}

QString bar(int k) {
    return element(k < params::kVerticalCount ? "sc" : "hsc", k);
}
QString text(int k) {
    return element("tx", k);
}
QString check(int i) {
    return element("ck", i);
}

}  // namespace

QString control_name(std::string_view name, int index, const std::string& tooltip) {
    if (index >= 0 && index < params::kCount) {
        QString param = from_view(params::kParams[static_cast<std::size_t>(index)].name);
        if (name == "sc" || name == "hsc") return param;
        if (name == "tx") return param + QStringLiteral(" value");
    }
    if (name == "ck" && index >= 0 && index < params::kSwitchCount) {
        return from_view(params::kSwitches[static_cast<std::size_t>(index)].name);
    }
    static constexpr std::array<std::pair<std::string_view, const char*>, 7> kNamed{{
        {"Text1", "Setup name"},
        {"File1", "Setup files"},
        {"Text3", "Session name"},
        {"File2", "Session files"},
        {"List1", "Files in this Session"},
        {"time", "Time"},
        {"Text2", "Time in seconds"},
    }};
    for (const auto& [control, title] : kNamed) {
        if (control == name) return QString::fromUtf8(title);
    }
    // The waveform views and the key strip say what they are in their tooltips.
    return QString::fromStdString(tooltip).trimmed();
}

QString button_name(const Button& button) {
    const std::string& caption = button.caption;
    bool wordless = std::none_of(caption.begin(), caption.end(),
                                 [](unsigned char c) { return std::isalnum(c) != 0; });
    return QString::fromStdString(wordless ? button.tooltip : caption).trimmed();
}

std::vector<QString> tab_order() {
    std::vector<QString> order;
    auto add = [&order](std::initializer_list<QString> names) {
        order.insert(order.end(), names.begin(), names.end());
    };
    auto param = [&](int k) {
        if (params::param(k).visible) add({bar(k), text(k)});
        // A modulated slider is followed by the "Free" switch below it.
        if (const int free = params::param(k).freed_by; free != params::kNoSwitch)
            add({check(free)});
    };
    // One column per partial: amplitude slider and value, then phase value and slider,
    // which lie below it.
    auto partials = [&](const params::Ear& ear) {
        for (int i = 0; i < 4; ++i) {
            add({bar(ear.partials[i]), text(ear.partials[i]), text(ear.phases[i]),
                 bar(ear.phases[i])});
        }
    };

    // Waveforms and files: left ear, setup files, session files, right ear, session list.
    partials(params::kLeft);
    add({"Text1", "save", "File1", "Text3", "saveses", "File2"});
    partials(params::kRight);
    add({"List1", "addtolist", "delfromlist", "clrlist"});

    // Each framed group from left to right: the amplitudes and AM, then the shift, the
    // pitch, pan and volume.
    for (int k : {P::LeftAmp, P::RightAmp, P::AmBase, P::AmSpeed, P::AmDepth, P::AmOffset,
                  P::LeftShift, P::RightShift, P::ShiftSpeed, P::ShiftDepth, P::ShiftOffset,
                  P::ShiftSync, P::Freq, P::Tune, P::Diff, P::DiffSync, P::Pan, P::Vol}) {
        param(k);
    }

    add({"time"});
    // Channel switching, two rows of two.
    for (int k : {P::LeftOn, P::SwitchOffset, P::RightOn, P::SwitchSpeed}) param(k);
    add({"prevkey", "oneback", "play", "oneforward", "nextkey", "Text2"});
    add({"setkey", "execute", "stop", "pause", "delkey"});
    return order;
}

}  // namespace qv::accessibility
