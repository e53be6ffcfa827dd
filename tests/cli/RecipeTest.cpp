// The recipe reader: which sections and keys it knows, which values it takes, and that every
// error names its section and key.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "cli/Recipe.h"

using namespace pf;
using namespace pf::cli;
using ::testing::HasSubstr;
using namespace std::literals;

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

// The sections and keys a user can write, as the batch tool's documentation lists them.
const std::map<std::string, std::vector<std::string>> kDocumentedKeys = {
    {"Amp", {"Power", "Amp", "Gain", "Tube", "Level", "TRBL", "MID", "BASS", "PRSNS", "Cab", "Only"}},
    {"B3 Amp", {"Power", "Amp", "Gain", "Bass", "Mid", "Mid-F", "Trebl", "Level", "Cab", "Mix", "Only"}},
    {"Drive", {"Power", "Drive", "Gain", "Tone", "Level", "Balance", "Bass", "Trebl", "Mode", "Only"}},
    {"Reverb", {"Power", "Reverb", "Decay", "Tone", "Mix", "PreD", "Level", "HPF", "Shape", "Size", "Ref", "Only"}},
    {"ZNR", {"Power", "THRSH", "Detect", "Level"}},
    {"Patch", {"Patch Level", "CTRL SW", "CTRL PDL", "Balance"}},
};

}  // namespace

TEST(RecipeKeys, TheSectionsAndKeysAreExactlyTheDocumentedOnesInWindowOrder) {
    std::vector<std::string> sectionOrder;
    for (const auto& s : recipeSections()) {
        sectionOrder.emplace_back(s.name);
        auto documented = kDocumentedKeys.find(std::string(s.name));
        ASSERT_NE(documented, kDocumentedKeys.end()) << s.name;
        std::vector<std::string> keys;
        for (SettingId id : s.keys) keys.emplace_back(setting(id).caption);
        if (s.typeList) keys.emplace_back(kOnlyKey);
        EXPECT_EQ(keys, documented->second) << s.name;
    }
    EXPECT_EQ(sectionOrder, (std::vector<std::string>{"Amp", "B3 Amp", "Drive", "Reverb", "ZNR", "Patch"}));
}

TEST(RecipeKeys, EveryKeyOfEverySectionTicksItsOwnSetting) {
    // One recipe naming every setting, with its smallest value or its first item.
    std::string bytes;
    for (const auto& s : recipeSections()) {
        bytes += "[" + std::string(s.name) + "]\n";
        for (SettingId id : s.keys) {
            const SettingDef& def = setting(id);
            std::string value = def.kind == ValueKind::Spin        ? std::to_string(def.minimum)
                                : def.kind == ValueKind::FixedList ? std::string(def.items.back())
                                                                   : "Some Name";
            bytes += std::string(def.caption) + "=" + value + "\n";
        }
    }
    const Recipe r = valid(bytes);
    ASSERT_EQ(r.values.size(), kSettingCount);
    for (size_t i = 0; i < kSettingCount; ++i) {
        const SettingDef& def = settings()[i];
        EXPECT_EQ(r.values[i].id, def.id);
        if (def.kind == ValueKind::Spin) {
            EXPECT_EQ(r.values[i].number, def.minimum) << def.stem;
        }
        if (def.kind == ValueKind::FixedList) {
            EXPECT_EQ(r.values[i].text, def.items.back()) << def.stem;
        }
        if (def.kind == ValueKind::CatalogueList) {
            EXPECT_EQ(r.values[i].text, "Some Name") << def.stem;
        }
    }
}

TEST(RecipeKeys, SameCaptionInTwoSectionsMeansTwoSettings) {
    const Recipe r = valid("[Amp]\nGain=10\n[B3 Amp]\nGain=20\n[Drive]\nGain=30\n[ZNR]\nLevel=40\n[Patch]\nBalance=50\n");
    ASSERT_NE(r.find(SettingId::AmpGain), nullptr);
    EXPECT_EQ(r.find(SettingId::AmpGain)->number, 10);
    EXPECT_EQ(r.find(SettingId::B3AmpGain)->number, 20);
    EXPECT_EQ(r.find(SettingId::DriveGain)->number, 30);
    EXPECT_EQ(r.find(SettingId::MiscLevel)->number, 40);
    EXPECT_EQ(r.find(SettingId::PatchBalance)->number, 50);
    EXPECT_EQ(r.find(SettingId::DriveBalance), nullptr);
    EXPECT_EQ(r.find(SettingId::AmpLevel), nullptr);
}

