// Building the window's choices for one file: the state a fresh window has after loading a
// file of that model, then the recipe's ticks, values and Only lists.
#include <gmock/gmock.h>

#include "catalogue/Catalogue.h"
#include "cli/Apply.h"
#include "cli/Recipe.h"
#include "engine/PatchGroup.h"

using namespace pf;
using namespace pf::cli;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

const Catalogue& catalogue() {
    static const Catalogue c = Catalogue::fromBytes(
    "[g5-amp]\nClean Glass=40\nRemove=0\nPlexi Stack=43\nModern Lead=44\n"
    "[g5-cab]\nMatch-Amp=MAMP\nClosed4x12=C4127\nShort=AB\n"
    "[g5-drive]\nAmber Drive=10\nGrit Box=13\n"
    "[g5-reverb]\nHall=60\nAir=66\n"
    "[g5-footswitch]\nBypass=1\nTap Tempo=2\n"
    "[g5-exppedal]\nOff=0\nWah=3\n"
    "[g3x-amp]\nClean Glass=40\n"
    "[g3x-exppedal]\nOff=0\nWah=3\n"
    "[b3-amp]\nDeep Tube=30\nFlip Top=32\n"
    "[b3-midf]\n250Hz=0\n800Hz=2\n"
    "[b3-cab]\nORGN=ORGN\n4x10=4X108\n"
    "[b3-drive]\nBooster=76\n"
    "[b3-exppedal]\nOff=0\nOutput-Volume=2\n"
    "[-amp]\nBare Amp=1\n"
    "[-exppedal]\nOff=0\n");
    return c;
}

FileChoices choices(std::string_view recipe, const std::string& model) {
    RecipeResult r = parseRecipe(recipe);
    EXPECT_TRUE(r.ok());
    PatchGroup group;  // a file of the model, loaded into a fresh window
    group.loadBytes("", "set" + std::string(model.empty() ? ".txt" : deviceModel(model).extension), catalogue());
    return choicesFor(r.recipe, group);
}

std::vector<std::string> tickedTexts(const std::vector<TypeEntry>& entries) {
    std::vector<std::string> out;
    for (const auto& e : entries)
        if (e.ticked) out.push_back(e.text);
    return out;
}

}  // namespace

TEST(FileChoices, AFreshWindowAfterLoadingTheFileThenTheRecipesSettings) {
    const FileChoices fc = choices("[Amp]\nPower=off\nGain=61\nAmp=plexi stack\nCab=closed4x12\n[ZNR]\nDetect=EfxIn\n"
                                   "[Patch]\nCTRL SW=tap tempo\n", "g5");
    ASSERT_TRUE(fc.ok());
    const Choices& c = fc.choices;
    EXPECT_EQ(c.model, "g5");
    // Ticked with the item, not the recipe's spelling; the cab item built as the window builds it.
    const std::map<SettingId, std::string> kTicked = {{SettingId::AmpPower, "OFF"}, {SettingId::AmpGain, ""},
        {SettingId::AmpAmp, "Plexi Stack"}, {SettingId::AmpCab, " Closed4x12  C412"}, {SettingId::MiscDetect, "EfxIn"},
        {SettingId::PatchFootswitch, "Tap Tempo"}};
    // The rest as a load leaves them: start values, first items, "Remove" counted, no item
    // without a section.
    const std::map<SettingId, std::string> kUnticked = {{SettingId::B3AmpPower, "ON"}, {SettingId::DriveMode, "NORM"},
        {SettingId::B3AmpAmp, "Clean Glass"}, {SettingId::B3AmpCab, " Match-Amp  MAMP"}, {SettingId::B3AmpMidF, ""},
        {SettingId::DriveDrive, "Amber Drive"}, {SettingId::ReverbReverb, "Hall"}, {SettingId::PatchExpPedal, "Off"}};
    for (const auto& def : settings()) {
        SCOPED_TRACE(static_cast<int>(def.id));
        EXPECT_EQ(c[def.id].ticked, kTicked.count(def.id) == 1);
        EXPECT_EQ(c[def.id].number, def.id == SettingId::AmpGain ? 61 : def.kind == ValueKind::Spin ? def.start : 0);
        if (kTicked.count(def.id)) { EXPECT_EQ(c[def.id].text, kTicked.at(def.id)); }
        if (kUnticked.count(def.id)) { EXPECT_EQ(c[def.id].text, kUnticked.at(def.id)); }
    }
    // Check lists: one blank and the name, "Remove" left out, every entry ticked.
    EXPECT_THAT(tickedTexts(c.types(TypeList::Amp)), ElementsAre(" Clean Glass", " Plexi Stack", " Modern Lead"));
    EXPECT_EQ(c.types(TypeList::B3Amp).size(), 3u);
    EXPECT_THAT(tickedTexts(c.types(TypeList::Drive)), ElementsAre(" Amber Drive", " Grit Box"));
    EXPECT_THAT(tickedTexts(c.types(TypeList::Reverb)), ElementsAre(" Hall", " Air"));
    EXPECT_TRUE(fc.notApplied.empty());
    EXPECT_EQ(choices("[Amp]\nCab=Short\n", "g5").choices[SettingId::AmpCab].text, " Short  AB") << "shorter than its label";
}

