#include "engine/files.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "bmp_builder.h"
#include "engine/memory_files.h"
#include "work_dir.h"

namespace zelmar {
namespace {

using files::Reason;
using test::ReadBytes;

class FilesTest : public test::WorkDirTest {
  protected:
    // The names in the test's directory: no new file may be left behind.
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(Dir()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST_F(FilesTest, AnOutputReplacesItsTargetOnlyWhenCommitted) {
    const Bytes old = {'o', 'l', 'd'};
    test::WriteBytes(Path("out.bin"), old);
    {
        files::OutputFile file;
        ASSERT_FALSE(file.Create(Path("out.bin")));
        ASSERT_FALSE(file.Write(Bytes(5000, 1)));
        EXPECT_EQ(ReadBytes(Path("out.bin")), old);  // nothing shows while it is written
    }
    EXPECT_EQ(ReadBytes(Path("out.bin")), old);  // given up: the new file is gone
    EXPECT_EQ(Names(), std::vector<std::string>{"out.bin"});

    ASSERT_FALSE(files::Replace(Path("out.bin"), Bytes{1, 2, 3}));
    EXPECT_EQ(ReadBytes(Path("out.bin")), (Bytes{1, 2, 3}));
    ASSERT_FALSE(files::Replace(Path("new.bin"), Bytes{}));
    EXPECT_EQ(Names(), (std::vector<std::string>{"new.bin", "out.bin"}));
}

TEST_F(FilesTest, EachFailureSaysWhy) {
    std::filesystem::create_directory(Path("dir"));
    test::WriteBytes(Path("file"), Bytes{1});
    Bytes head;
    std::uint64_t size = 0;
    struct Case {
        std::string path;
        Reason reason;
    };
    for (const Case& c :
         {Case{Path("dir"), Reason::kDirectory}, Case{Path("missing"), Reason::kNotFound},
          Case{Path("missing/x.bmp"), Reason::kNotFound},
          Case{Path("file/x.bmp"), Reason::kNotFound}}) {
        EXPECT_EQ(files::ReadPrefix(c.path, 10, head, size).reason, c.reason) << c.path;
        if (c.path != Path("missing")) {
            EXPECT_EQ(files::Replace(c.path, Bytes{1}).reason, c.reason) << c.path;
        }
    }
    EXPECT_EQ(files::Describe({Reason::kDirectory, 0}), "a directory, not a file");
    EXPECT_EQ(files::Describe({Reason::kOther, 1234}), "system error 1234");
    EXPECT_EQ(Names(), (std::vector<std::string>{"dir", "file"}));
}

TEST_F(FilesTest, SameFileByNameOrIdentity) {
    test::WriteBytes(Path("a.bmp"), Bytes{1});
    std::filesystem::create_directory(Path("sub"));
    EXPECT_TRUE(files::SameFile(Path("a.bmp"), "a.bmp"));
    EXPECT_TRUE(files::SameFile(Path("sub/../a.bmp"), Path("a.bmp")));
    EXPECT_TRUE(files::SameFile(Path("new.bin"), "new.bin"));  // neither exists
    EXPECT_FALSE(files::SameFile(Path("a.bmp"), Path("new.bin")));
    EXPECT_FALSE(files::SameFile(Path("new.bin"), Path("sub/new.bin")));
    EXPECT_FALSE(files::SameFile(Path("a.bmp"), Path("sub")));
}

TEST_F(FilesTest, CopyOntoItselfChangesNothing) {
    const Bytes bytes = {'B', 'M', 1, 2, 3};
    test::WriteBytes(Path("a.bmp"), bytes);
    EXPECT_FALSE(files::CopyReplacing(Path("a.bmp"), "a.bmp"));
    EXPECT_EQ(ReadBytes(Path("a.bmp")), bytes);
    std::string failed;
    EXPECT_EQ(files::CopyReplacing(Path("missing.bmp"), Path("b.bmp"), &failed).reason,
              Reason::kNotFound);
    EXPECT_EQ(failed, Path("missing.bmp"));
}

TEST(MemoryFiles, StandsInForTheDisk) {
    files::MemoryFileSystem fs;
    files::ScopedFileSystem scope(fs);
    EXPECT_EQ(files::InCurrentDirectory("Temp.bmp"), files::JoinPath("memory", "Temp.bmp"));
    fs.Put("a", Bytes{1, 2, 3});
    Bytes head;
    std::uint64_t size = 0;
    ASSERT_FALSE(files::ReadPrefix("a", 2, head, size));
    EXPECT_EQ(head, (Bytes{1, 2}));
    EXPECT_EQ(size, 3u);
    EXPECT_EQ(files::ReadPrefix("b", 2, head, size).reason, Reason::kNotFound);

    ASSERT_FALSE(files::CopyReplacing("a", "b"));
    EXPECT_EQ(*fs.Find("b"), (Bytes{1, 2, 3}));
    // Six bytes are taken: a new file of two fits only beside the old one it replaces.
    fs.SetCapacity(8);
    EXPECT_EQ(files::Replace("c", Bytes(3, 0)).reason, Reason::kDiskFull);
    EXPECT_EQ(fs.Find("c"), nullptr);
    ASSERT_FALSE(files::Replace("b", Bytes{9, 9}));
    EXPECT_EQ(*fs.Find("b"), (Bytes{9, 9}));
    ASSERT_FALSE(files::Replace("c", Bytes(3, 0)));  // 3 + 2 + 3

    fs.SetReadOnly(true);
    EXPECT_EQ(files::Replace("d", Bytes{}).reason, Reason::kPermission);
}

}  // namespace
}  // namespace zelmar
