// Process over a file in parts: where a file may be cut, and parts that give the whole run's
// lines or say that they cannot.

#include <optional>

#include "EngineTestSupport.h"
#include "engine/ProcessInParts.h"

using namespace pf;
using namespace pf::test;

TEST(ProcessInParts, AFileIsCutBeforeTheLastLineThatOpensAPatch) {
    const struct { std::string bytes; size_t cut; } cases[] = {
        {"<PatchGroup>\r\n  <Patch Name=\"A\">\r\n  <Module0>\r\n", 14},
        {"x\n  <Patch A>\n  </Patch>\n\t <Patch B>\n", 25},           // the last of two, after blanks and tabs
        {"x\n  <Patch ", 2},                                            // as far as the bytes go
        {"  <Patch A>\r\n  <Module0>\r\n", std::string::npos},          // never before the first line
        {"x\n  <Pat", std::string::npos},                              // "<Patch " not whole yet
        {"x\n<PatchGroup>\n  <patch A>\n", std::string::npos},          // other tags, other letter case
        {"x\n\r  <Patch A>\n", std::string::npos},                     // a CR is no blank
        {"x\n  <Patch A>\r\ny\n", 2},
        {"", std::string::npos},
    };
    for (const auto& c : cases) EXPECT_EQ(lastPatchStart(c.bytes), c.cut) << c.bytes;
}

namespace {

// The sheet's document cut before every patch, each part processed on its own: the lines of
// all parts, or none when a part's run aimed outside it.
std::optional<std::vector<std::string>> inParts(const Sheet& sheet, const Choices& choices) {
    std::string bytes;
    for (const auto& l : sheet.lines) bytes += l + "\r\n";
    std::vector<std::string> parts;
    for (size_t cut = lastPatchStart(bytes); cut != std::string::npos; cut = lastPatchStart(bytes)) {
        parts.insert(parts.begin(), bytes.substr(cut));
        bytes.resize(cut);
    }
    parts.insert(parts.begin(), bytes);
    std::vector<std::string> lines;
    for (size_t i = 0; i < parts.size(); ++i) {
        Document part = Document::fromBytes(parts[i]);
        if (!processPart(part, i == 0, i + 1 == parts.size(), testCatalogue(), choices)) return std::nullopt;
        for (auto& line : part.lines()) lines.push_back(std::move(line));
    }
    return lines;
}

}  // namespace

// Patches with a drive module each; the drive of the middle patch is cut short, or stands
// first in its patch, or a patch's name line holds a type-id line. Parts that keep to their
// own lines give the whole run; the others say so.
TEST(ProcessInParts, PartsGiveTheWholeRunOrSayTheyReachedOutside) {
    const std::vector<Set> drive = {{S::DriveGain, 61}, {S::DriveLevel, 63}, {S::DriveBalance, 64}};
    struct Case { const char* what; int middleParams; bool nameLineHoldsType, power, patterns, agrees; };
    const Case cases[] = {
        {"whole modules", kDriveParams, false, false, false, true},
        {"whole modules, patterns", kDriveParams, false, false, true, true},
        {"a module cut short aims into the next patch", 3, false, false, false, false},
        {"a type-id line on a patch's first line, its edits below it", kDriveParams, true, false, false, true},
        {"a type-id line on a patch's first line, Prm0 above it", kDriveParams, true, true, false, false},
        {"a type-id line on a patch's first line, its patch name above it", kDriveParams, true, false, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Sheet s;
        s.head();
        for (int p = 0; p < 3; ++p) {
            if (p == 1 && c.nameLineHoldsType) s.text("  <Patch Name=\"P1\">" + prm(1, "14"));
            else s.patch("P" + std::to_string(p));
            s.effect(1, "15", kAmpParams);
            s.effect(2, "14", p == 1 ? c.middleParams : kDriveParams);
            s.patchEnd();
        }
        s.tail();
        Choices choices = choicesFor("g5", drive);
        if (c.power) choices = choicesFor("g5", {{S::DrivePower, "ON"}, {S::DriveLevel, 63}});
        choices.types(TypeList::Drive) = typeEntries({"Fuzz"});
        if (c.patterns) choices.patches[sectionIndex(S::DriveGain)] = {"P*"};
        const auto parts = inParts(s, choices);
        EXPECT_EQ(parts.has_value(), c.agrees);
        if (parts) EXPECT_TRUE(sameDocument(*parts, run(s, choices)));
    }
}
