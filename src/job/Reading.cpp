// The reading side of a decryption batch: whether a picked file is a
// container, and what its header says.
#include <cerrno>
#include <fcntl.h>

#include "container/FileIO.h"
#include "job/Job.h"
#include "job/Texts.h"

namespace ombrix {

using text::Say;

void Job::CheckEncryptedFile() {
    HeaderFlag = 0;
    for (auto& c : SFileExt)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    const std::string notContainer = Say<JobText::NotContainer>(SFilePath);
    container::Codec* codec = codecs_.ForExtension(SFileExt);
    if (!codec) {
        window_.ShowMessage(notContainer);
        return;
    }
    if (std::string refusal = codec->ContainerNameRefusal(SFile); !refusal.empty()) {
        window_.ShowMessage(Say<JobText::NotDoneBecause>(Say<JobText::NotDecrypted>(SFilePath), refusal));
        return;
    }
    HeaderString.clear();
    HeaderLength = 0;
    HeaderIdentity = {};
    reader_.reset();

    fsio::Fd in(fsio::Open(SFilePath, O_RDONLY | O_NONBLOCK));
    if (!in.ok()) {
        window_.ShowMessage(Say<JobText::NotExisting>(SFilePath));
        return;
    }
    const auto readError = [this](int err) {
        return FileFailure(err, Say<JobText::ReadErrorDecrypting>(SFilePath), Say<JobText::NotDecrypted>(SFilePath),
                           SFilePath, true);
    };
    struct stat st {};
    if (fsio::Fstat(in.get(), st) != 0) {
        window_.ShowMessage(readError(errno));
        return;
    }
    if (!S_ISREG(st.st_mode)) {
        window_.ShowMessage(notContainer);
        return;
    }

    std::unique_ptr<container::Reader> reader = codec->NewReader();
    int readErrno = 0;
    const auto found = reader->ReadHeader([&](unsigned char* buf, std::size_t n) {
        const long long got = fsio::Read(in.get(), buf, n);
        if (got < 0) readErrno = errno;
        return got;
    });
    if (found == container::Reader::Header::ReadError) {
        window_.ShowMessage(readError(readErrno));
        return;
    }
    HeaderString = reader->HeaderText();
    HeaderLength = reader->BodyOffset();
    if (found != container::Reader::Header::Found) {
        window_.ShowMessage(notContainer);
        return;
    }
    in.close();
    HeaderIdentity = fsio::FileIdentity::Of(st);
    codec_ = codec;
    reader_ = std::move(reader);
    HeaderFlag = 1;
}

void Job::SettingHeaderAttributes(std::string h) {
    DFile.clear();
    HeaderPassword.clear();
    container::StoredHeader stored = codec_->ParseHeader(h, SFile);
    DFile = std::move(stored.name);
    NameSplit split = SplitAtLastDot(DFile);
    DFileAbName = std::move(split.abName);
    DFileExt = std::move(split.ext);
    HeaderPassword = std::move(stored.password);
}

}  // namespace ombrix
