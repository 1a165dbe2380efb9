// Every message of the picker pane, in one table (see text/TextTable.h); the
// pane's controls keep their own labels and tips where they are made.
#pragma once

#include <QString>

#include "text/TextTable.h"

namespace ombrix {

enum class PickerText {
    FileMissing,
    OnlyRegularFiles,
    FolderMissing,
    NotAFolder,
    PermissionDenied,
    SystemReason,
    CannotOpen,
    CannotPick,
    AndMore,
    NotContainerNote,
    NotContainerTip,
    PickNotContainer,
    Pick,
    NoPicks,
    OnePick,
    Picks,
    DecryptMode,
    EncryptMode,
};

inline constexpr text::TextEntry<PickerText> kPickerTexts[] = {
    {PickerText::FileMissing, "The file does not exist."},
    {PickerText::OnlyRegularFiles, "Only regular files can be picked."},
    {PickerText::FolderMissing, "The folder does not exist."},
    {PickerText::NotAFolder, "This is not a folder."},
    {PickerText::PermissionDenied, "Permission denied."},
    // The system's own reason, as a sentence.
    {PickerText::SystemReason, "%1."},
    // %1: a folder or a file; %2: why.
    {PickerText::CannotOpen, "Cannot open \u201c%1\u201d: %2"},
    {PickerText::CannotPick, "Cannot pick \u201c%1\u201d: %2"},
    {PickerText::AndMore, "\u2026 and %1 more that could not be picked."},
    {PickerText::NotContainerNote, "not a container"},
    {PickerText::NotContainerTip, "%1\nNot a container: Decrypt reports it and skips it."},
    // What a screen reader says of a pick: %1 its name, %2 its folder.
    {PickerText::PickNotContainer, "%1, not a container, in %2"},
    {PickerText::Pick, "%1, in %2"},
    {PickerText::NoPicks, "No files picked"},
    {PickerText::OnePick, "1 file picked"},
    {PickerText::Picks, "%1 files picked"},
    // %1: the container suffixes.
    {PickerText::DecryptMode, "<b>Decrypt</b> \u2013 listing %1 containers only"},
    {PickerText::EncryptMode, "<b>Encrypt</b> \u2013 listing all files"},
};
OMBRIX_TEXT_TABLE(PickerText, kPickerTexts)

// Say for the pane's own strings.
template <PickerText id, class... Parts>
QString Said(const Parts&... parts) {
    return QString::fromStdString(text::Say<id>(QString(parts).toStdString()...));
}

}  // namespace ombrix
