#include "support/file_io.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <algorithm>
#include <filesystem>
#include <functional>
#include <vector>

#include "support/errors.h"
#include "test_support/temp_dir.h"

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#endif

namespace kvr {
namespace {

namespace fs = std::filesystem;

class FileIo : public ::testing::Test {
protected:
    // Names in the folder besides the given ones: leftover temporary files.
    std::vector<std::string> OtherEntries(std::initializer_list<std::string> expected) const {
        std::vector<std::string> others;
        for (const auto& entry : fs::directory_iterator(dir_.Path())) {
            const std::string name = entry.path().filename().string();
            if (std::find(expected.begin(), expected.end(), name) == expected.end()) others.push_back(name);
        }
        return others;
    }

    test::TempDir dir_;
};

std::string MessageOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const EFileError& e) {
        return e.what();
    }
    return "no EFileError";
}

TEST_F(FileIo, ReadsEveryByte) {
    std::string bytes;
    for (int i = 0; i < 200000; ++i) bytes.push_back(static_cast<char>(i * 7));
    const std::string path = dir_.Write("data.bin", bytes);
    EXPECT_EQ(ReadWholeFile(path), bytes);
    EXPECT_EQ(ReadWholeFile(dir_.Write("empty.bin", "")), "");
}

TEST_F(FileIo, ReadingAMissingFileNamesItAndTheReason) {
    const std::string path = dir_.File("missing.bin");
    EXPECT_EQ(MessageOf([&] { ReadWholeFile(path); }),
              "Cannot open file \"" + path + "\". " + std::strerror(ENOENT));
}

TEST_F(FileIo, ReadingAFolderFails) {
    const std::string path = dir_.Path().string();
    EXPECT_EQ(MessageOf([&] { ReadWholeFile(path); }).rfind("Cannot open file \"" + path + "\". ", 0), 0u);
}

TEST_F(FileIo, ReplaceCreatesAndReplaces) {
    const std::string path = dir_.File("table.bin");
    ReplaceFileAtomically(path, "first");
    EXPECT_EQ(ReadWholeFile(path), "first");
    ReplaceFileAtomically(path, std::string("second\0with a zero", 18));
    EXPECT_EQ(ReadWholeFile(path), std::string("second\0with a zero", 18));
    ReplaceFileAtomically(path, "");
    EXPECT_EQ(ReadWholeFile(path), "");
    EXPECT_TRUE(OtherEntries({"table.bin"}).empty());
}

#ifndef _WIN32
TEST_F(FileIo, ReplaceKeepsThePermissionsOfTheOldFile) {
    const std::string path = dir_.Write("table.bin", "old");
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ReplaceFileAtomically(path, "new");
    EXPECT_EQ(fs::status(path).permissions(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

// A file size limit makes the write of the temporary file itself fail, even for
// root, which a read-only folder would not stop.
TEST_F(FileIo, AFailedWriteKeepsTheOldFileAndRemovesTheTemporaryFile) {
    const std::string path = dir_.Write("table.bin", "old contents");
    const std::string big(1 << 20, 'x');
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 4096;
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const std::string message = MessageOf([&] { ReplaceFileAtomically(path, big); });
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(message, "Cannot create file \"" + path + "\". " + std::strerror(EFBIG));
    EXPECT_EQ(ReadWholeFile(path), "old contents");
    EXPECT_TRUE(OtherEntries({"table.bin"}).empty());
}
#endif

TEST_F(FileIo, ReplacingAFolderLeavesItAndNoTemporaryFile) {
    const std::string path = dir_.File("target");
    fs::create_directory(path);
    dir_.Write("target/inside.txt", "kept");
    const std::string message = MessageOf([&] { ReplaceFileAtomically(path, "new"); });
    EXPECT_EQ(message.rfind("Cannot create file \"" + path + "\". ", 0), 0u) << message;
    EXPECT_TRUE(fs::is_directory(path));
    EXPECT_EQ(test::TempDir::Read(dir_.File("target/inside.txt")), "kept");
    EXPECT_TRUE(OtherEntries({"target"}).empty());
}

TEST_F(FileIo, ReplaceInAMissingFolderFails) {
    const std::string path = dir_.File("no-such-folder/table.bin");
    EXPECT_EQ(MessageOf([&] { ReplaceFileAtomically(path, "new"); }),
              "Cannot create file \"" + path + "\". " + std::strerror(ENOENT));
    EXPECT_TRUE(OtherEntries({}).empty());
}

TEST_F(FileIo, ReplaceBelowAFileFailsAndKeepsIt) {
    const std::string parent = dir_.Write("plain.txt", "old");
    const std::string path = parent + "/table.bin";
    EXPECT_EQ(MessageOf([&] { ReplaceFileAtomically(path, "new"); }).rfind("Cannot create file \"" + path + "\". ", 0),
              0u);
    EXPECT_EQ(ReadWholeFile(parent), "old");
    EXPECT_TRUE(OtherEntries({"plain.txt"}).empty());
}

TEST_F(FileIo, FileExists) {
    EXPECT_TRUE(FileExists(dir_.Write("a.txt", "x")));
    EXPECT_FALSE(FileExists(dir_.File("b.txt")));
    EXPECT_FALSE(FileExists(dir_.Path().string()));
    EXPECT_FALSE(FileExists(""));
}

}  // namespace
}  // namespace kvr
