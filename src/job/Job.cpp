#include "job/Job.h"

#include "container/FileIO.h"
#include "container/Formats.h"
#include "job/Texts.h"

namespace ombrix {

Job::Job(JobWindow& window) : window_(window) {}

void Job::OnInitDialog() {
    m_EncriptRadio = 0;
    m_SameRadio = 0;
    m_SamePassRadio = 0;
    window_.EnableButton(Button::Main, false);
    ProcessFlag = 0;
    SuccessFlag = 0;
    // The record keeps the header terminators, though each codec writes its own.
    if (const container::Format* f = container::FormatWithTerminators()) {
        PassCode = std::string(f->passwordTerminator);
        FileCode = std::string(f->nameTerminator);
    }
    window_.ShowBar(Bar::Batch, false);
    window_.ShowBar(Bar::File, false);
    UpdateData(false);
}

bool Job::DeleteFile(const std::string& path) {
    if (fsio::Remove(path) != 0) {
        window_.ShowMessage(text::Say<JobText::NotDeleted>(path));
        return false;
    }
    return true;
}

void Job::NoteBatchOutput(const fsio::FileIdentity& output) {
    if (output.valid) batchOutputs_.emplace(output.dev, output.ino, output.mtimeNs);
}

bool Job::IsBatchOutput(const fsio::FileIdentity& file) const {
    return file.valid && batchOutputs_.count({file.dev, file.ino, file.mtimeNs}) != 0;
}

void ControlValues::Exchange(Job& job, bool toJob) {
    auto move = [toJob](auto& member, auto& control) {
        if (toJob) member = control;
        else control = member;
    };
    move(job.m_Password, password);
    move(job.m_Confirm, confirm);
    move(job.m_Delete, del);
    move(job.m_EncriptRadio, encrypt);
    move(job.m_SameRadio, same);
    move(job.m_SamePassRadio, samePass);
    // The format is the picker's: read, never written back.
    if (toJob) job.m_Format = format;
}

NameSplit SplitAtLastDot(const std::string& name) {
    auto j = name.rfind('.');
    if (j == std::string::npos) return {name, {}};
    return {name.substr(0, j), name.substr(j + 1)};
}

std::string AppNameFromPath(const std::string& programPath) {
    auto slash = programPath.rfind('/');
    std::string name = slash == std::string::npos ? programPath : programPath.substr(slash + 1);
    auto dot = name.rfind('.');
    if (dot != std::string::npos && dot != 0) name.erase(dot);
    return name;
}

}  // namespace ombrix
