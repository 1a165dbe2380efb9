// A picker that also offers the choice of the format new containers are
// written in. The window reads it into the job whenever it reads its
// controls, so the choice counts as it stands when each file is placed;
// nothing is ever written back to it.
#pragma once

#include <string>

namespace ombrix {

class FormatChoice {
public:
    virtual ~FormatChoice() = default;
    // The chosen format's suffix, with its dot, as the list of formats has it.
    virtual std::string ChosenFormat() const = 0;
};

}  // namespace ombrix
