#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "document/Document.h"
#include "io/FileIO.h"
#include "support/TempDir.h"

using pf::Document;
namespace fs = std::filesystem;

namespace {

Document bigDocument() {
    std::string bytes;
    for (int i = 0; i < 20000; ++i) bytes += "        <Prm" + std::to_string(i % 10) + ">123</Prm>\n";
    return Document::fromBytes(bytes);
}

}  // namespace

TEST(DocumentSave, FailuresLeaveTheTargetAndFolderAsTheyWereAndGiveTheReason) {
    pf::test::TempDir dir;
    const Document doc = Document::fromBytes("new\n");
    fs::create_directory(dir / "folder");
    fs::create_symlink("loop-b", dir / "loop-a");
    fs::create_symlink("loop-a", dir / "loop-b");
    const std::pair<fs::path, std::string> cases[] = {
        {dir / "no-such-folder" / "out.g5a", "No such file or directory"},
        {dir / "folder", "Is a directory"},
        {dir / "", "Is a directory"},
        {dir / "loop-a", "Too many levels of symbolic links"},
        {dir / (std::string(252, 'n') + ".g5a"), "File name too long"},
    };
    for (const auto& [target, reason] : cases) {
        const size_t before = pf::test::entryCount(dir.path());
        std::string error;
        EXPECT_FALSE(doc.save(target, &error)) << target;
        EXPECT_EQ(error, "Cannot create file " + target.string() + ": " + reason);
        EXPECT_EQ(pf::test::entryCount(dir.path()), before);
        EXPECT_TRUE(fs::is_empty(dir / "folder"));
    }
}

// The temporary file beside the target has a short name of its own, so every name the file
// system takes can be written, up to the longest.
TEST(DocumentSave, TheLongestNamesTheFileSystemAcceptsAreWritten) {
    pf::test::TempDir dir;
    for (size_t length : {200, 248, 251, 255}) {
        const fs::path target = dir / (std::string(length - 4, 'n') + ".g5a");
        std::string error;
        EXPECT_TRUE(Document::fromBytes("new").save(target, &error)) << length << ": " << error;
        EXPECT_EQ(pf::test::readFile(target), "new\r\n");
    }
    EXPECT_EQ(pf::test::entryCount(dir.path()), 4u);
}

// A write cut short midway (the file-size limit of a child process) leaves the old target
// byte-identical and removes the temporary file.
TEST(DocumentSave, WriteCutShortMidwayLeavesTheOldFileWhole) {
    pf::test::TempDir dir;
    const fs::path target = dir / "group.g5a";
    pf::test::writeFile(target, "old contents\r\n");
    const Document doc = bigDocument();

    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit{4096, 4096};
        setrlimit(RLIMIT_FSIZE, &limit);
        std::string error;
        bool ok = doc.save(target, &error);
        _exit(!ok && error == "Cannot create file " + target.string() + ": File too large" ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(pf::test::readFile(target), "old contents\r\n");
    EXPECT_EQ(pf::test::entryCount(dir.path()), 1u);
}

TEST(DocumentSave, ReplacesAnExistingFileKeepingItsModeAndWritesThroughLinks) {
    pf::test::TempDir dir;
    const fs::path real = dir / "real.b3a";
    pf::test::writeFile(real, "old\n");
    fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::create_symlink(real, dir / "link.b3a");
    ASSERT_TRUE(Document::fromBytes("new").save(dir / "link.b3a"));
    EXPECT_TRUE(fs::is_symlink(dir / "link.b3a"));
    EXPECT_EQ(pf::test::readFile(real), "new\r\n");
    EXPECT_EQ(fs::status(real).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(pf::test::entryCount(dir.path()), 2u);
}

// SIGINT, SIGTERM or SIGHUP during a save: the temporary file goes, the old target stays whole
// and the program ends with 128 + the signal's number.
TEST(DocumentSave, AnInterruptedSaveLeavesNoTemporaryFileAndTheOldTargetWhole) {
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        pf::test::TempDir dir;
        const fs::path target = dir / "group.g5a";
        pf::test::writeFile(target, "old contents\r\n");
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            pf::io::removeTemporaryFilesOnInterrupt();
            pf::io::writeFileAtomically(target, [&](int fd) {
                pf::io::writeAll(fd, "half written", 12);
                ::raise(signal);
                return true;
            });
            _exit(0);
        }
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFEXITED(status)) << signal;
        EXPECT_EQ(WEXITSTATUS(status), 128 + signal);
        EXPECT_EQ(pf::test::readFile(target), "old contents\r\n");
        EXPECT_EQ(pf::test::entryCount(dir.path()), 1u);
    }
}
