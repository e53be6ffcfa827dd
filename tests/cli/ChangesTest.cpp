// The diff and JSON forms of a run's changes: the diff as "diff -u" prints it for the same two
// texts, and JSON strings valid whatever the bytes.
#include <gmock/gmock.h>

#include "cli/Changes.h"
#include "text/Escape.h"
#include "document/Document.h"
#include "support/TempDir.h"

using namespace pf;
using namespace pf::test;

namespace {

// What "diff -u" prints for two texts under the given labels.
std::string systemDiff(const std::string& a, const std::string& b) {
    TempDir dir;
    writeFile(dir / "a", a);
    writeFile(dir / "b", b);
    const std::string command = "diff -u --label a/in --label b/out " + (dir / "a").string() + " " +
                                (dir / "b").string() + " > " + (dir / "d").string();
    const int status = std::system(command.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) <= 1) << command;
    return readFile(dir / "d");
}

}  // namespace

// Hunks at both ends, changes whose contexts just meet (six equal lines between) or just miss
// (seven), runs of changed lines, a line changed twice or back to its text, and an input
// without a final line break.
TEST(UnifiedDiff, EqualsWhatDiffPrintsForTheSameTwoTexts) {
    const struct Case {
        const char* name;
        std::vector<size_t> changed;
        bool finalBreak = true;
    } kCases[] = {
        {"first and last line", {0, 19}},
        {"six equal lines between: one hunk", {5, 12}},
        {"seven equal lines between: two hunks", {5, 13}},
        {"a run of changes", {3, 4, 5, 9}},
        {"no final break, change far above", {2}, false},
        {"no final break, change next to it", {17}, false},
        {"no final break, nothing else", {}, false},
        {"nothing changed", {}},
    };
    auto rewrite = [](size_t line, std::string before, std::string after) {
        RecordedEdit e;
        e.line = line;
        e.before = std::move(before);
        e.after = std::move(after);
        return e;
    };
    for (const auto& c : kCases) {
        std::vector<std::string> lines;
        for (int i = 0; i < 20; ++i) lines.push_back("        <Prm" + std::to_string(i) + ">" + std::to_string(i) + "</Prm>");
        std::string input;
        for (const auto& l : lines) input += l + "\n";
        if (!c.finalBreak) input.pop_back();
        Document doc = Document::fromBytes(input);
        EditRecord record;
        for (size_t i : c.changed) {
            record.push_back(rewrite(i, lines[i], "x"));
            record.push_back(rewrite(i, "x", lines[i] + " new"));
            doc.setLine(i, lines[i] + " new");
        }
        record.push_back(rewrite(10, lines[10], lines[10]));  // rewritten to the same text
        std::string output;
        for (size_t i = 0; i < doc.lineCount(); ++i) output += std::string(doc.line(i)) + "\n";
        EXPECT_EQ(cli::unifiedDiff(doc, doc.endedWithLineBreak(), record, "in", "out"), systemDiff(input, output))
            << c.name;
    }
}

TEST(JsonString, EscapesWhatJsonNeedsAndEveryByteThatIsNotUtf8) {
    const struct { std::string text, json; } kCases[] = {
        {"plain", "\"plain\""},
        {"q\"b\\s/", "\"q\\\"b\\\\s/\""},
        {std::string("\n\r\t\0\x1f\x7f", 6), "\"\\n\\r\\t\\u0000\\u001f\x7f\""},
        {"Gr\xc3\xbc\xc3\x9f" "e \xf0\x9f\x8e\xb8 \xc2\x9b", "\"Gr\xc3\xbc\xc3\x9f" "e \xf0\x9f\x8e\xb8 \xc2\x9b\""},
        {"\xff\xfe \xc3( \xed\xa0\x80", "\"\\u00ff\\u00fe \\u00c3( \\u00ed\\u00a0\\u0080\""},
    };
    for (const auto& c : kCases) EXPECT_EQ(jsonString(c.text), c.json) << c.json;
}
