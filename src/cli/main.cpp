// ombrix-cli: encrypt or decrypt files from the command line, through the
// same batch as the window.
#include "cli/Run.h"

int main(int argc, char** argv) { return ombrix::cli::Run(argc, argv); }
