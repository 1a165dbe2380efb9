// Every text of ombrix-cli's own, in one table (see text/TextTable.h); the
// batch's messages come from the job's table.
#pragma once

#include "text/TextTable.h"

namespace ombrix::cli {

enum class CliText {
    Usage,
    FormatOption,
    FormatLine,
    FormatDefault,
    FormatDecrypt,
    EmptyPasswordRefusedByOne,
    EmptyPasswordRefusedByMany,
    Version,
    Hint,
    UsageError,
    MissingCommand,
    UnknownCommand,
    DestNeedsFolder,
    PasswordFileNeedsName,
    ReplaceTakes,
    FormatTakes,
    NeedsArgument,
    UnknownOption,
    NoFile,
    EachExcludesPasswordFile,
    FormatIsForEncrypt,
    EachNeedsTerminal,
    NoTerminalForPassword,
    AskNeedsTerminal,
    NoCurrentFolder,
    PasswordFileUnreadable,
    PasswordLineTooLong,
    NoPassword,
    PasswordPrompt,
    ConfirmPrompt,
    NotConfirmed,
    YesNo,
    Status,
};

inline constexpr text::TextEntry<CliText> kCliTexts[] = {
    // %1: the suffixes; %2: the end of the password file's lines; %3: the --format lines.
    {CliText::Usage,
     "Usage: ombrix-cli encrypt [OPTIONS] FILE...\n"
     "       ombrix-cli decrypt [OPTIONS] FILE...\n"
     "Encrypt files into %1 containers, or restore them, with a password.\n"
     "\n"
     "  -d, --dest DIR            every output into DIR (the \"specified directory\");\n"
     "                            without it, each output goes into its file's own directory\n"
     "  -p, --password-file F     the one password: the first line of F without its line end\n"
     "                            (\"-\" reads standard input); an empty first line is the empty password%2"
     "      --each                ask for a password for each file (needs a terminal)\n"
     "      --delete              delete each original after its file was processed\n"
     "      --replace ask|yes|no  the answer to the Replace question; default: ask when standard\n"
     "                            input is a terminal, otherwise no (the numbered alternative)\n"
     "%3"
     "  -q, --quiet               no progress display\n"
     "  -h, --help                usage\n"
     "      --version             \"ombrix-cli 1.0\"\n"
     "\n"
     "Without -p or --each the password is asked on the terminal.\n"
     "Exit status: 0 when every file was processed (and with --delete every original deleted),\n"
     "1 otherwise, 2 for a usage error. SIGINT, SIGTERM and SIGHUP stop the batch: the file in\n"
     "progress gets no output, nothing more is deleted, and the program exits 130, 143 or 129.\n"},
    {CliText::FormatOption, "      --format %1"},
    {CliText::FormatLine, "the container encrypt writes each file into:"},
    {CliText::FormatDefault, " (the default)"},
    {CliText::FormatDecrypt, "decrypt takes each container's format from its name"},
    {CliText::EmptyPasswordRefusedByOne, "which a %1 container refuses"},
    {CliText::EmptyPasswordRefusedByMany, "which %1 containers refuse"},
    {CliText::Version, "ombrix-cli 1.0\n"},
    {CliText::Hint, "Try 'ombrix-cli --help'."},
    {CliText::UsageError, "ombrix-cli: %1\n%2\n"},
    {CliText::MissingCommand, "missing command: encrypt or decrypt"},
    {CliText::UnknownCommand, "unknown command '%1': use encrypt or decrypt"},
    {CliText::DestNeedsFolder, "--dest needs a directory"},
    {CliText::PasswordFileNeedsName, "--password-file needs a file name (\"-\" for standard input)"},
    {CliText::ReplaceTakes, "--replace takes ask, yes or no, not '%1'"},
    {CliText::FormatTakes, "--format takes %1, not '%2'"},
    {CliText::NeedsArgument, "option '%1' needs an argument"},
    {CliText::UnknownOption, "unknown option '%1'"},
    {CliText::NoFile, "no FILE given"},
    {CliText::EachExcludesPasswordFile, "--each and --password-file exclude each other"},
    {CliText::FormatIsForEncrypt, "--format is for encrypt: decrypt takes each container's format from its name"},
    {CliText::EachNeedsTerminal, "--each needs a terminal to ask on"},
    {CliText::NoTerminalForPassword, "no terminal to ask for the password: give it with -p FILE"},
    {CliText::AskNeedsTerminal, "--replace ask needs a terminal to ask on"},
    {CliText::NoCurrentFolder, "ombrix-cli: cannot tell the current directory: %1"},
    {CliText::PasswordFileUnreadable, "ombrix-cli: cannot read the password file '%1': %2"},
    {CliText::PasswordLineTooLong, "ombrix-cli: the first line of the password file '%1' is longer than 1 MiB"},
    {CliText::NoPassword, "ombrix-cli: no password given"},
    {CliText::PasswordPrompt, "Password: "},
    {CliText::ConfirmPrompt, "Confirm password: "},
    // The window's own message, in the same words.
    {CliText::NotConfirmed, "PassWord Is Not Confirmed, Please Retype it."},
    {CliText::YesNo, "%1 [y/n] "},
    // Files done of the batch, and percent of the current file.
    {CliText::Status, "%1/%2 files  %3%  "},
};
OMBRIX_TEXT_TABLE(CliText, kCliTexts)

}  // namespace ombrix::cli
