#include "platform/DiskKitUtils.h"

#include "app/ZubrikErrors.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

using namespace NSDiskKitUtils;
namespace fs = std::filesystem;

namespace {

std::string Contents(const TFilePath& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void Put(const TFilePath& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

} // namespace

TEST(DiskKit, PathsAndReferences)
{
    TFilePath folder;
    std::string name;
    SplitPath("/a/b/Kick.wav", folder, name);
    EXPECT_EQ(folder, TFilePath("/a/b"));
    EXPECT_EQ(name, "Kick.wav");
    EXPECT_EQ(MakePath("/a/b", "Kick.L"), TFilePath("/a/b/Kick.L"));
    EXPECT_THROW(MakePath("/a", "x/y"), std::invalid_argument);

    TFilePath path = TFilePath(NSTestSupport::TemporaryFolder()) / "Loop.zx2";
    std::string reference = GetReference(path);
    EXPECT_EQ(MakeFromReference(reference), path);
    EXPECT_THROW(MakeFromReference(""), std::invalid_argument);
    EXPECT_THROW(MakeFromReference(std::string(4097, '/')), std::invalid_argument);
    EXPECT_THROW(MakeFromReference("relative/name"), NSZubrik::XBrokenAlias);
}

TEST(DiskKit, CreateOpenReadWrite)
{
    TFilePath path = TFilePath(NSTestSupport::TemporaryFolder()) / "data.bin";
    EXPECT_FALSE(FileExists(path));
    EXPECT_THROW(OpenFile(path, NSDiskKit::EOpenMode::kRead), NSZubrik::XResultingItemNotFound);

    CreateFile(path, MakeFourCC("WAVE"));
    EXPECT_TRUE(FileExists(path));
    NSDiskKit::TFourCC type = 0, creator = 0;
    ASSERT_EQ(GetDiskKit().GetTypeAndCreator(path, type, creator), NSDiskKit::kSuccess);
    if (type != 0) {  // kept only where the file system has extended attributes
        EXPECT_EQ(type, MakeFourCC("WAVE"));
        EXPECT_EQ(creator, kCreatorCode);
    }

    auto file = OpenFile(path, NSDiskKit::EOpenMode::kReadWrite);
    CMediaBridge media(*file);
    NSTambor::WriteU32BE(media, 0x01020304);
    media.WriteAt(10, 2, "xy");
    EXPECT_EQ(media.GetSize(), 12);
    char bytes[2] = {};
    media.ReadAt(10, 2, bytes);
    EXPECT_EQ(std::string(bytes, 2), "xy");
    EXPECT_EQ(media.GetPosition(), 12);
    EXPECT_THROW(media.ReadAt(11, 2, bytes), NSZubrik::XRead);
    EXPECT_EQ(file->Close(), NSDiskKit::kSuccess);
    EXPECT_EQ(file->Close(), NSDiskKit::kIllegalCallSequence);

    COpenReadFileBridge reader(path);
    EXPECT_EQ(reader.GetSize(), 12);
    EXPECT_EQ(NSTambor::ReadU32BE(reader), 0x01020304u);
    EXPECT_THROW(reader.WriteAt(0, 1, "z"), NSZubrik::XWrite);

    DeleteFile(path);
    EXPECT_FALSE(FileExists(path));
    EXPECT_THROW(COpenReadFileBridge(fs::path(path).parent_path()), NSZubrik::XResultingItemNotFound);
}

TEST(DiskKit, PreferencesFolderFollowsTheUsersConfiguration)
{
    std::string saved = std::getenv("XDG_CONFIG_HOME") ? std::getenv("XDG_CONFIG_HOME") : "";
    std::string home = NSTestSupport::TemporaryFolder();
    setenv("XDG_CONFIG_HOME", home.c_str(), 1);
    TFilePath folder = GetPreferencesFolder();
    EXPECT_EQ(folder, TFilePath(home) / "Zubrik Audio" / "Zubrik");
    EXPECT_TRUE(fs::is_directory(folder));

    unsetenv("XDG_CONFIG_HOME");
    std::string savedHome = std::getenv("HOME") ? std::getenv("HOME") : "";
    setenv("HOME", home.c_str(), 1);
    EXPECT_EQ(GetPreferencesFolder(), TFilePath(home) / ".config" / "Zubrik Audio" / "Zubrik");
    setenv("HOME", savedHome.c_str(), 1);
    if (!saved.empty()) setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
}

TEST(DiskKit, SafeWriterReplacesOnlyOnCommit)
{
    TFilePath folder = NSTestSupport::TemporaryFolder();
    TFilePath target = folder / "Song.zx2";
    Put(target, "old");
    {
        CSafeFileWriter writer(target, MakeFourCC("ZBX2"));
        NSTambor::WriteBytes(writer.GetMedia(), 3, "new");
        EXPECT_EQ(Contents(target), "old");
    }  // abandoned: the target stays, the temporary file goes
    EXPECT_EQ(Contents(target), "old");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), {}), 1);

    CSafeFileWriter writer(target, MakeFourCC("ZBX2"));
    NSTambor::WriteBytes(writer.GetMedia(), 7, "new one");
    writer.Commit();
    EXPECT_EQ(Contents(target), "new one");
    EXPECT_FALSE(fs::exists(writer.GetTemporary()));
    EXPECT_THROW(writer.Commit(), NSZubrik::XIllegalCallSequence);

    EXPECT_THROW(CSafeFileWriter(folder / "missing" / "x", 0), NSZubrik::XCreateFailed);
}

