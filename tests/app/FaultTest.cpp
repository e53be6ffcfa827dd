// The window when files go wrong: a save cut short midway, loads of files that vanished or
// are folders, odd files, and which buffer a later Process works on after each.
#include <QCheckBox>
#include <QSpinBox>
#include <csignal>
#include <filesystem>
#include <sys/resource.h>

#include "AppTestSupport.h"
#include "catalogue/Catalogue.h"
#include "document/Document.h"
#include "engine/Process.h"
#include "support/TempDir.h"

namespace pf::test {
namespace {

using Faults = WindowTest;

// Limits the size of files this process writes while it lives; writes past it fail with
// EFBIG instead of ending the process.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{bytes, saved_.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previous_);
    }

private:
    rlimit saved_{};
    void (*previous_)(int) = nullptr;
};

std::string bytesOf(const char* example) { return readFile(PF_SOURCE_DIR "/examples/" + std::string(example)); }

// What the engine makes of `bytes` with the window's present choices.
std::string processed(std::string bytes, const pf::Choices& choices) {
    pf::Document doc = pf::Document::fromBytes(bytes);
    pf::process(doc, pf::Catalogue::open(PF_BUILD_DIR "/Presetforger2000.ini"), choices);
    return doc.toBytes();
}

TEST_F(Faults, ASaveCutShortMidwayLeavesTheOldFileWholeAndTheEditsInTheBuffer) {
    load(exampleFile("evening-set.g5a"));
    find<QCheckBox>("ckampgain")->setChecked(true);
    find<QSpinBox>("spinampgain")->setValue(77);
    TempDir dir;
    const auto target = dir / "kept.g5a";
    writeFile(target, "the file as it was\r\n");
    const QString path = QString::fromStdString(target.string());
    desktop.answers.push_back(path);
    {
        FileSizeLimit limit(1024);
        form->butprocessClick();
    }
    ASSERT_EQ(desktop.boxes.size(), 1);
    EXPECT_EQ(desktop.boxes[0].text, QStringLiteral("Cannot create file ") + path);
    EXPECT_EQ(readFile(target), "the file as it was\r\n");
    EXPECT_EQ(entryCount(dir.path()), 1u) << "no temporary file left behind";
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Presetforging:  \"evening-set.g5a\""));

    // The next Process works on the edited buffer and saves it whole.
    const std::string edited = form->document().toBytes();
    EXPECT_EQ(edited, processed(bytesOf("evening-set.g5a"), form->choices()));
    desktop.answers.push_back(path);
    form->butprocessClick();
    EXPECT_EQ(readFile(target), processed(edited, form->choices()));
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Presetforging:  \"kept.g5a\""));
}

TEST_F(Faults, ALoadThatFailsLeavesProcessOnThePreviousDocument) {
    load(exampleFile("low-end.b3a"));
    find<QCheckBox>("ckB3ampmix")->setChecked(true);
    TempDir dir;
    // A file removed between the dialog and the read, and a folder picked as a file.
    const auto vanished = dir / "vanished.g5a";
    writeFile(vanished, "  <Module9>\r\n");
    std::filesystem::remove(vanished);
    std::filesystem::create_directory(dir / "folder.g3xa");
    for (const auto& bad : {vanished, dir / "folder.g3xa"}) {
        desktop.boxes.clear();
        load(QString::fromStdString(bad.string()));
        ASSERT_EQ(desktop.boxes.size(), 1);
        EXPECT_EQ(desktop.boxes[0].text, QString::fromStdString("Cannot open file " + bad.string()));
    }
    EXPECT_EQ(form->modelCode(), "b3");
    const auto out = dir / "out.b3a";
    desktop.answers.push_back(QString::fromStdString(out.string()));
    form->butprocessClick();
    EXPECT_EQ(readFile(out), processed(bytesOf("low-end.b3a"), form->choices()));
}

TEST_F(Faults, OddFilesLoadProcessAndSave) {
    TempDir dir;
    std::string big(20 * 1024 * 1024, 'x');
    big.replace(1000, 23, "        <Prm1>27</Prm1>");
    big[10] = '\0';
    const struct {
        const char* name;
        std::string bytes;
        std::string saved;
    } files[] = {
        {"empty.g5a", "", ""},
        {"no-break.g5a", "        <Prm1>27</Prm1>", "        <Prm1>27</Prm1>\r\n"},
        {"nul.g5a", std::string("a\0b\r\n", 5), std::string("a\0b\r\n", 5)},
        {"one-line.g5a", big, big + "\r\n"},
    };
    for (const auto& f : files) {
        writeFile(dir / f.name, f.bytes);
        load(QString::fromStdString((dir / f.name).string()));
        EXPECT_TRUE(desktop.boxes.isEmpty()) << f.name;
        find<QCheckBox>("ckmisclevel")->setChecked(true);  // Prm4 three lines below: never there
        const auto out = dir / (std::string("out-") + f.name);
        desktop.answers.push_back(QString::fromStdString(out.string()));
        form->butprocessClick();
        EXPECT_EQ(readFile(out), f.saved) << f.name;
    }
}

}  // namespace
}  // namespace pf::test
