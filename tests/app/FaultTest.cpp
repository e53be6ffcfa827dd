// The window when files go wrong: saves cancelled, failing or cut short midway, loads
// cancelled or failing, odd files, and which buffer a later Process works on after each.
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

#include "AppTestSupport.h"
#include "support/SavedBytes.h"

namespace pf::test {
namespace {

using Faults = WindowTest;

// Limits the size of files this process writes while it lives; writes past it fail with
// EFBIG instead of ending the process.
struct FileSizeLimit {
    explicit FileSizeLimit(rlim_t bytes) {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &saved);
        const rlimit limit{bytes, saved.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &saved); }
    rlimit saved{};
};

TEST_F(Faults, CancelledFailedAndCutShortSavesKeepTheEditsCaptionAndOldFile) {
    load(exampleFile("evening-set.g5a"));
    tick("ckampgain");
    find<QSpinBox>("spinampgain")->setValue(77);
    process();  // cancelled
    const std::string edited = savedBytes(window->document());
    EXPECT_EQ(edited, processed(exampleBytes("evening-set.g5a"), window->choices())) << "the buffer holds the edits";
    TempDir dir;
    const auto target = dir / "kept.g5a";
    writeFile(target, "the file as it was\r\n");
    std::filesystem::create_directory(dir / "a-folder.g5a");
    process(qpath(dir / "a-folder.g5a"));
    {
        FileSizeLimit limit(1024);
        process(qpath(target));
    }
    ASSERT_EQ(desktop.boxes.size(), 2);
    for (const auto& [box, text] :
         {std::pair{desktop.boxes[0], qpath(dir / "a-folder.g5a") + QStringLiteral(": Is a directory")},
          {desktop.boxes[1], qpath(target) + QStringLiteral(": File too large")}}) {
        EXPECT_EQ(box.kind + box.title, QStringLiteral("errorThe Presetforger 2000"));
        EXPECT_EQ(box.text, QStringLiteral("Cannot create file ") + text);
    }
    EXPECT_EQ(readFile(target), "the file as it was\r\n");
    EXPECT_EQ(entryCount(dir.path()), 2u) << "no temporary file left behind";
    EXPECT_EQ(window->windowTitle(), caption("evening-set.g5a"));

    // Each Process went on from the buffer before it; the next one saves the result whole.
    const std::string before = savedBytes(window->document());
    EXPECT_EQ(before, processed(processed(edited, window->choices()), window->choices()));
    process(qpath(target));
    EXPECT_EQ(readFile(target), processed(before, window->choices()));
    EXPECT_EQ(window->windowTitle(), caption("kept.g5a"));
}

TEST_F(Faults, ASaveIntoAMissingFolderIsRefusedAndAskedAgainWithNothingWritten) {
    load(exampleFile("evening-set.g5a"));
    tick("ckampgain");
    TempDir dir;
    const QString missing = qpath(dir / "no-such-folder" / "out.g5a");
    desktop.answers = {missing, {}};  // refused, then the dialog asked again is cancelled
    window->butprocessClick();
    ASSERT_EQ(desktop.requests.size(), 3);
    EXPECT_TRUE(desktop.requests[2].save);
    EXPECT_EQ(desktop.requests[2].selectedFile, QStringLiteral("out.g5a")) << "the typed name is offered again";
    ASSERT_EQ(desktop.boxes.size(), 1);
    EXPECT_EQ(desktop.boxes[0].kind + desktop.boxes[0].title, QStringLiteral("errorThe Presetforger 2000"));
    EXPECT_EQ(desktop.boxes[0].text, QStringLiteral("Cannot create file %1: its folder does not exist").arg(missing));
    EXPECT_EQ(entryCount(dir.path()), 0u) << "nothing written, no folder made";
    // As after a cancelled save: the buffer holds the edits, the caption names the loaded file.
    const std::string edited = processed(exampleBytes("evening-set.g5a"), window->choices());
    EXPECT_EQ(savedBytes(window->document()), edited);
    EXPECT_EQ(window->windowTitle(), caption("evening-set.g5a"));

    desktop.answers = {missing, qpath(dir / "out.g5a")};
    window->butprocessClick();
    EXPECT_EQ(readFile(dir / "out.g5a"), processed(edited, window->choices()));
    EXPECT_EQ(window->windowTitle(), caption("out.g5a"));
}

TEST_F(Faults, CancelledAndFailedLoadsChangeNothingAndProcessWorksOnThePreviousDocument) {
    load(QStringLiteral("/nonexistent/folder/x.b3a"));  // as the first load: the start state stays
    ASSERT_EQ(desktop.boxes.size(), 1);
    EXPECT_EQ(desktop.boxes[0].kind + desktop.boxes[0].title, QStringLiteral("errorThe Presetforger 2000"));
    EXPECT_EQ(desktop.boxes[0].text, QStringLiteral("Cannot open file /nonexistent/folder/x.b3a: No such file or directory"));
    EXPECT_EQ(prompt(), QStringLiteral("Click LOAD to begin."));
    EXPECT_FALSE(find("butprocess")->isEnabled());
    EXPECT_EQ(visibleTabs(tabs()), QStringList{"splash"});
    EXPECT_EQ(window->modelCode(), "");

    load(exampleFile("low-end.b3a"));
    tick("ckB3ampmix");
    TempDir dir;
    // A name typed in the dialog that does not exist, a file removed between the dialog and
    // the read, a named pipe (refused at once, never waited on), a folder picked as a file, and
    // a cancelled dialog.
    writeFile(dir / "vanished.g5a", "  <Module9>\r\n");
    std::filesystem::remove(dir / "vanished.g5a");
    std::filesystem::create_directory(dir / "folder.g3xa");
    ASSERT_EQ(::mkfifo((dir / "pipe.g5a").c_str(), 0600), 0);
    desktop.boxes.clear();
    for (const auto& bad : {dir / "typed-name.g5a", dir / "vanished.g5a", dir / "pipe.g5a", dir / "folder.g3xa"})
        load(qpath(bad));
    load({});
    ASSERT_EQ(desktop.boxes.size(), 4);
    EXPECT_EQ(desktop.boxes[2].text, QStringLiteral("Cannot open file ") + qpath(dir / "pipe.g5a") +
                                         QStringLiteral(": not a regular file"));
    EXPECT_EQ(desktop.boxes[3].text, QStringLiteral("Cannot open file ") + qpath(dir / "folder.g3xa") + QStringLiteral(": Is a directory"));
    EXPECT_EQ(desktop.requests.back().selectedFile, qpath(dir / "folder.g3xa")) << "the last path is offered";
    EXPECT_EQ(savedBytes(window->document()), exampleBytes("low-end.b3a"));
    EXPECT_EQ(window->modelCode(), "b3");
    EXPECT_EQ(window->windowTitle(), caption("low-end.b3a"));
    EXPECT_TRUE(find<QCheckBox>("ckB3ampmix")->isChecked());
    EXPECT_FALSE(find("ckpatchexppedal")->isHidden());
    process(qpath(dir / "out.b3a"));
    EXPECT_EQ(readFile(dir / "out.b3a"), processed(exampleBytes("low-end.b3a"), window->choices()));
}

TEST_F(Faults, OddFilesLoadProcessAndSave) {
    TempDir dir;
    std::string big(20 * 1024 * 1024, 'x');
    big.replace(1000, 23, "        <Prm1>27</Prm1>");
    big[10] = '\0';
    const struct { const char* name; std::string bytes, saved; } kFiles[] = {
        {"empty.g5a", "", ""},
        {"no-break.g5a", "        <Prm1>27</Prm1>", "        <Prm1>27</Prm1>\r\n"},
        {"nul.g5a", std::string("a\0b\r\n", 5), std::string("a\0b\r\n", 5)},
        {"one-line.g5a", big, big + "\r\n"},
    };
    for (const auto& f : kFiles) {
        writeFile(dir / f.name, f.bytes);
        load(qpath(dir / f.name));
        EXPECT_TRUE(desktop.boxes.isEmpty()) << f.name;
        tick("ckmisclevel");  // Prm4 three lines below: never there
        process(qpath(dir / (std::string("out-") + f.name)));
        EXPECT_EQ(readFile(dir / (std::string("out-") + f.name)), f.saved) << f.name;
    }
}

}  // namespace
}  // namespace pf::test
