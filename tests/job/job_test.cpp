#include <unistd.h>

#include "support/JobFixture.h"

namespace ombrix::test {
namespace {

using Texts = std::vector<std::string>;

TEST(JobRecord, ConstructionThenWindowInitialisation) {
    ScriptedWindow w;
    Job job(w);
    EXPECT_EQ(job.m_EncriptRadio, -1);
    EXPECT_EQ(job.m_SameRadio, -1);
    EXPECT_EQ(job.m_SamePassRadio, -1);
    EXPECT_EQ(job.m_Delete, 0);
    EXPECT_TRUE(job.m_Password.empty() && job.m_Confirm.empty() && job.PassCode.empty() && job.FileCode.empty());

    job.OnInitDialog();
    EXPECT_EQ(job.m_EncriptRadio, 0);
    EXPECT_EQ(job.m_SameRadio, 0);
    EXPECT_EQ(job.m_SamePassRadio, 0);
    EXPECT_EQ(job.ProcessFlag, 0);
    EXPECT_EQ(job.SuccessFlag, 0);
    EXPECT_EQ(job.PassCode, "$kvp$kvp$kvp$kvp");
    EXPECT_EQ(job.FileCode, "$kvf$kvf$kvf$kvf");
    EXPECT_EQ(w.events, (Texts{"Disable(main)", "Hide(batch)", "Hide(file)", "UpdateData(FALSE)"}));
    EXPECT_EQ(w.controls.encrypt, 0);
    EXPECT_TRUE(w.picker.calls.empty());  // the picker is told nothing at start-up
}

class DeleteFileTest : public JobFixture {};

TEST_F(DeleteFileTest, RemovesOrSaysWhyNot) {
    WriteFile(dir / "x", "1");
    EXPECT_TRUE(job.DeleteFile(dir / "x"));
    EXPECT_FALSE(Exists(dir / "x"));
    EXPECT_TRUE(w.boxes.empty());

    for (const std::string& path : {dir / "x", std::string(), dir.path()}) {
        SCOPED_TRACE(path);
        w.ClearRecords();
        EXPECT_FALSE(job.DeleteFile(path));
        const Box expected{"File ' " + path + " ' is Not Deleted Due to Access Failure.", "", Box::Message};
        EXPECT_EQ(w.boxes, std::vector<Box>{expected});
    }
}

TEST(AppName, FileNameWithoutDirectoryAndLastExtension) {
    const std::pair<const char*, const char*> cases[] = {
        {"/usr/local/bin/ombrix", "ombrix"}, {"build/Ombrix.EXE", "Ombrix"},     {"ombrix.tar.gz", "ombrix.tar"},
        {"/opt/.hidden", ".hidden"},         {"./renamed-tool", "renamed-tool"},
    };
    for (auto [path, name] : cases) EXPECT_EQ(AppNameFromPath(path), name) << path;
}

}  // namespace
}  // namespace ombrix::test
