// A job on a scripted window in a fresh folder, with the per-file steps the
// batch runs, for tests of one file at a time; and whole batches through the
// front ends' entry point, on the same window.
#pragma once

#include <gtest/gtest.h>

#include "container/FileIO.h"
#include "job/Job.h"
#include "job/RunBatch.h"
#include "support/Containers.h"
#include "support/ScriptedWindow.h"
#include "support/TempDir.h"

namespace ombrix::test {

class JobFixture : public ::testing::Test {
protected:
    JobFixture() {
        fsio::ResetFaults();
        job.OnInitDialog();
        w.events.clear();
        w.controls.password = w.controls.confirm = "pw";
        w.controls.same = 1;  // each output beside its source
        settings.password = "pw";
        settings.destination = Destination::OwnFolders;
    }
    ~JobFixture() override { fsio::ResetFaults(); }

    // Placement and the encryption pass, as the batch runs them for one file.
    void Encrypt(const std::string& source) {
        job.ProcessFlag = 0;
        job.SuccessFlag = 0;
        job.SettingSourceAttributes(source);
        job.SettingDestinationPath();
        job.Encryption();
    }
    // Check, parse, placement and the decryption pass; false when the check refused it.
    bool Decrypt(const std::string& container) {
        job.ProcessFlag = 1;
        job.SuccessFlag = 0;
        job.HeaderFlag = 0;
        job.SettingSourceAttributes(container);
        job.CheckEncryptedFile();
        if (job.HeaderFlag != 1) return false;
        job.SettingHeaderAttributes(job.HeaderString);
        job.SettingDestinationPath();
        job.Decryption();
        return true;
    }

    // One batch with `settings`, as the command line runs it.
    BatchCounts Batch() { return RunBatch(w, settings); }

    // The summary box's text.
    static std::string Summary(bool decrypt, int selected, int done, int deleted) {
        return "Selected File(s) : " + std::to_string(selected) + " , \n " + (decrypt ? "Decrypted" : "Encrypted") +
               " File(s) : " + std::to_string(done) + ", \n Deleted Files : " + std::to_string(deleted) + " ";
    }

    TempDir dir;
    ScriptedWindow w;
    Job job{w};
    BatchSettings settings;
};

}  // namespace ombrix::test