TEST(RecipeSyntax, SectionsAndKeysIgnoreCaseAndBlanksAndCommentsAreSkipped) {
    const Recipe r = valid(
        "; a comment\n"
        "# another\n"
        "\n"
        "[ b3 amp ]\r\n"
        "   mid-f   =   800Hz  \r\n"
        "  ; indented comment\n"
        "TREBL=-10\n"
        "[PATCH]\n"
        "patch level = 120\n"
        "ctrl pdl=Output-Volume\n");
    EXPECT_EQ(r.find(SettingId::B3AmpMidF)->text, "800Hz");
    EXPECT_EQ(r.find(SettingId::B3AmpTrebl)->number, -10);
    EXPECT_EQ(r.find(SettingId::PatchLevel)->number, 120);
    EXPECT_EQ(r.find(SettingId::PatchExpPedal)->text, "Output-Volume");
    EXPECT_EQ(r.values.size(), 4u);
}

TEST(RecipeSyntax, LinesEndAtLfCrLfOrALoneCr) {
    const Recipe r = valid("[Amp]\rGain=60\r\nTube=5\n\r[ZNR]\rTHRSH=3");
    EXPECT_EQ(r.find(SettingId::AmpGain)->number, 60);
    EXPECT_EQ(r.find(SettingId::AmpTube)->number, 5);
    EXPECT_EQ(r.find(SettingId::MiscThrsh)->number, 3);
}

TEST(RecipeSyntax, AByteOrderMarkBeforeTheFirstSectionIsSkipped) {
    const Recipe r = valid("\xEF\xBB\xBF[Amp]\nGain=60\n");
    ASSERT_NE(r.find(SettingId::AmpGain), nullptr);
    EXPECT_EQ(r.find(SettingId::AmpGain)->number, 60);
}

TEST(RecipeSyntax, AnEmptyRecipeTicksNothing) {
    const Recipe r = valid("; nothing but a comment\n");
    EXPECT_TRUE(r.values.empty());
    for (const auto& only : r.only) EXPECT_FALSE(only.has_value());
}

TEST(RecipeValues, SpinValuesAreWholeNumbersWithinTheControlsRange) {
    struct Case {
        std::string section, key, value;
        SettingId id;
        std::optional<int> number;  // nullopt: an error
    };
    const Case cases[] = {
        {"Amp", "Gain", "0", SettingId::AmpGain, 0},
        {"Amp", "Gain", "100", SettingId::AmpGain, 100},
        {"Amp", "Gain", "101", SettingId::AmpGain, std::nullopt},
        {"Amp", "Gain", "-1", SettingId::AmpGain, std::nullopt},
        {"Amp", "Gain", "+60", SettingId::AmpGain, 60},
        {"Amp", "Gain", "060", SettingId::AmpGain, 60},
        {"Amp", "Gain", "6 0", SettingId::AmpGain, std::nullopt},
        {"Amp", "Gain", "60.0", SettingId::AmpGain, std::nullopt},
        {"Amp", "Gain", "1e2", SettingId::AmpGain, std::nullopt},
        {"Amp", "Gain", "sixty", SettingId::AmpGain, std::nullopt},
        {"Amp", "Gain", "", SettingId::AmpGain, std::nullopt},
        {"Amp", "Gain", "+-5", SettingId::AmpGain, std::nullopt},
        {"Amp", "Gain", "--5", SettingId::AmpGain, std::nullopt},
        {"Amp", "Gain", "99999999999999999999999", SettingId::AmpGain, std::nullopt},
        {"Amp", "Level", "150", SettingId::AmpLevel, 150},
        {"Amp", "Level", "151", SettingId::AmpLevel, std::nullopt},
        {"Reverb", "PreD", "1", SettingId::ReverbPreD, 1},
        {"Reverb", "PreD", "0", SettingId::ReverbPreD, std::nullopt},
        {"Reverb", "PreD", "200", SettingId::ReverbPreD, 200},
        {"Reverb", "Tone", "11", SettingId::ReverbTone, std::nullopt},
        {"Reverb", "Shape", "-10", SettingId::ReverbShape, -10},
        {"Reverb", "Size", "0", SettingId::ReverbSize, std::nullopt},
        {"B3 Amp", "Bass", "-10", SettingId::B3AmpBass, -10},
        {"B3 Amp", "Bass", "10", SettingId::B3AmpBass, 10},
        {"B3 Amp", "Bass", "-11", SettingId::B3AmpBass, std::nullopt},
        {"Drive", "Trebl", "11", SettingId::DriveTrebl, std::nullopt},
        {"ZNR", "THRSH", "1", SettingId::MiscThrsh, 1},
        {"ZNR", "THRSH", "25", SettingId::MiscThrsh, 25},
        {"ZNR", "THRSH", "26", SettingId::MiscThrsh, std::nullopt},
        {"Patch", "Patch Level", "120", SettingId::PatchLevel, 120},
        {"Patch", "Patch Level", "121", SettingId::PatchLevel, std::nullopt},
    };
    for (const auto& c : cases) {
        const RecipeResult r = parseRecipe("[" + c.section + "]\n" + c.key + "=" + c.value + "\n");
        if (c.number) {
            ASSERT_TRUE(r.ok()) << c.section << " " << c.key << "=" << c.value << ": " << errorsOf(r);
            ASSERT_NE(r.recipe.find(c.id), nullptr);
            EXPECT_EQ(r.recipe.find(c.id)->number, *c.number);
        } else {
            ASSERT_EQ(r.errors.size(), 1u) << c.section << " " << c.key << "=" << c.value;
            EXPECT_EQ(r.errors[0].section, c.section);
            EXPECT_EQ(r.errors[0].key, c.key);
            EXPECT_THAT(r.errors[0].text(), HasSubstr("[" + c.section + "] " + c.key + ": "));
        }
    }
}

