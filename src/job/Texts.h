// Every text the job shows or asks, in one table (see text/TextTable.h). The
// messages of the processing steps are the system's own, character for
// character, misspellings included; the reasons after "is not Encrypted :"
// and the like are ours.
#pragma once

#include <cerrno>
#include <cstring>
#include <string>

#include "text/TextTable.h"

namespace ombrix {

enum class JobText {
    NotDeleted,
    NotContainer,
    NotExisting,
    ReadErrorDecrypting,
    WriteErrorDecrypting,
    ReadErrorEncrypting,
    WriteErrorEncrypting,
    SourceMissing,
    FolderMissing,
    NotEncrypted,
    NotDecrypted,
    PromptFile,
    PromptFailed,
    ReplaceCaption,
    ReplaceEncrypting,
    ReplaceDecrypting,
    SummaryEncrypted,
    SummaryDecrypted,
    // "' x ' is not Encrypted " followed by why.
    NotDoneBecause,
    Stopped,
    Damaged,
    NoMemory,
    NameTooLong,
    OutputIsInput,
    AlreadyExists,
    CannotCreate,
    CannotRead,
    CannotWrite,
    ChangedWhileRead,
};

inline constexpr text::TextEntry<JobText> kJobTexts[] = {
    {JobText::NotDeleted, "File ' %1 ' is Not Deleted Due to Access Failure."},
    {JobText::NotContainer, "' %1 ' is not Ombrix's Encrypted File"},
    {JobText::NotExisting, "' %1 ' is not existing"},
    {JobText::ReadErrorDecrypting, "Error in reading ' %1 '. Due to less disk space or bad clusters"},
    {JobText::WriteErrorDecrypting, "Error in writing ' %1 '. Due to less disk space or bad clusters"},
    {JobText::ReadErrorEncrypting, "Error in Reading ' %1 '. Due to less disk space or bad clusters"},
    {JobText::WriteErrorEncrypting, "Error in Writing ' %1 '. Due to less disk space or bad clusters"},
    {JobText::SourceMissing, "The Sorce File '%1' Does Not Exist"},
    {JobText::FolderMissing, "The Destination Directory '%1' Does Not Exist "},
    {JobText::NotEncrypted, "' %1 ' is not Encrypted "},
    {JobText::NotDecrypted, "' %1 ' is not Decrypted "},
    {JobText::PromptFile, "File --> %1"},
    {JobText::PromptFailed, "Failed :( %1 )"},
    {JobText::ReplaceCaption, "Replace"},
    {JobText::ReplaceEncrypting,
     "In Encripting The File ' %1 ' ,' %2 ' Found.\n"
     "To Replace The File Press 'YES' , To Create With ' %3 ' Press 'NO' Button"},
    {JobText::ReplaceDecrypting,
     "In Decripting The File ' %1 ' ,' %2 ' Found.\n"
     "To Replace The File Press 'YES' , To Create With ' %3 ' Press 'NO' Button"},
    {JobText::SummaryEncrypted, "Selected File(s) : %1 , \n Encrypted File(s) : %2, \n Deleted Files : %3 "},
    {JobText::SummaryDecrypted, "Selected File(s) : %1 , \n Decrypted File(s) : %2, \n Deleted Files : %3 "},
    {JobText::NotDoneBecause, "%1: %2"},
    {JobText::Stopped, "the batch was stopped"},
    {JobText::Damaged, "the container is damaged or was altered"},
    {JobText::NoMemory, "there is not enough memory to derive its key"},
    {JobText::NameTooLong, "the name of ' %1 ' is too long"},
    {JobText::OutputIsInput, "the output ' %1 ' is the file itself"},
    {JobText::AlreadyExists, "' %1 ' already exists"},
    {JobText::CannotCreate, "' %1 ' cannot be created : %2"},
    {JobText::CannotRead, "' %1 ' cannot be read : %2"},
    {JobText::CannotWrite, "' %1 ' cannot be written : %2"},
    {JobText::ChangedWhileRead, "' %1 ' changed while it was read"},
};
OMBRIX_TEXT_TABLE(JobText, kJobTexts)

// Space and I/O errors are the causes the usual read and write messages
// name ("less disk space or bad clusters"); 0 is a failure no errno told.
inline bool UsualCause(int err) { return err == 0 || err == ENOSPC || err == EDQUOT || err == EIO; }

// A read or write failure: the usual message for the usual causes, else the
// file not done and why, in the system's words.
inline std::string FileFailure(int err, const std::string& usual, const std::string& notDone, const std::string& path,
                               bool reading) {
    if (UsualCause(err)) return usual;
    const char* reason = std::strerror(err);
    return text::Say<JobText::NotDoneBecause>(notDone, reading ? text::Say<JobText::CannotRead>(path, reason)
                                                               : text::Say<JobText::CannotWrite>(path, reason));
}

}  // namespace ombrix
