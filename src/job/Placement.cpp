#include <fcntl.h>

#include "container/FileIO.h"
#include "job/Job.h"
#include "job/Texts.h"
#include "picker/PickerPane.h"

namespace ombrix {
namespace {

// A path "exists" when it opens for reading as something other than a
// directory; the open handle is returned so the caller may hold it.
fsio::Fd OpenIfExists(const std::string& path, fsio::FileIdentity* seen = nullptr) {
    fsio::Fd fd(fsio::Open(path, O_RDONLY | O_NONBLOCK));
    if (!fd.ok()) return fd;
    struct stat st {};
    if (fsio::Fstat(fd.get(), st) != 0 || S_ISDIR(st.st_mode)) fd.reset();
    else if (seen) *seen = fsio::FileIdentity::Of(st);
    return fd;
}

}  // namespace

void Job::SettingSourceAttributes(const std::string& source) {
    SFilePath = source;
    auto i = SFilePath.rfind('/');
    if (i == std::string::npos) {
        SFile = SFilePath;
        SFileParent.clear();
    } else {
        SFile = SFilePath.substr(i + 1);
        SFileParent = SFilePath.substr(0, i);
    }
    NameSplit split = SplitAtLastDot(SFile);
    SFileAbName = std::move(split.abName);
    SFileExt = std::move(split.ext);
}

void Job::SettingDestinationPath() {
    UpdateData(true);

    std::string dir;
    if (m_SameRadio == 0) {
        DFilePath = window_.Picker().FileDestination();
        if (!DFilePath.empty() && DFilePath.back() == '/') DFilePath.pop_back();
        dir = DFilePath;
    } else {
        dir = SFileParent;
    }

    std::string stem, tail;
    if (ProcessFlag == 0) {
        codec_ = &codecs_.ForNewContainers(m_Format);
        container::NameParts name = codec_->ContainerName(SFile, SFileAbName);
        stem = std::move(name.stem);
        tail = std::move(name.tail);
    } else {
        stem = DFileAbName;
        if (!DFileExt.empty()) tail = "." + DFileExt;
    }

    const std::string base = dir + "/" + stem + tail;
    DFileCompletePath = base;
    DFileReplace = false;
    fsio::FileIdentity existing;
    fsio::Fd held = OpenIfExists(base, &existing);

    // Candidates: stem1 .. stem9, then stem10, stem11, ... until a free name.
    for (long long c = 1;; ++c) {
        if (!OpenIfExists(DFileCompletePath).ok()) break;
        DFileCompletePath = dir + "/" + stem + std::to_string(c) + tail;
    }

    // An output this batch made is never replaced within it: the next free
    // name is taken without asking.
    if (held.ok() && !IsBatchOutput(existing)) {
        const std::string question = ProcessFlag == 0
                                         ? text::Say<JobText::ReplaceEncrypting>(SFilePath, base, DFileCompletePath)
                                         : text::Say<JobText::ReplaceDecrypting>(SFilePath, base, DFileCompletePath);
        if (window_.AskYesNo(question, text::Say<JobText::ReplaceCaption>())) {
            DFileCompletePath = base;
            DFileReplace = true;
        }
    }
    held.reset();
}

}  // namespace ombrix
