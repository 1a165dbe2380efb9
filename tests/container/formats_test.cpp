// Every entry of the list of formats is whole and says of its format what its
// codec does: a format added with a wrong fact fails here, before any file
// generated from the list says it.
#include <fstream>
#include <gtest/gtest.h>
#include <set>
#include <sstream>

#include "container/Formats.h"

namespace ombrix::test {
namespace {

using container::Format;
using container::Formats;

std::string Upper(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

bool IsLower(std::string_view s) { return s.find_first_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ") == s.npos; }

// The whole container a codec writes for an empty file.
std::string Written(container::Codec& codec, const std::string& name, const std::string& password) {
    std::string out;
    container::Stream io;
    io.read = [](unsigned char*, std::size_t) -> long long { return 0; };
    io.write = [&out](const unsigned char* buf, std::size_t n) {
        out.append(reinterpret_cast<const char*>(buf), n);
        return true;
    };
    io.progress = [](std::int64_t) {};
    io.stop = [] { return false; };
    EXPECT_EQ(codec.NewWriter(name, password)->Write(io), container::Result::Ok);
    return out;
}

TEST(FormatsTest, NamesAreTheirsAloneAndFindTheirFormat) {
    ASSERT_FALSE(Formats().empty());
    EXPECT_EQ(&container::DefaultFormat(), Formats()[0]);
    std::set<std::string_view> suffixes, names, types;
    for (const Format* f : Formats()) {
        SCOPED_TRACE(f->suffix);
        EXPECT_TRUE(suffixes.insert(f->suffix).second);
        EXPECT_TRUE(names.insert(f->name).second);
        EXPECT_TRUE(types.insert(f->mimeType).second);
        ASSERT_GE(f->suffix.size(), 2u);
        EXPECT_EQ(f->suffix[0], '.');
        // Containers are recognised by their suffix in any letter case: the list holds it in lower case.
        EXPECT_TRUE(IsLower(f->suffix) && IsLower(f->name));
        EXPECT_EQ(container::FindFormat(Upper(f->suffix)), f);
        EXPECT_EQ(container::FindFormatNamed(Upper(f->name)), f);
        EXPECT_EQ(f->mimeType, "application/x-ombrix-" + std::string(f->name));
        EXPECT_FALSE(f->mimeComment.empty());
        for (std::string_view m : f->magic) EXPECT_FALSE(m.empty());
    }
    EXPECT_EQ(container::FindFormat(".none"), nullptr);
    EXPECT_EQ(container::FindFormatNamed(""), nullptr);
}

TEST(FormatsTest, TextsAreThereAndTheirNamesClosed) {
    for (const Format* f : Formats()) {
        SCOPED_TRACE(f->suffix);
        const std::pair<const char*, std::string_view> texts[] = {
            {"label", f->label}, {"about", f->about},   {"naming", f->naming},       {"restoring", f->restoring},
            {"help", f->help},   {"manual", f->manual}, {"appStream", f->appStream},
        };
        for (const auto& [what, text] : texts) {
            SCOPED_TRACE(what);
            EXPECT_FALSE(text.empty());
            EXPECT_EQ(std::count(text.begin(), text.end(), '`') % 2, 0) << "an unclosed `name`";
            EXPECT_EQ(text.find("\n\n\n"), text.npos);
            EXPECT_NE(text.back(), '\n');
        }
    }
}

TEST(FormatsTest, DrawingIsThere) {
    for (const Format* f : Formats()) {
        SCOPED_TRACE(f->suffix);
        std::ifstream in(std::string(OMBRIX_SOURCE_DIR) + "/" + std::string(f->iconDrawing));
        ASSERT_TRUE(in) << f->iconDrawing;
        std::stringstream drawing;
        drawing << in.rdbuf();
        EXPECT_NE(drawing.str().find("<svg"), std::string::npos);
    }
}

// What the list says a codec does is what the codec does.
TEST(FormatsTest, FactsAreTheCodecs) {
    container::Codecs codecs;
    for (const Format* f : Formats()) {
        SCOPED_TRACE(f->suffix);
        std::unique_ptr<container::Codec> codec = f->make();
        const container::NameParts parts = codec->ContainerName("report.txt", "report");
        const std::string name = parts.stem + parts.tail;
        EXPECT_TRUE(container::IsContainerName(name)) << name;
        EXPECT_EQ(container::FindFormat(name.substr(name.size() - f->suffix.size())), f);
        ASSERT_NE(codecs.ForExtension(f->suffix.substr(1)), nullptr);
        EXPECT_EQ(&codecs.ForNewContainers(f->suffix), codecs.ForExtension(f->suffix.substr(1)));

        EXPECT_EQ(codec->PasswordRefusal("report.txt", "").empty(), !f->refusesEmptyPassword);
        EXPECT_EQ(codec->PasswordRefusal("report.txt", "pw"), "");

        // A container starts with one of its signatures, when the format has any.
        const std::string container = Written(*codec, "report.txt", "pw");
        if (!f->magic.empty()) {
            bool signed_ = false;
            for (std::string_view m : f->magic) signed_ |= container.compare(0, m.size(), m) == 0;
            EXPECT_TRUE(signed_);
        }
        // The terminators it names are the ones its header holds.
        EXPECT_EQ(f->nameTerminator.empty(), f->passwordTerminator.empty());
        if (!f->nameTerminator.empty()) {
            EXPECT_NE(container.find(f->nameTerminator), std::string::npos);
            EXPECT_NE(container.find(f->passwordTerminator), std::string::npos);
        }
    }
    ASSERT_NE(container::FormatWithTerminators(), nullptr);
}

}  // namespace
}  // namespace ombrix::test
