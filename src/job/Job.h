// The job record: the settings the window's controls show, the parts of the
// current file's paths, what was read from the current container's header,
// the per-file flags and the batch counters, with the operations on them.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <sys/types.h>
#include <tuple>

#include "container/Codec.h"
#include "container/FileIO.h"
#include "container/Formats.h"
#include "job/JobWindow.h"

namespace ombrix {

class Job {
public:
    explicit Job(JobWindow& window);

    // Window initialisation: radio groups 0, ProcessFlag 0, SuccessFlag 0, the
    // two terminators, main button disabled, both bars hidden, controls refreshed.
    void OnInitDialog();

    // --- shared operations ---
    void UpdateData(bool saveAndValidate) { window_.UpdateData(*this, saveAndValidate); }
    // Removes one file; on failure shows the access-failure message. True when gone.
    bool DeleteFile(const std::string& path);

    // --- file placement ---
    void SettingSourceAttributes(const std::string& source);
    void SettingDestinationPath();

    // --- container reading side ---
    void CheckEncryptedFile();
    void SettingHeaderAttributes(std::string header);

    // --- the passes ---
    void Encryption();
    void Decryption();

    // --- the batch run behind the main button ---
    void OnMainButton();

    JobWindow& Window() { return window_; }

    // Members bound to controls.
    std::string m_Confirm;
    std::int32_t m_Delete = 0;
    std::int32_t m_EncriptRadio = -1;
    std::string m_Password;
    std::int32_t m_SameRadio = -1;
    std::int32_t m_SamePassRadio = -1;
    // The format new containers are written in, by its suffix (with its
    // dot); "" or a suffix of no format gives the first of the list. Read from the
    // picker's choice, never written back to it.
    std::string m_Format;

    // Per-file flags.
    std::int32_t HeaderFlag = 0;
    std::int32_t SuccessFlag = 0;

    // Source path parts.
    std::string SFilePath;
    std::string SFileParent;
    std::string SFileExt;
    std::string SFileAbName;
    std::string SFile;

    std::int32_t ProcessFlag = 0;  // 0 encrypt, 1 decrypt
    std::string PassCode;          // password terminator
    std::int32_t ProcessedCount = 0;
    std::int32_t SelectedCount = 0;
    std::int32_t DeletedCount = 0;
    std::string FileCode;  // name terminator

    // Read from the current container's header.
    std::string HeaderPassword;
    std::int64_t HeaderLength = 0;  // offset of the body
    std::string HeaderString;
    // The container as it was when its header was read: the body must come
    // from that very file, unchanged.
    fsio::FileIdentity HeaderIdentity;

    // Destination.
    std::string DFilePath;
    std::string DFileExt;
    std::string DFileCompletePath;
    std::string DFileAbName;
    std::string DFile;

    // True when the user answered Yes to Replace for DFileCompletePath: only
    // then may a finished output take the place of an existing file.
    bool DFileReplace = false;
    // The file the current pass read, as it was when opened, so that
    // deleting the original removes that file, unchanged, and no other.
    fsio::FileIdentity SFileIdentity;
    // The pass read its output back and found what went in: only then may
    // the original go.
    bool OutputVerified = false;
    // Outputs made by the running batch: never replaced within it.
    void NoteBatchOutput(const fsio::FileIdentity& output);
    bool IsBatchOutput(const fsio::FileIdentity& file) const;
    // How often long file work lets the window repaint.
    std::chrono::milliseconds PumpInterval{30};

private:
    bool DeleteOriginal();
    JobWindow& window_;
    // Device, inode and modification time: a file rewritten since is no
    // longer the batch's own.
    std::set<std::tuple<dev_t, ino_t, std::int64_t>> batchOutputs_;
    // One codec of each container format, for every batch of this job.
    container::Codecs codecs_;
    // The current file's format: chosen by placement when encrypting, by
    // the container check when decrypting.
    container::Codec* codec_ = &codecs_.Default();
    // The current container, once the check has read its header.
    std::unique_ptr<container::Reader> reader_;
};

// The values of the controls bound to the job, for windows that keep them
// without widgets (the command line, tests). Exchange moves them the way
// UpdateData does: toJob copies them into the members, otherwise back.
struct ControlValues {
    std::string password, confirm, format;
    std::int32_t del = 0, encrypt = 0, same = 0, samePass = 0;
    void Exchange(Job& job, bool toJob);
};

// A file name split at its last dot: the name before it and the extension
// after it (empty when the name ends with the dot). Without a dot: the whole
// name and no extension.
struct NameSplit {
    std::string abName, ext;
};
NameSplit SplitAtLastDot(const std::string& name);

// The application's name for captions: a program path's file name without
// its directory and last extension.
std::string AppNameFromPath(const std::string& programPath);

}  // namespace ombrix
