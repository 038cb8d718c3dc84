// Writes what the end-to-end scripts need to know of the window as a bash file: every
// control's place in twips ("left top width height"), a parameter's controls by its name in
// code (rect[sc.Vol], rect[tx.Vol], rect[ck.LeftAmp]), the client area (rect[form]), every
// parameter's and switch's default (default[Vol], default[ck.LeftAmp]), and the names of the
// parameters and of the switches in their keyframe order.
#include <cstdio>
#include <string>

#include "app/MainForm.h"
#include "controls/VirtualClock.h"

int main() {
    using namespace qv;
    VirtualClock clock;
    modSynth_DX7 tone;
    MainForm form(clock, tone);
    std::printf(
        "# Generated from the main form and its parameter table; do not edit.\ndeclare -A "
        "rect=(\n");
    form.for_each_control([](Control& control, std::string_view name, int index) {
        std::string key(name);
        if (name == "sc" || name == "hsc" || name == "tx")
            key += "." + std::string(params::param(index).code);
        else if (name == "ck")
            key += "." + std::string(params::kSwitches[static_cast<std::size_t>(index)].code);
        else if (index >= 0)
            key += "." + std::to_string(index);
        const Rect& r = control.rect;
        std::printf("    [%s]=\"%d %d %d %d\"\n", key.c_str(), r.left, r.top, r.width, r.height);
    });
    std::printf("    [form]=\"0 0 %d %d\"\n)\ndeclare -A default=(\n", MainForm::kClientWidth,
                MainForm::kClientHeight);
    for (const params::Param& p : params::kParams)
        std::printf("    [%.*s]=%d\n", static_cast<int>(p.code.size()), p.code.data(), p.value);
    for (const params::Switch& s : params::kSwitches)
        std::printf("    [ck.%.*s]=%d\n", static_cast<int>(s.code.size()), s.code.data(),
                    form.panel.ck(s.id).value());
    std::printf(")\nparams=(");
    for (const params::Param& p : params::kParams)
        std::printf(" %.*s", static_cast<int>(p.code.size()), p.code.data());
    std::printf(")\nswitches=(");
    for (const params::Switch& s : params::kSwitches)
        std::printf(" %.*s", static_cast<int>(s.code.size()), s.code.data());
    std::printf(")\n");
}