TEST(RecipeValues, FixedChoicesIgnoreCaseAndGiveTheItemsOwnText) {
    struct Case {
        std::string section, key, value;
        SettingId id;
        std::string text;  // empty: an error
    };
    const Case cases[] = {
        {"Amp", "Power", "on", SettingId::AmpPower, "ON"},
        {"B3 Amp", "Power", "Off", SettingId::B3AmpPower, "OFF"},
        {"Drive", "Power", "OFF", SettingId::DrivePower, "OFF"},
        {"Reverb", "Power", "ON", SettingId::ReverbPower, "ON"},
        {"ZNR", "Power", "off", SettingId::MiscPower, "OFF"},
        {"Amp", "Power", "1", SettingId::AmpPower, ""},
        {"Amp", "Power", "yes", SettingId::AmpPower, ""},
        {"ZNR", "Detect", "efxin", SettingId::MiscDetect, "EfxIn"},
        {"ZNR", "Detect", "GTRIN", SettingId::MiscDetect, "GtrIn"},
        {"ZNR", "Detect", "Gtr In", SettingId::MiscDetect, ""},
        {"Drive", "Mode", "bsbst", SettingId::DriveMode, "BsBST"},
        {"Drive", "Mode", "norm", SettingId::DriveMode, "NORM"},
        {"Drive", "Mode", "BOOST", SettingId::DriveMode, ""},
    };
    for (const auto& c : cases) {
        const RecipeResult r = parseRecipe("[" + c.section + "]\n" + c.key + "=" + c.value + "\n");
        if (!c.text.empty()) {
            ASSERT_TRUE(r.ok()) << c.key << "=" << c.value << ": " << errorsOf(r);
            EXPECT_EQ(r.recipe.find(c.id)->text, c.text);
        } else {
            ASSERT_EQ(r.errors.size(), 1u) << c.key << "=" << c.value;
            EXPECT_EQ(r.errors[0].key, c.key);
            EXPECT_THAT(r.errors[0].message, HasSubstr("is not one of"));
        }
    }
}

TEST(RecipeValues, CatalogueNamesAreKeptAsWrittenAndCheckedLaterPerFile) {
    const Recipe r = valid("[Amp]\nAmp = plexi stack\nCab=Match-Amp\n[Patch]\nCTRL SW=No Such Target\n");
    EXPECT_EQ(r.find(SettingId::AmpAmp)->text, "plexi stack");
    EXPECT_EQ(r.find(SettingId::AmpCab)->text, "Match-Amp");
    EXPECT_EQ(r.find(SettingId::PatchFootswitch)->text, "No Such Target");
}

