// Building the window's choices for one file: the state a fresh window has after loading a
// file of that model, then the recipe's ticks, values and Only lists.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "catalogue/Catalogue.h"
#include "cli/Apply.h"
#include "cli/Recipe.h"

using namespace pf;
using namespace pf::cli;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

namespace {

const char* const kCatalogue = R"([g5-amp]
Clean Glass=40
Remove=0
Plexi Stack=43
Modern Lead=44
[g5-cab]
Match-Amp=MAMP
Closed4x12=C4127
Short=AB
[g5-drive]
Amber Drive=10
Grit Box=13
[g5-reverb]
Hall=60
Air=66
[g5-footswitch]
Bypass=1
Tap Tempo=2
[g5-exppedal]
Off=0
Wah=3
[g3x-amp]
Clean Glass=40
[g3x-exppedal]
Off=0
Wah=3
[b3-amp]
Deep Tube=30
Flip Top=32
[b3-midf]
250Hz=0
800Hz=2
[b3-cab]
ORGN=ORGN
4x10=4X108
[b3-drive]
Booster=76
[b3-exppedal]
Off=0
Output-Volume=2
[-amp]
Bare Amp=1
[-exppedal]
Off=0
)";

Recipe recipeOf(std::string_view bytes) {
    RecipeResult r = parseRecipe(bytes);
    EXPECT_TRUE(r.ok());
    return r.recipe;
}

std::vector<std::string> tickedTexts(const std::vector<TypeEntry>& entries) {
    std::vector<std::string> out;
    for (const auto& e : entries)
        if (e.ticked) out.push_back(e.text);
    return out;
}

}  // namespace

TEST(FileChoices, WithoutSettingsTheyAreAFreshWindowAfterLoadingTheFile) {
    const Catalogue catalogue = Catalogue::fromBytes(kCatalogue);
    const FileChoices fc = choicesFor(Recipe{}, catalogue, "g5");
    ASSERT_TRUE(fc.ok());
    const Choices& c = fc.choices;
    EXPECT_EQ(c.model, "g5");
    for (const auto& def : settings()) {
        EXPECT_FALSE(c[def.id].ticked) << def.stem;
        if (def.kind == ValueKind::Spin) {
            EXPECT_EQ(c[def.id].number, def.start) << def.stem;
        }
    }
    // Fixed lists at their first item.
    EXPECT_EQ(c[SettingId::AmpPower].text, "ON");
    EXPECT_EQ(c[SettingId::MiscDetect].text, "GtrIn");
    EXPECT_EQ(c[SettingId::DriveMode].text, "NORM");
    // Catalogue drop-downs at their first item, "Remove" counted; cab items as the window shows them.
    EXPECT_EQ(c[SettingId::AmpAmp].text, "Clean Glass");
    EXPECT_EQ(c[SettingId::B3AmpAmp].text, "Clean Glass");
    EXPECT_EQ(c[SettingId::AmpCab].text, " Match-Amp  MAMP");
    EXPECT_EQ(c[SettingId::B3AmpMidF].text, "");  // no g5-midf section: no item, nothing selected
    EXPECT_EQ(c[SettingId::DriveDrive].text, "Amber Drive");
    EXPECT_EQ(c[SettingId::ReverbReverb].text, "Hall");
    EXPECT_EQ(c[SettingId::PatchFootswitch].text, "Bypass");
    EXPECT_EQ(c[SettingId::PatchExpPedal].text, "Off");
    // Check lists: one blank and the name, "Remove" left out, every entry ticked.
    EXPECT_THAT(tickedTexts(c.types(TypeList::Amp)), ElementsAre(" Clean Glass", " Plexi Stack", " Modern Lead"));
    EXPECT_EQ(c.types(TypeList::B3Amp).size(), 3u);
    EXPECT_THAT(tickedTexts(c.types(TypeList::Drive)), ElementsAre(" Amber Drive", " Grit Box"));
    EXPECT_THAT(tickedTexts(c.types(TypeList::Reverb)), ElementsAre(" Hall", " Air"));
}

