#pragma once

#include <QString>
#include <string_view>
#include <vector>

#include "controls/Button.h"

// How keyboard users and screen readers find their way through the window.
namespace qv::accessibility {

// The name a screen reader announces for the control `name(index)` of the form (index -1
// for a single control): the parameter's name for a slider or switch, "<name> value" for
// its text box, the title or tooltip of the other controls. Empty for labels and shapes,
// whose own text (or nothing) serves.
QString control_name(std::string_view name, int index, const std::string& tooltip);

// A button is called by its caption; a caption that is only a sign ("<") is no word to
// hear, so such a button is called by its tooltip.
QString button_name(const Button& button);

// Object names of the controls in the order Tab visits them: frame by frame as the window
// reads, top to bottom and left to right; within a frame each parameter's slider comes
// with its text box and "Free" switch. Controls that are never shown are not in it.
std::vector<QString> tab_order();

}  // namespace qv::accessibility
