// One batch for a front end without widgets (the command line, the
// benchmark, tests): the window's start-up, then the settings in place of
// its controls, then the batch the main button runs, with every message,
// question, prompt, bar and picker call going to the front end's view.
#pragma once

#include <cstdint>
#include <string>

#include "job/JobWindow.h"

namespace ombrix {

enum class Process { Encrypt, Decrypt };
enum class Destination {
    OneFolder,   // the folder the picker names (FileDestination)
    OwnFolders,  // each output beside its file
};
enum class PasswordMode {
    OneForAll,  // the settings' password
    EachFile,   // a prompt for each file
};
// The answer to the Replace question: asked, or given beforehand.
enum class ReplacePolicy { Ask, Yes, No };

struct BatchSettings {
    Process process = Process::Encrypt;
    Destination destination = Destination::OneFolder;
    PasswordMode passwordMode = PasswordMode::OneForAll;
    std::string password;  // its own confirmation
    bool deleteOriginals = false;
    ReplacePolicy replace = ReplacePolicy::Ask;
    // The format new containers are written in, by its suffix (with its dot); ""
    // for the default. Decrypting takes each container's from its name.
    std::string format;
};

// What the summary counts.
struct BatchCounts {
    std::int32_t selected = 0, processed = 0, deleted = 0;
    bool operator==(const BatchCounts&) const = default;
};

BatchCounts RunBatch(JobView& view, const BatchSettings& settings);

}  // namespace ombrix