TEST(FileChoices, RecipeSettingsAreTickedWithTheirValues) {
    const Catalogue catalogue = Catalogue::fromBytes(kCatalogue);
    const FileChoices fc = choicesFor(
        recipeOf("[Amp]\nPower=off\nGain=61\nAmp=plexi stack\nCab=closed4x12\n[ZNR]\nDetect=EfxIn\n[Patch]\nCTRL SW=tap tempo\n"),
        catalogue, "g5");
    ASSERT_TRUE(fc.ok());
    const Choices& c = fc.choices;
    EXPECT_TRUE(c[SettingId::AmpPower].ticked);
    EXPECT_EQ(c[SettingId::AmpPower].text, "OFF");
    EXPECT_TRUE(c[SettingId::AmpGain].ticked);
    EXPECT_EQ(c[SettingId::AmpGain].number, 61);
    EXPECT_EQ(c[SettingId::AmpAmp].text, "Plexi Stack");          // the item, not the recipe's spelling
    EXPECT_EQ(c[SettingId::AmpCab].text, " Closed4x12  C412");    // built as the window builds it
    EXPECT_EQ(c[SettingId::MiscDetect].text, "EfxIn");
    EXPECT_EQ(c[SettingId::PatchFootswitch].text, "Tap Tempo");
    EXPECT_FALSE(c[SettingId::AmpTube].ticked);
    EXPECT_FALSE(c[SettingId::B3AmpGain].ticked);
    EXPECT_THAT(fc.notApplied, IsEmpty());
}

TEST(FileChoices, ACabValueShorterThanItsLabelShowsWhole) {
    const Catalogue catalogue = Catalogue::fromBytes(kCatalogue);
    const FileChoices fc = choicesFor(recipeOf("[Amp]\nCab=Short\n"), catalogue, "g5");
    ASSERT_TRUE(fc.ok());
    EXPECT_EQ(fc.choices[SettingId::AmpCab].text, " Short  AB");
}

// Which settings each model offers: the Amp or the B3 Amp page, the B3 drive panel, CTRL PDL
// and the patch Balance.
TEST(FileChoices, EachModelGetsOnlyTheSettingsItOffersAndTheRestAreReported) {
    const Catalogue catalogue = Catalogue::fromBytes(kCatalogue);
    const Recipe recipe = recipeOf(
        "[Amp]\nGain=60\n[B3 Amp]\nGain=60\n[Drive]\nBalance=1\nBass=1\nTrebl=1\nMode=BsBST\n"
        "[Patch]\nCTRL PDL=Off\nBalance=1\n");
    struct Row {
        std::string model;
        bool amp, b3amp, b3drive, ctrlPdl, patchBalance;
    };
    const Row rows[] = {
        {"g5", true, false, false, false, false},
        {"g3x", true, false, false, true, false},
        {"b3", false, true, true, true, true},
        {"", true, false, true, true, true},
    };
    for (const auto& row : rows) {
        const FileChoices fc = choicesFor(recipe, catalogue, row.model);
        ASSERT_TRUE(fc.ok()) << row.model << ": " << (fc.errors.empty() ? "" : fc.errors[0]);
        const Choices& c = fc.choices;
        auto check = [&](SettingId id, bool offered, const std::string& label) {
            EXPECT_EQ(c[id].ticked, offered) << row.model << " " << label;
            const bool reported = std::find(fc.notApplied.begin(), fc.notApplied.end(), label) != fc.notApplied.end();
            EXPECT_EQ(reported, !offered) << row.model << " " << label;
        };
        check(SettingId::AmpGain, row.amp, "[Amp] Gain");
        check(SettingId::B3AmpGain, row.b3amp, "[B3 Amp] Gain");
        check(SettingId::DriveBalance, row.b3drive, "[Drive] Balance");
        check(SettingId::DriveBass, row.b3drive, "[Drive] Bass");
        check(SettingId::DriveTrebl, row.b3drive, "[Drive] Trebl");
        check(SettingId::DriveMode, row.b3drive, "[Drive] Mode");
        check(SettingId::PatchExpPedal, row.ctrlPdl, "[Patch] CTRL PDL");
        check(SettingId::PatchBalance, row.patchBalance, "[Patch] Balance");
    }
}

TEST(FileChoices, OnlyLeavesItsNamesTickedInCheckListOrder) {
    const Catalogue catalogue = Catalogue::fromBytes(kCatalogue);
    for (const char* recipe : {"[Amp]\nGain=1\nOnly=Modern Lead\nOnly=clean glass\n",
                               "[Amp]\nGain=1\nOnly=CLEAN GLASS\nOnly=Modern Lead\n"}) {
        const FileChoices fc = choicesFor(recipeOf(recipe), catalogue, "g5");
        ASSERT_TRUE(fc.ok()) << recipe;
        const auto& amps = fc.choices.types(TypeList::Amp);
        ASSERT_EQ(amps.size(), 3u);
        EXPECT_EQ(amps[0].text, " Clean Glass");
        EXPECT_TRUE(amps[0].ticked);
        EXPECT_FALSE(amps[1].ticked);
        EXPECT_TRUE(amps[2].ticked);
        // The other lists stay all ticked.
        EXPECT_THAT(tickedTexts(fc.choices.types(TypeList::B3Amp)), ::testing::SizeIs(3));
        EXPECT_THAT(tickedTexts(fc.choices.types(TypeList::Drive)), ::testing::SizeIs(2));
    }
}

