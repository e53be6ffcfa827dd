#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "document/Document.h"
#include "document/DeviceModels.h"
#include "catalogue/Catalogue.h"
#include "engine/PatchGroup.h"
#include "support/TempDir.h"
#include "support/SavedBytes.h"

using pf::Document;
namespace fs = std::filesystem;

TEST(DocumentLines, LineBreaksAreLfOrCrLfAndALoneCrIsContent) {
    struct Case { std::string bytes; std::vector<std::string> lines; };
    const Case cases[] = {
        {"", {}},
        {"\n", {""}},
        {"a", {"a"}},
        {"a\nb", {"a", "b"}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\rb\r\n\r\nc\n", {"a\rb", "", "c"}},
        {"x\r\r\ny\r", {"x\r", "y\r"}},
        {"\n\n", {"", ""}},
    };
    for (const auto& c : cases) EXPECT_EQ(Document::fromBytes(c.bytes).lines(), c.lines) << c.bytes;
}

TEST(DocumentLines, EveryByteValueSurvivesLoadAndSave) {
    std::string bytes;
    for (int i = 0; i < 256; ++i)
        if (i != '\n' && i != '\r') bytes += static_cast<char>(i);
    bytes += "\r\nlast";  // no final line break
    pf::test::TempDir dir;
    pf::test::writeFile(dir / "in.g5a", bytes);
    Document doc;
    ASSERT_TRUE(doc.load(dir / "in.g5a"));
    ASSERT_EQ(doc.lineCount(), 2u);
    EXPECT_EQ(doc.line(0).size(), 254u);
    ASSERT_TRUE(doc.save(dir / "out.g5a"));
    EXPECT_EQ(pf::test::readFile(dir / "out.g5a"), bytes + "\r\n");
}

TEST(DocumentLines, MixedLineBreaksAreWrittenAsCrLf) {
    pf::test::TempDir dir;
    pf::test::writeFile(dir / "in", "one\ntwo\r\nthr\ree\n");
    Document doc;
    ASSERT_TRUE(doc.load(dir / "in"));
    ASSERT_TRUE(doc.save(dir / "in"));
    EXPECT_EQ(pf::test::readFile(dir / "in"), "one\r\ntwo\r\nthr\ree\r\n");
}

TEST(DocumentText, LineOfPositionAtEdges) {
    Document doc = Document::fromBytes("ab\n\ncde\n");
    // text "ab\n\ncde": positions 0..6
    const size_t expected[] = {0, 0, 0, 1, 2, 2, 2, 2, 2, 2};
    for (size_t p = 0; p < std::size(expected); ++p) EXPECT_EQ(doc.lineOfPosition(p), expected[p]) << p;
    EXPECT_EQ(doc.lineStart(0), 0u);
    EXPECT_EQ(doc.lineStart(1), 3u);
    EXPECT_EQ(doc.lineStart(2), 4u);
    EXPECT_EQ(Document().lineOfPosition(5), 0u);
}

TEST(DocumentText, FindIgnoresAsciiCaseAndStartsAtFrom) {
    Document doc = Document::fromBytes("  <Prm1>27</Prm1>\n        <PRM1>27</prm1>\nxx\xC9<prm1>27</Prm1>");
    const std::string needle = "<Prm1>27</Prm1>";
    const std::string text = doc.text();
    std::vector<size_t> hits;
    for (auto p = doc.find(needle, 0); p; p = doc.find(needle, *p + 1)) hits.push_back(*p);
    EXPECT_EQ(hits, (std::vector<size_t>{2, 26, 45}));
    EXPECT_EQ(doc.lineOfPosition(hits[1]), 1u);
    EXPECT_FALSE(doc.find(needle, 46).has_value());
    EXPECT_FALSE(doc.find("\xE9<prm1>", 0).has_value());  // only ASCII letters fold
    EXPECT_FALSE(doc.find(needle, 1000).has_value());
    EXPECT_FALSE(Document().find("a", 0).has_value());
    // Leading blanks of the needle count like any other character.
    const Document indented = Document::fromBytes("x <Prm1>1 \n  <PRM1>1\na  b   c");
    EXPECT_EQ(indented.find("  <prm1>1", 0), std::optional<size_t>(11));
    EXPECT_EQ(indented.find("   ", 0), std::optional<size_t>(25));
}

TEST(DocumentText, FindAcrossLineBreaksMatchesTheJoinedText) {
    Document doc = Document::fromBytes("abc\nDEF\ngh\nabc\ndef\n");
    EXPECT_EQ(doc.find("c\ndef\ng", 0), std::optional<size_t>(2));
    EXPECT_EQ(doc.find("c\ndef", 3), std::optional<size_t>(13));
    EXPECT_EQ(doc.find("\n", 11), std::optional<size_t>(14));
    EXPECT_FALSE(doc.find("def\n", 14).has_value());  // the last line has no break after it
    EXPECT_EQ(doc.find("h\na", 0), std::optional<size_t>(9));
}

TEST(DocumentText, SetLineKeepsPositionsCurrentAndRefusesOutsideIndices) {
    Document doc = Document::fromBytes("one\ntwo\nthree\n");
    EXPECT_THROW(doc.setLine(3, "x"), std::out_of_range);
    EXPECT_EQ(doc.text(), "one\ntwo\nthree");
    doc.setLine(0, "a much longer first line");
    doc.setLine(1, "");
    EXPECT_EQ(doc.text(), "a much longer first line\n\nthree");
    EXPECT_EQ(doc.lineStart(2), 26u);
    EXPECT_EQ(doc.find("THREE", 0), std::optional<size_t>(26));
    EXPECT_EQ(doc.lineOfPosition(25), 1u);
    EXPECT_EQ(doc.lineCount(), 3u);
}

// Positions stay consistent with the joined text through many random replacements.
TEST(DocumentText, PositionsAgreeWithTheJoinedTextAfterManyReplacements) {
    std::string bytes;
    for (int i = 0; i < 300; ++i) bytes += std::string(static_cast<size_t>(i % 17), 'a' + i % 26) + "\n";
    Document doc = Document::fromBytes(bytes);
    unsigned seed = 12345;
    auto next = [&] { return seed = seed * 1103515245u + 12345u, (seed >> 8); };
    for (int round = 0; round < 400; ++round) {
        doc.setLine(next() % 300, std::string(next() % 23, 'k'));
        if (round % 50 != 0) continue;
        const std::string text = doc.text();
        ASSERT_EQ(doc.textLength(), text.size());
        for (size_t p = 0; p < text.size(); p += 7) {
            size_t line = static_cast<size_t>(std::count(text.begin(), text.begin() + static_cast<long>(p), '\n'));
            ASSERT_EQ(doc.lineOfPosition(p), line) << p;
        }
        auto hit = doc.find("kkkk", 100);
        auto want = text.find("kkkk", 100);
        ASSERT_EQ(hit.value_or(std::string::npos), want);
    }
}

// Rewritten lines live in their own place when they fit (with CR LF, LF only, or an LF of
// their own after a shorter text), else beside the buffer; every way reads back the same
// text, saves the same bytes and keeps positions right, also after moving between the ways.
TEST(DocumentText, RewritesInPlaceOrBesideReadBackAndSaveAsTheyWere) {
    struct Step { long long line; std::string text; };
    auto lines = [](std::string_view line, int n) {
        std::string s;
        for (int i = 0; i < n; ++i) s += line;
        return s;
    };
    const struct { std::string bytes; std::vector<Step> steps; } cases[] = {
        // CR LF lines: same length, one longer (into the CR), shorter, much longer and back.
        {"aaaa\r\nbbbb\r\ncccc\r\n",
         {{0, "AAAA"}, {1, "BBBBB"}, {2, "c"}, {2, "a much longer line than before"}, {2, "cc"}, {1, ""}, {0, "x\r"}}},
        // LF only: one longer must go beside; a text ending in CR keeps its CR.
        {"aaaa\nbbbb\nc\n", {{0, "aaaaa"}, {1, "bbb\r"}, {1, "bbbb\r"}, {2, "\r"}, {0, "a"}}},
        // The last line without a line break, and one with a lone CR at its end.
        {"one\r\ntwo", {{1, "TWO"}, {1, "t"}, {1, "three"}, {1, "tw\r"}}},
        {"x\r\r\ny\r", {{0, "x\r\r"}, {1, "y"}, {1, ""}, {0, "xy"}}},
        // A text holding a line break is one line all the same.
        {"a\nb\n", {{0, "p\nq"}, {1, "r"}, {0, "s"}}},
        {"\n\n\n", {{1, "middle"}, {0, ""}, {2, "end"}, {1, ""}}},
        // Many lines, saved in runs: a text filling a CR LF line's place, and one line of LF alone.
        {lines("aaaa\r\n", 40), {{0, "AAAAA"}, {33, "b"}}},
        {lines("aaaa\r\n", 5) + "e\n" + lines("aaaa\r\n", 40), {{44, "z"}}},
    };
    for (const auto& c : cases) {
        Document doc = Document::fromBytes(c.bytes);
        std::vector<std::string> model = doc.lines();
        for (const auto& step : c.steps) {
            SCOPED_TRACE(::testing::PrintToString(c.bytes) + " line " + std::to_string(step.line) + " = " +
                         ::testing::PrintToString(step.text));
            doc.setLine(static_cast<size_t>(step.line), step.text);
            model[static_cast<size_t>(step.line)] = step.text;
            ASSERT_EQ(doc.lines(), model);
            std::string bytes, text;
            for (const auto& l : model) bytes += l + "\r\n";
            for (size_t i = 0; i < model.size(); ++i) text += (i ? "\n" : "") + model[i];
            EXPECT_EQ(savedBytes(doc), bytes);
            EXPECT_EQ(doc.text(), text);
            EXPECT_EQ(doc.lineStart(model.size() - 1), text.size() - model.back().size());
        }
        // A line given a view of another line of the same document.
        doc.setLine(0, doc.line(model.size() - 1));
        model[0] = model.back();
        EXPECT_EQ(doc.lines(), model);
    }
}

TEST(DocumentLoad, FailedLoadKeepsThePreviousDocumentAndNamesThePathAndReason) {
    pf::test::TempDir dir;
    ASSERT_EQ(::mkfifo((dir / "pipe.g5a").c_str(), 0600), 0);
    const std::pair<fs::path, std::string> cases[] = {
        {dir / "missing.g5a", "No such file or directory"},
        {dir.path(), "Is a directory"},
        {dir / "pipe.g5a", "not a regular file"},  // no writer: opening it must not wait for one
        {"/dev/zero", "not a regular file"},
    };
    Document doc = Document::fromBytes("kept\n");
    for (const auto& [path, reason] : cases) {
        // In a child with an alarm, so a load that blocks fails instead of hanging the suite.
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            alarm(5);
            std::string error;
            const bool refused = !doc.load(path, &error) && doc.text() == "kept";
            _exit(refused && error == "Cannot open file " + path.string() + ": " + reason ? 0 : 1);
        }
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << path << " status " << status;
    }
}

