// The recipe reader: which sections and keys it knows and which values it takes. Its error
// messages are checked end to end through the program.
#include <gmock/gmock.h>

#include <map>
#include <set>

#include "engine/Rules.h"
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
        {SettingId::AmpGain, {10, ""}}, {SettingId::AmpAmp, {0, "plexi stack"}}, {SettingId::NoiseReductionLevel, {40, ""}}};
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

// Rules: each form read, and written back as read; one that cannot be read is an error naming
// its section, key and line. Patches patterns are kept per section in recipe order.
TEST(RecipeRules, EachFormIsReadAndAMalformedOneNamesItsLine) {
    const struct { const char* recipe; const char* read; } kCases[] = {  // read: the rule written back, or the error
        {"[Amp]\nGain = add -5", "add -5"}, {"[Amp]\nGain = ADD +5", "add 5"}, {"[Amp]\nGain = scale 90%", "scale 90%"},
        {"[Amp]\nGain = scale 0 %", "scale 0%"}, {"[Amp]\nGain = limit 30..60 if 0..150", "limit 30..60 if 0..150"},
        {"[Amp]\nGain = 60 if -5..5", "60 if -5..5"}, {"[Reverb]\nShape = limit -10..-5", "limit -10..-5"},
        {"[Amp]\nPower = OFF if on, off", "OFF if ON, OFF"}, {"[Reverb]\nReverb = Room if Spring,Hall", "Room if Spring, Hall"},
        {"[Reverb]\nReverb = Add Hall", "Add Hall"},
        {"; a comment\n[Amp]\nGain = add ten", "[Amp] Gain: line 3: \"add ten\": add needs a whole number, as in add -5"},
        {"[Amp]\nGain = limit 60..30", "[Amp] Gain: line 2: \"limit 60..30\": limit needs a range A..B within 0 to 100, A no more than B"},
        {"[Amp]\nGain = limit 0..101", "[Amp] Gain: line 2: \"limit 0..101\": limit needs a range"},
        {"[Amp]\nGain = scale 90", "[Amp] Gain: line 2: \"scale 90\": scale needs a whole percentage"},
        {"[Amp]\nGain = scale -5%", "[Amp] Gain: line 2: \"scale -5%\": scale needs"},
        {"[Amp]\nGain = 60 if 9", "[Amp] Gain: line 2: \"60 if 9\": if needs a range A..B"},
        {"[Amp]\nGain = 101 if 1..2", "[Amp] Gain: line 2: \"101 if 1..2\": 101 is out of range 0 to 100"},
        {"[Amp]\nPower = OFF if", "[Amp] Power: line 2: \"OFF if\": if needs one or more names"},
        {"[Amp]\nPower = OFF if ON,, OFF", "[Amp] Power: line 2: \"OFF if ON,, OFF\": if needs one or more names"},
        {"[Amp]\nPower = OFF if ON, maybe", "[Amp] Power: line 2: \"OFF if ON, maybe\": \"maybe\" is not one of ON, OFF"},
        {"[Amp]\nGain=1\n[Reverb]\nMix=3\n[amp]\n\nTube = add x", "[Amp] Tube: line 7: "},
        {"[Drive]\nPatches =", "[Drive] Patches: needs a pattern of patch names"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.recipe);
        const RecipeResult r = parseRecipe(c.recipe);
        if (!r.ok()) {
            EXPECT_THAT(errorsOf(r), ::testing::StartsWith(c.read));
            continue;
        }
        const RecipeValue& v = r.recipe.values.at(0);
        EXPECT_EQ(ruleForm(v.rule, setting(v.id).kind == ValueKind::Spin ? std::to_string(v.number) : v.text, v.rule.whenItems), c.read);
    }
    const Recipe patterns = valid("[ZNR]\nPatches = St?ge*\nLevel = 5\n[znr]\npatches=*Night\n");
    EXPECT_EQ(patterns.patches[sectionIndex(SettingId::NoiseReductionLevel)], (std::vector<std::string>{"St?ge*", "*Night"}));
    EXPECT_TRUE(patterns.values.at(0).rule.plain());
}