// Which settings each model offers: the Amp or the B3 Amp page, the B3 drive panel, CTRL PDL
// and the patch Balance; a file of unknown kind uses the bare section names.
TEST(FileChoices, EachModelGetsOnlyTheSettingsItOffersAndTheRestAreReported) {
    const struct { std::string model; bool amp, b3amp, b3drive, ctrlPdl, patchBalance; } kRows[] = {
        {"g5", true, false, false, false, false}, {"g3x", true, false, false, true, false},
        {"b3", false, true, true, true, true}, {"", true, false, true, true, true}};
    for (const auto& row : kRows) {
        SCOPED_TRACE(row.model);
        const FileChoices fc = choices("[Amp]\nGain=60\n[B3 Amp]\nGain=60\n[Drive]\nBalance=1\nBass=1\nTrebl=1\n"
                                       "Mode=BsBST\n[Patch]\nCTRL PDL=Off\nBalance=1\n", row.model);
        ASSERT_TRUE(fc.ok()) << (fc.errors.empty() ? "" : fc.errors[0]);
        std::vector<std::string> notApplied;
        auto offer = [&](SettingId id, bool offered, const std::string& label) {
            EXPECT_EQ(fc.choices[id].ticked, offered) << label;
            if (!offered) notApplied.push_back(label);
        };
        offer(SettingId::B3AmpGain, row.b3amp, "[B3 Amp] Gain");
        offer(SettingId::AmpGain, row.amp, "[Amp] Gain");
        offer(SettingId::DriveBalance, row.b3drive, "[Drive] Balance");
        offer(SettingId::DriveBass, row.b3drive, "[Drive] Bass");
        offer(SettingId::DriveTrebl, row.b3drive, "[Drive] Trebl");
        offer(SettingId::DriveMode, row.b3drive, "[Drive] Mode");
        offer(SettingId::PatchExpPedal, row.ctrlPdl, "[Patch] CTRL PDL");
        offer(SettingId::PatchBalance, row.patchBalance, "[Patch] Balance");
        std::sort(notApplied.begin(), notApplied.end());
        std::vector<std::string> reported = fc.notApplied;
        std::sort(reported.begin(), reported.end());
        EXPECT_EQ(reported, notApplied);
    }
    const FileChoices bare = choices("[Amp]\nAmp=Bare Amp\n", "");
    EXPECT_EQ(bare.choices[SettingId::AmpAmp].text, "Bare Amp");
    EXPECT_THAT(tickedTexts(bare.choices.types(TypeList::Amp)), ElementsAre(" Bare Amp"));
}

TEST(FileChoices, OnlyLeavesItsNamesTickedInCheckListOrderOnPagesTheModelShows) {
    for (const char* recipe : {"[Amp]\nGain=1\nOnly=Modern Lead\nOnly=clean glass\n", "[Amp]\nGain=1\nOnly=CLEAN GLASS\nOnly=Modern Lead\n"}) {
        const FileChoices fc = choices(recipe, "g5");
        ASSERT_TRUE(fc.ok()) << recipe;
        std::vector<std::pair<std::string, bool>> amps;
        for (const auto& e : fc.choices.types(TypeList::Amp)) amps.emplace_back(e.text, e.ticked);
        EXPECT_THAT(amps, ElementsAre(std::pair{" Clean Glass", true}, std::pair{" Plexi Stack", false}, std::pair{" Modern Lead", true}));
        EXPECT_EQ(tickedTexts(fc.choices.types(TypeList::B3Amp)).size(), 3u) << "the other lists stay all ticked";
        EXPECT_EQ(tickedTexts(fc.choices.types(TypeList::Drive)).size(), 2u);
    }
    // A name the b3 catalogue lacks is not checked either: the B3 file never sees that page.
    const FileChoices fc = choices("[Amp]\nOnly=Plexi Stack\n[B3 Amp]\nOnly=Flip Top\n", "b3");
    ASSERT_TRUE(fc.ok());
    EXPECT_THAT(fc.notApplied, ElementsAre("[Amp] Only"));
    EXPECT_THAT(tickedTexts(fc.choices.types(TypeList::B3Amp)), ElementsAre(" Flip Top"));
    EXPECT_THAT(tickedTexts(fc.choices.types(TypeList::Amp)), ElementsAre(" Deep Tube", " Flip Top"));
}

TEST(FileChoices, NamesTheModelsCatalogueLacksAreErrorsListingTheOfferedNames) {
    const struct { const char* recipe; const char* model; const char* expected; } kCases[] = {
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
    for (const auto& c : kCases) {
        const FileChoices fc = choices(c.recipe, c.model);
        ASSERT_EQ(fc.errors.size(), 1u) << c.recipe;
        EXPECT_THAT(fc.errors[0], HasSubstr(c.expected));
    }
}