TEST(DocumentLoad, EmptyAndHugeSingleLineFiles) {
    pf::test::TempDir dir;
    pf::test::writeFile(dir / "empty", "");
    Document doc = Document::fromBytes("x\n");
    ASSERT_TRUE(doc.load(dir / "empty"));
    EXPECT_EQ(doc.lineCount(), 0u);
    EXPECT_FALSE(doc.find("x", 0).has_value());

    std::string big(20 * 1024 * 1024, 'p');
    big.replace(big.size() - 20, 15, "<Prm1>27</Prm1>");
    big[1000] = '\0';
    pf::test::writeFile(dir / "big", big);
    ASSERT_TRUE(doc.load(dir / "big"));
    EXPECT_EQ(doc.lineCount(), 1u);
    EXPECT_EQ(doc.find("<PRM1>27</PRM1>", 0), std::optional<size_t>(big.size() - 20));

    // Many short lines around one of 70,000 bytes: every line found where it starts.
    std::vector<std::string> lines;
    for (size_t i = 0; i < 200; ++i) lines.push_back(i == 130 ? std::string(70000, 'w') : std::to_string(i));
    std::string joined;
    for (const std::string& l : lines) joined += l + "\r\n";
    doc = Document::fromBytes(joined);
    EXPECT_EQ(doc.lines(), lines);
}

TEST(ModelCode, ExtensionsByTheTable) {
    struct Case { const char* file; const char* before; const char* after; };
    const Case cases[] = {
        {"/x/set.g5a", "", "g5"},     {"set.g3xa", "g5", "g3x"},     {"a.b.b3a", "g5", "b3"},
        {"set.G5A", "", ""},          {"set.g3a", "b3", "b3"},       {"set", "g3x", "g3x"},
        {".g5a", "", "g5"},           {"/dir.g5a/set", "b3", "b3"},  {"set.g5a.bak", "", ""},
    };
    // A load of `file` after a load of a file of the model `before`.
    const pf::Catalogue none = pf::Catalogue::fromBytes("");
    for (const auto& c : cases) {
        pf::PatchGroup group;
        if (*c.before) group.loadBytes("", "x" + std::string(pf::deviceModel(c.before).extension), none);
        group.loadBytes("", c.file, none);
        EXPECT_EQ(group.model().code, c.after) << c.file;
    }
}
