// The edit session under the Process command: undoing a command whole, and the index that
// answers searches agreeing with a plain search of the text.
#include <gtest/gtest.h>

#include <tuple>

#include "document/Document.h"
#include "engine/EditSession.h"
#include "support/SavedBytes.h"

namespace {

const char* kGroup =
    "  <Module1>\n        <Prm0>1</Prm0>\n        <Prm1>27</Prm1>\n        <Prm2>5</Prm2>\n  </Module1>\n"
    "  <Module9>\n        <Prm0>60</Prm0>\n        <PRM1>27</prm1> and <Prm1>27</Prm1>\n";

// A command that fails part-way leaves the document as it was: every rewritten line is put back.
TEST(EditSession, RollbackPutsBackEveryRewrittenLine) {
    pf::Document doc = pf::Document::fromBytes(kGroup);
    const std::string before = savedBytes(doc);
    pf::EditSession session(doc);
    session.forEachHit("        <Prm1>27</Prm1>", [&](long long line) {
        session.writeParameter(line - 1, 0, "0");
        session.writeParameter(line + 1, 2, "99");
        session.writeParameter(line, 1, "a much longer type id than before");
    });
    ASSERT_NE(savedBytes(doc), before);
    EXPECT_EQ(session.linesChanged(), 5u);
    session.rollback();
    EXPECT_EQ(savedBytes(doc), before);
    EXPECT_EQ(doc.find("before", 0), std::nullopt) << "positions follow the restored lines";
}

// Lines rewritten again, with a longer text, or back to what they were: the changed-line
// count counts the lines that end different, and rollback restores every first text, also of
// lines that were no plain parameter lines.
TEST(EditSession, LinesRewrittenTwiceCountOnceAndRollBackToTheirFirstText) {
    pf::Document doc = pf::Document::fromBytes(
        "  <Module1>\n        <Prm0>1</Prm0>\n        <Prm1>27</Prm1>\n  <PRM2>5</prm2> tail\n"
        "        <Prm3>7</Prm3>\n        <Prm12>300</Prm12>\n        <Prm10>007</Prm10>\n        <Prm11>5</Prm11>\n");
    const std::string before = savedBytes(doc);
    pf::EditSession session(doc);
    session.writeParameter(1, 0, "1");                      // the same text: no change
    session.writeParameter(3, 2, "a value far longer than the line it replaces");
    session.writeParameter(3, 2, "6");
    session.writeParameter(4, 3, "8");
    session.writeParameter(4, 3, "7");                      // back to what it was
    session.writeParameter(2, 1, "28");
    for (const auto& [line, number, first] : {std::tuple{5, 12, "300"}, {6, 10, "007"}}) {
        session.writeParameter(line, number, "9");
        session.writeParameter(line, number, first);  // back to what it was
    }
    session.writeParameter(7, 11, "6");
    EXPECT_EQ(session.editsMade(), 11u);
    EXPECT_EQ(session.linesChanged(), 3u);
    EXPECT_EQ(doc.line(3), "        <Prm2>6</Prm2>");
    session.rollback();
    EXPECT_EQ(savedBytes(doc), before);
    EXPECT_EQ(session.linesChanged(), 0u);
}

// The indexed search and the search of the text find the same hits, also for strings the
// index cannot answer.
TEST(EditSession, IndexedHitsMatchAPlainSearchOfTheText) {
    for (const char* needle : {"        <Prm1>27</Prm1>", "  <module9>", "<Prm1>27", "        <Prm1>2</Prm1>"}) {
        pf::Document doc = pf::Document::fromBytes(kGroup);
        pf::EditSession session(doc);
        std::vector<long long> hits;
        session.forEachHit(needle, [&](long long line) { hits.push_back(line); });
        std::vector<long long> plain;
        for (auto p = doc.find(needle, 0); p; p = doc.find(needle, *p + 1))
            plain.push_back(static_cast<long long>(doc.lineOfPosition(*p)));
        EXPECT_EQ(hits, plain) << needle;
    }
}

}  // namespace

namespace {
using namespace pf;

// The record reads back every rewrite as it was given, whatever the order of lines and
// modules, and a mark taken part way brings it back to exactly that point, later rewrites
// reading as if the ones dropped had never been made.
TEST(EditRecord, ReadsBackEveryRewriteAsGivenAndTruncatesToAMark) {
    auto edit = [](size_t line, long long moduleLine, std::string module, std::string before, std::string after) {
        return RecordedEdit{line, SettingId::AmpGain, Group::Amp, "Gate", moduleLine, std::move(module),
                            std::move(before), std::move(after)};
    };
    const std::vector<RecordedEdit> first = {
        edit(9, 7, "  <Module2>", "        <Prm3>1</Prm3>", "        <Prm3>50</Prm3>"),
        edit(3, 7, "  <Module2>", "\t<prm3>x", ""),
        edit(400000, -1, "", "", "        <Prm2>\xff</Prm2>"),
    };
    const std::vector<RecordedEdit> later = {
        edit(12, 30, "  <Module9>", "a", "b"),  // the module of the rewrite dropped
        edit(2, 1, "  <Module0>", "c", "d"),
    };
    EditRecord record;
    for (const auto& e : first) record.push_back(e);
    const EditRecord::Mark mark = record.mark();
    record.push_back(edit(5, 30, "  <Module9>", "dropped", "dropped"));
    record.truncate(mark);
    for (const auto& e : later) record.push_back(e);

    std::vector<RecordedEdit> expected = first;
    expected.insert(expected.end(), later.begin(), later.end());
    const std::vector<RecordedEdit> got = record.all();
    ASSERT_EQ(got.size(), expected.size());
    for (size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].line, expected[i].line) << i;
        EXPECT_EQ(got[i].moduleLine, expected[i].moduleLine) << i;
        EXPECT_EQ(got[i].module, expected[i].module) << i;
        EXPECT_EQ(got[i].before, expected[i].before) << i;
        EXPECT_EQ(got[i].after, expected[i].after) << i;
        EXPECT_EQ(got[i].type, "Gate");
    }
}

}  // namespace