TEST(FileChoices, OnlyOnAPageTheModelDoesNotShowIsReportedNotApplied) {
    const Catalogue catalogue = Catalogue::fromBytes(kCatalogue);
    // A name the b3 catalogue lacks is not checked either: the B3 file never sees that page.
    const FileChoices fc = choicesFor(recipeOf("[Amp]\nOnly=Plexi Stack\n[B3 Amp]\nOnly=Flip Top\n"), catalogue, "b3");
    ASSERT_TRUE(fc.ok());
    EXPECT_THAT(fc.notApplied, ElementsAre("[Amp] Only"));
    EXPECT_THAT(tickedTexts(fc.choices.types(TypeList::B3Amp)), ElementsAre(" Flip Top"));
    EXPECT_THAT(tickedTexts(fc.choices.types(TypeList::Amp)), ElementsAre(" Deep Tube", " Flip Top"));
}

TEST(FileChoices, NamesTheModelsCatalogueLacksAreErrorsListingTheOfferedNames) {
    const Catalogue catalogue = Catalogue::fromBytes(kCatalogue);
    struct Case {
        std::string recipe, model, expected;
    };
    const Case cases[] = {
        {"[Amp]\nAmp=Deep Tube\n", "g5", "[Amp] Amp: \"Deep Tube\" is not in catalogue section [g5-amp], which offers Clean Glass, Remove, Plexi Stack, Modern Lead"},
        {"[Amp]\nCab=OpenBack\n", "g5", "[Amp] Cab: \"OpenBack\" is not in catalogue section [g5-cab], which offers Match-Amp, Closed4x12, Short"},
        {"[B3 Amp]\nMid-F=1kHz\n", "b3", "[B3 Amp] Mid-F: \"1kHz\" is not in catalogue section [b3-midf], which offers 250Hz, 800Hz"},
        {"[Drive]\nDrive=Booster\n", "g5", "[Drive] Drive: \"Booster\" is not in catalogue section [g5-drive]"},
        {"[Reverb]\nReverb=Room\n", "g5", "[Reverb] Reverb: \"Room\" is not in catalogue section [g5-reverb], which offers Hall, Air"},
        {"[Patch]\nCTRL SW=Tuner\n", "g5", "[Patch] CTRL SW: \"Tuner\" is not in catalogue section [g5-footswitch], which offers Bypass, Tap Tempo"},
        {"[Patch]\nCTRL PDL=Output-Volume\n", "g3x", "[Patch] CTRL PDL: \"Output-Volume\" is not in catalogue section [g3x-exppedal], which offers Off, Wah"},
        {"[Drive]\nDrive=Booster\n", "g3x", "which offers (none)"},
        {"[Amp]\nOnly=Remove\n", "g5", "[Amp] Only: \"Remove\" is not in the effect-type list of catalogue section [g5-amp], which offers Clean Glass, Plexi Stack, Modern Lead"},
        {"[Reverb]\nOnly=Hall\nOnly=Spring\n", "g5", "[Reverb] Only: \"Spring\" is not in the effect-type list of catalogue section [g5-reverb]"},
    };
    for (const auto& c : cases) {
        const FileChoices fc = choicesFor(recipeOf(c.recipe), catalogue, c.model);
        ASSERT_EQ(fc.errors.size(), 1u) << c.recipe;
        EXPECT_THAT(fc.errors[0], HasSubstr(c.expected));
    }
}

TEST(FileChoices, AFileOfUnknownKindUsesTheBareSectionNames) {
    const Catalogue catalogue = Catalogue::fromBytes(kCatalogue);
    const FileChoices fc = choicesFor(recipeOf("[Amp]\nAmp=Bare Amp\n"), catalogue, "");
    ASSERT_TRUE(fc.ok());
    EXPECT_EQ(fc.choices.model, "");
    EXPECT_EQ(fc.choices[SettingId::AmpAmp].text, "Bare Amp");
    EXPECT_THAT(tickedTexts(fc.choices.types(TypeList::Amp)), ElementsAre(" Bare Amp"));
}
