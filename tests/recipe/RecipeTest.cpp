// The recipe reader: which sections and keys it knows and which values it takes. Its error
// messages are checked end to end through the program.
#include <gmock/gmock.h>

#include <map>
#include <set>

#include "recipe/Recipe.h"

using namespace pf;

namespace {

std::string errorsOf(const RecipeResult& r) {
    std::string out;
    for (const auto& e : r.errors) out += e.text() + "\n";
    return out;
}

// Parses a recipe that must be valid and returns it.
Recipe valid(std::string_view bytes) {
    RecipeResult r = parseRecipe(bytes);
    EXPECT_TRUE(r.ok()) << bytes << "\n" << errorsOf(r);
    return r.recipe;
}

}  // namespace

TEST(RecipeSyntax, CaseBlanksCommentsLineEndsAndAByteOrderMark) {
    const Recipe r = valid(
        "\xEF\xBB\xBF; a comment\n# another\n\n[ b3 amp ]\r\n   mid-f   =   800Hz  \r\n  ; indented comment\n"
        "TREBL=-10\rGain=20\n\r[PATCH]\npatch level = 120\nctrl pdl=Output-Volume\n[Amp]\nGain=10\n"
        "Amp = plexi stack\nOnly=Plexi Stack\nONLY = Clean Glass\n[Reverb]\nOnly=Hall\n[ZNR]\rLevel=40");
    const std::map<SettingId, std::pair<int, std::string>> kExpected = {
        {SettingId::B3AmpMidF, {0, "800Hz"}}, {SettingId::B3AmpTrebl, {-10, ""}}, {SettingId::B3AmpGain, {20, ""}},
        {SettingId::PatchLevel, {120, ""}}, {SettingId::PatchExpPedal, {0, "Output-Volume"}},
        {SettingId::AmpGain, {10, ""}}, {SettingId::AmpAmp, {0, "plexi stack"}}, {SettingId::MiscLevel, {40, ""}}};
    std::map<SettingId, std::pair<int, std::string>> actual;
    for (const auto& v : r.values) actual[v.id] = {v.number, v.text};
    EXPECT_EQ(actual, kExpected) << "catalogue names are kept as written, checked later per file";
    using V = std::vector<std::string>;
    EXPECT_EQ(r.only[static_cast<size_t>(TypeList::Amp)], (V{"Plexi Stack", "Clean Glass"}));
    EXPECT_EQ(r.only[static_cast<size_t>(TypeList::Reverb)], (V{"Hall"}));
    EXPECT_FALSE(r.only[static_cast<size_t>(TypeList::B3Amp)].has_value());
    EXPECT_TRUE(valid("; nothing but a comment\n").values.empty());
}

TEST(RecipeValues, WholeNumbersWithinTheControlsRangeAndFixedItemsIgnoringCase) {
    const struct { const char* line; int number; const char* text; } kCases[] = {  // text "!": an error
        {"[Amp]\nGain=0", 0, ""}, {"[Amp]\nGain=100", 100, ""}, {"[Amp]\nGain=101", 0, "!"},
        {"[Amp]\nGain=-1", 0, "!"}, {"[Amp]\nGain=+60", 60, ""}, {"[Amp]\nGain=060", 60, ""},
        {"[Amp]\nGain=6 0", 0, "!"}, {"[Amp]\nGain=60.0", 0, "!"}, {"[Amp]\nGain=1e2", 0, "!"},
        {"[Amp]\nGain=", 0, "!"}, {"[Amp]\nGain=+-5", 0, "!"}, {"[Amp]\nGain=--5", 0, "!"},
        {"[Amp]\nGain=99999999999999999999999", 0, "!"}, {"[Amp]\nLevel=150", 150, ""}, {"[Amp]\nLevel=151", 0, "!"},
        {"[Reverb]\nPreD=1", 1, ""}, {"[Reverb]\nPreD=0", 0, "!"}, {"[Reverb]\nPreD=200", 200, ""},
        {"[Reverb]\nPreD=201", 0, "!"}, {"[Reverb]\nTone=11", 0, "!"}, {"[Reverb]\nShape=-10", -10, ""},
        {"[Reverb]\nSize=0", 0, "!"}, {"[B3 Amp]\nBass=10", 10, ""}, {"[B3 Amp]\nBass=-11", 0, "!"},
        {"[Drive]\nTrebl=11", 0, "!"}, {"[ZNR]\nTHRSH=25", 25, ""}, {"[ZNR]\nTHRSH=26", 0, "!"},
        {"[Patch]\nPatch Level=120", 120, ""}, {"[Patch]\nPatch Level=121", 0, "!"},
        {"[Amp]\nPower=on", 0, "ON"}, {"[B3 Amp]\nPower=Off", 0, "OFF"}, {"[ZNR]\nPower=off", 0, "OFF"},
        {"[Amp]\nPower=1", 0, "!"}, {"[Amp]\nPower=yes", 0, "!"}, {"[ZNR]\nDetect=efxin", 0, "EfxIn"},
        {"[ZNR]\nDetect=GTRIN", 0, "GtrIn"}, {"[ZNR]\nDetect=Gtr In", 0, "!"}, {"[Drive]\nMode=bsbst", 0, "BsBST"},
        {"[Drive]\nMode=norm", 0, "NORM"}, {"[Drive]\nMode=BOOST", 0, "!"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.line);
        const RecipeResult r = parseRecipe(c.line);
        if (std::string(c.text) == "!") {
            EXPECT_EQ(r.errors.size(), 1u);
        } else {
            ASSERT_TRUE(r.ok()) << errorsOf(r);
            EXPECT_EQ(r.recipe.values.at(0).number, c.number);
            EXPECT_EQ(r.recipe.values.at(0).text, c.text);
        }
    }
}

TEST(RecipeErrors, AllErrorsAreReportedNotJustTheFirst) {
    const RecipeResult r = parseRecipe("[Amp]\nGain=200\nTube=-1\n[Nope]\nx=1\n[ZNR]\nDetect=both\n");
    std::set<std::string> keys;
    for (const auto& e : r.errors) keys.insert(e.section + "/" + e.key);
    EXPECT_EQ(keys, (std::set<std::string>{"Amp/Gain", "Amp/Tube", "Nope/", "ZNR/Detect"}));
}