TEST(RecipeValues, OnlyMayRepeatAndKeepsItsNamesPerCheckList) {
    const Recipe r = valid(
        "[Amp]\nOnly=Plexi Stack\nONLY = Clean Glass\n[Reverb]\nOnly=Hall\n[B3 Amp]\nonly=Deep Tube\n");
    using V = std::vector<std::string>;
    EXPECT_EQ(r.only[static_cast<size_t>(TypeList::Amp)], (V{"Plexi Stack", "Clean Glass"}));
    EXPECT_EQ(r.only[static_cast<size_t>(TypeList::B3Amp)], (V{"Deep Tube"}));
    EXPECT_EQ(r.only[static_cast<size_t>(TypeList::Reverb)], (V{"Hall"}));
    EXPECT_FALSE(r.only[static_cast<size_t>(TypeList::Drive)].has_value());
    EXPECT_TRUE(r.values.empty());  // Only alone ticks no setting
}

TEST(RecipeErrors, EachErrorClassNamesItsSectionAndKey) {
    struct Case {
        std::string recipe, section, key, message;
    };
    const Case cases[] = {
        {"[Amps]\nGain=5\n", "Amps", "", "unknown section"},
        {"[Misc]\nLevel=5\n", "Misc", "", "unknown section"},
        {"[Amp]\nGian=5\n", "Amp", "Gian", "unknown key"},
        {"[Amp]\nMid-F=Low\n", "Amp", "Mid-F", "unknown key"},
        {"[ZNR]\nOnly=Hall\n", "ZNR", "Only", "unknown key"},
        {"[Patch]\nLevel=60\n", "Patch", "Level", "unknown key"},
        {"[Amp]\nGain=5\nGain=6\n", "Amp", "Gain", "more than once"},
        {"[Amp]\nGain=5\ngain=5\n", "Amp", "gain", "more than once"},
        {"[Amp]\nGain=5\n[Drive]\nTone=1\n[amp]\nGain=7\n", "Amp", "Gain", "more than once"},
        {"[Amp]\nGain=500\nGain=5\n", "Amp", "Gain", "more than once"},
        {"[Amp]\nCab=\n", "Amp", "Cab", "needs a name"},
        {"[Reverb]\nOnly=\n", "Reverb", "Only", "needs the name"},
        {"[ZNR]\nPower=maybe\n", "ZNR", "Power", "is not one of ON, OFF"},
        {"[Reverb]\nPreD=0\n", "Reverb", "PreD", "out of range 1 to 200"},
        {"[Drive]\nGain=x\n", "Drive", "Gain", "not a whole number"},
    };
    for (const auto& c : cases) {
        const RecipeResult r = parseRecipe(c.recipe);
        ASSERT_FALSE(r.ok()) << c.recipe;
        const RecipeError& e = r.errors.back();
        EXPECT_EQ(e.section, c.section) << c.recipe;
        EXPECT_EQ(e.key, c.key) << c.recipe;
        EXPECT_THAT(e.message, HasSubstr(c.message)) << c.recipe;
    }
}

TEST(RecipeErrors, LinesTheIniReaderWouldDropAreErrorsWithTheirLineNumber) {
    struct Case {
        std::string recipe, message;
    };
    const Case cases[] = {
        {"Gain=60\n[Amp]\nLevel=5\n", "line 1: text before the first section"},
        {"[Amp]\nGain\n", "line 2: not a key=value line"},
        {"[Amp]\n=60\n", "line 2: a value without a key"},
        {"[Amp\nGain=60\n", "line 1: a section line must end with ']'"},
        {std::string("[Amp]\nGain=6\0" "0\n"sv), "NUL byte"},
        // A lone CR ends a line for the INI reader, so it ends one here too.
        {"[Amp]\nGain=60\rbogus line\n", "line 3: not a key=value line: bogus line"},
        {"[Amp]\r\nGain=60\r\n\rGain\r\n", "line 4: not a key=value line: Gain"},
    };
    for (const auto& c : cases) {
        const RecipeResult r = parseRecipe(c.recipe);
        ASSERT_FALSE(r.ok()) << c.recipe;
        EXPECT_THAT(r.errors.front().text(), HasSubstr(c.message)) << c.recipe;
    }
}

TEST(RecipeErrors, AllErrorsAreReportedNotJustTheFirst) {
    const RecipeResult r = parseRecipe("[Amp]\nGain=200\nTube=-1\n[Nope]\nx=1\n[ZNR]\nDetect=both\n");
    std::set<std::string> keys;
    for (const auto& e : r.errors) keys.insert(e.section + "/" + e.key);
    EXPECT_EQ(keys, (std::set<std::string>{"Amp/Gain", "Amp/Tube", "Nope/", "ZNR/Detect"}));
}
