// Every message of the window and its start-up, in one table (see
// text/TextTable.h); the batch's messages come from the job's table, and
// the dialog templates hold their controls' own labels.
#pragma once

#include "text/TextTable.h"

namespace ombrix::ui {

enum class WindowText {
    NotConfirmed,
    SummaryCaption,
    HelpNotLocated,
    AboutIntro,
    AboutFirstFormat,
    AboutNextFormat,
    Usage,
    Version,
    UnknownOption,
    UsageError,
    NoDisplay,
};

inline constexpr text::TextEntry<WindowText> kWindowTexts[] = {
    {WindowText::NotConfirmed, "PassWord Is Not Confirmed, Please Retype it."},
    {WindowText::SummaryCaption, "Completed "},
    {WindowText::HelpNotLocated, "         Help File 'Help.sh' not Located      "},
    // %1: the suffixes of the formats.
    {WindowText::AboutIntro, "Encrypts and decrypts batches of files into %1 containers."},
    // A suffix and what a container of it is worth; the formats' lines are
    // joined by "; " and end with a ".".
    {WindowText::AboutFirstFormat, "A %1 container %2"},
    {WindowText::AboutNextFormat, "a %1 container %2"},
    {WindowText::Usage,
     "Usage: ombrix [FILE...]\n"
     "Opens the Ombrix window with the FILEs already picked in its file pane.\n"
     "A FILE that does not exist is left out and named in the pane.\n"
     "\n"
     "  -h, --help     this text\n"
     "      --version  \"ombrix 1.0\"\n"
     "\n"
     "Qt's own options (-style, -platform, ...) are accepted too.\n"
     "ombrix-cli runs the same batches from a terminal (ombrix-cli --help).\n"},
    {WindowText::Version, "ombrix 1.0\n"},
    {WindowText::UnknownOption, "unknown option '%1'"},
    {WindowText::UsageError, "ombrix: %1\nTry 'ombrix --help'.\n"},
    {WindowText::NoDisplay,
     "ombrix: no display (neither DISPLAY nor WAYLAND_DISPLAY is set); "
     "start it from a graphical desktop session, or over ssh with X forwarding (ssh -X)."},
};
OMBRIX_TEXT_TABLE(WindowText, kWindowTexts)

}  // namespace ombrix::ui
