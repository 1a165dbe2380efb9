// The whole of ombrix-cli behind main: options, password, the batch, the
// exit status.
#pragma once

namespace ombrix::cli {

int Run(int argc, char** argv);

}  // namespace ombrix::cli
