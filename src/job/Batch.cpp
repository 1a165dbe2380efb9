#include <fcntl.h>

#include "container/OutputFile.h"
#include "job/Job.h"
#include "job/Stop.h"
#include "job/Texts.h"
#include "picker/PickerPane.h"

namespace ombrix {

using text::Say;

// The original goes only once its output was read back intact from disk,
// and only if it is still, unchanged, the file that was read.
bool Job::DeleteOriginal() {
    // A stop asked for meanwhile deletes nothing more; the output stays.
    if (StopRequested()) return false;
    if (OutputVerified && DeleteIfUnchanged(SFilePath, SFileIdentity)) return true;
    window_.ShowMessage(Say<JobText::NotDeleted>(SFilePath));
    return false;
}

void Job::OnMainButton() {
    window_.EnableButton(Button::Main, false);
    window_.EnableButton(Button::Exit, false);
    C_PickerPane& picker = window_.Picker();
    const std::int32_t n = picker.TotalFiles();
    SelectedCount = n;
    DeletedCount = 0;
    ProcessedCount = 0;
    batchOutputs_.clear();
    UpdateData(true);
    window_.SetBarRange(Bar::Batch, 0, n);
    window_.ShowBar(Bar::Batch, true);
    window_.SetBarPos(Bar::Batch, 0);

    // After a stop request no further file starts; the summary still comes.
    std::string summary;
    if (ProcessFlag == 0) {
        window_.SetBarPos(Bar::Batch, 0);
        for (std::int32_t i = 0; i < n && !StopRequested(); ++i) {
            SuccessFlag = 0;
            std::string source = picker.FileSource(i);
            SettingSourceAttributes(source);
            SettingDestinationPath();
            Encryption();
            if (m_Delete == 1 && SuccessFlag == 1 && DeleteOriginal()) ++DeletedCount;
            window_.SetBarPos(Bar::Batch, i + 1);
        }
        summary = Say<JobText::SummaryEncrypted>(std::to_string(SelectedCount), std::to_string(ProcessedCount),
                                                 std::to_string(DeletedCount));
        picker.DecryptTypes();
        picker.EncryptTypes();
    }
    if (ProcessFlag == 1) {
        window_.SetBarPos(Bar::Batch, 0);
        for (std::int32_t i = 0; i < n && !StopRequested(); ++i) {
            SuccessFlag = 0;
            HeaderFlag = 0;
            std::string source = picker.FileSource(i);
            SettingSourceAttributes(source);
            CheckEncryptedFile();
            if (HeaderFlag == 1) {
                SettingHeaderAttributes(HeaderString);
                SettingDestinationPath();
                Decryption();
                if (m_Delete == 1 && SuccessFlag == 1 && DeleteOriginal()) ++DeletedCount;
                window_.SetBarPos(Bar::Batch, i + 1);
            }
        }
        summary = Say<JobText::SummaryDecrypted>(std::to_string(SelectedCount), std::to_string(ProcessedCount),
                                                 std::to_string(DeletedCount));
        picker.EncryptTypes();
        picker.DecryptTypes();
    }

    // What the codecs kept for this batch (derived keys, the last
    // container's opened key) ends with it.
    reader_.reset();
    codecs_.EndBatch();

    window_.ShowBar(Bar::File, false);
    window_.ShowBar(Bar::Batch, false);
    window_.ShowSummary(summary);
    picker.ProcessOver();
    window_.EnableButton(Button::Main, true);
    window_.EnableButton(Button::Exit, true);
}

}  // namespace ombrix
