// The ".kvr" format as the rest of the program and its installed files know it.
#pragma once

#include "container/Format.h"

namespace ombrix::kvr {

extern const container::Format kFormat;

}  // namespace ombrix::kvr
