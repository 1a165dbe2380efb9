// The ".kvx" format as the rest of the program and its installed files know it.
#pragma once

#include "container/Format.h"

namespace ombrix::kvx {

extern const container::Format kFormat;

}  // namespace ombrix::kvx
