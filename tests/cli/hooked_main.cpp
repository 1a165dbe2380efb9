// ombrix-cli for tests: the program's own code, with file-layer hooks taken
// from the environment (support/EnvHooks.h). Never installed or shipped.
#include "cli/Run.h"
#include "support/EnvHooks.h"

int main(int argc, char** argv) {
    ombrix::test::InstallHooksFromEnvironment();
    return ombrix::cli::Run(argc, argv);
}