// The writer's media gathers small writes: patches among them, writes
// elsewhere, reads back and whole blocks must all give the bytes written.
TEST(DiskKit, GatheredWritesReachTheFileInTheirPlaces)
{
    TFilePath folder = NSTestSupport::TemporaryFolder();
    TFilePath target = folder / "Gathered.bin";
    std::string expected(CMediaBridge::kBlockBytes + 5000, '\0');
    CSafeFileWriter writer(target, MakeFourCC("ZBX2"));
    NSTambor::CMedia& media = writer.GetMedia();
    for (int32_t at = 0; at + 10 <= int32_t(expected.size()); at += 10) {
        const std::string piece = std::to_string(1000000000 + at).substr(0, 10);
        media.WriteAt(at, 10, piece.data());
        expected.replace(size_t(at), 10, piece);
        if (at % 4000 == 0) {  // a size patched into what was just written
            media.WriteAt(at + 2, 3, "abc");
            expected.replace(size_t(at) + 2, 3, "abc");
        }
    }
    media.WriteAt(4, 2, "XY");  // far behind the gathered bytes
    expected.replace(4, 2, "XY");
    char back[6] = {};
    media.ReadAt(0, 6, back);
    EXPECT_EQ(std::string(back, 6), expected.substr(0, 6));
    const std::string block(CMediaBridge::kBlockBytes, 'B');
    media.WriteAt(int32_t(expected.size()), int32_t(block.size()), block.data());
    expected += block;
    writer.Commit();
    EXPECT_EQ(Contents(target), expected);
}

// The files of one job reach their targets together, at one point of no
// return: before it every target is as it was, past it every file is in place.
TEST(DiskKit, WriteTransactionMovesAllFilesOrNone)
{
    const TFilePath folder = NSTestSupport::TemporaryFolder();
    const auto write = [&](const char* name, const std::string& text) {
        CSafeFileWriter writer(folder / name, MakeFourCC("TEXT"));
        writer.GetMedia().WriteAt(0, int32_t(text.size()), text.data());
        writer.Commit();
    };
    Put(folder / "a", "old a");
    {
        CWriteTransaction transaction;
        write("a", "new a");
        write("b", "new b");
        EXPECT_EQ(Contents(folder / "a"), "old a");
        // The job's last check calls it off: nothing moves.
        EXPECT_THROW(transaction.Commit([] { throw NSZubrik::XUserPressedStop(); }), NSZubrik::XUserPressedStop);
    }
    EXPECT_EQ(Contents(folder / "a"), "old a");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), {}), 1) << "only the old file remains";

    bool stopAfterCheck = false;
    {
        CWriteTransaction transaction;
        write("a", "new a");
        write("b", "new b");
        // A stop that arrives once the check has passed changes nothing.
        transaction.Commit([&] { stopAfterCheck = true; });
    }
    EXPECT_TRUE(stopAfterCheck);
    EXPECT_EQ(Contents(folder / "a"), "new a");
    EXPECT_EQ(Contents(folder / "b"), "new b");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), {}), 2);
}
