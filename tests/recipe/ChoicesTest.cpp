// A recipe's names checked against the catalogue section of each file's model. What the
// choices then hold is checked end to end: the window and the batch tool write the same bytes.
#include <gmock/gmock.h>

#include "catalogue/Catalogue.h"
#include "recipe/Apply.h"
#include "recipe/Recipe.h"
#include "engine/PatchGroup.h"

using namespace pf;
using ::testing::HasSubstr;

namespace {

const Catalogue& catalogue() {
    static const Catalogue c = Catalogue::fromBytes(
    "[g5-amp]\nClean Glass=40\nRemove=0\nPlexi Stack=43\nModern Lead=44\n"
    "[g5-cab]\nMatch-Amp=MAMP\nClosed4x12=C4127\nShort=AB\n"
    "[g5-drive]\nAmber Drive=10\nGrit Box=13\n"
    "[g5-reverb]\nHall=60\nAir=66\n"
    "[g5-footswitch]\nBypass=1\nTap Tempo=2\n"
    "[g3x-exppedal]\nOff=0\nWah=3\n"
    "[b3-midf]\n250Hz=0\n800Hz=2\n");
    return c;
}

FileChoices choices(std::string_view recipe, const std::string& model) {
    RecipeResult r = parseRecipe(recipe);
    EXPECT_TRUE(r.ok());
    PatchGroup group;  // a file of the model, loaded into a fresh window
    group.loadBytes("", "set" + std::string(deviceModel(model).extension), catalogue());
    return choicesFor(r.recipe, group);
}

}  // namespace

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
        {"[Reverb]\nReverb=Air if Hall, Room\n", "g5", "[Reverb] Reverb: \"Room\" is not in catalogue section [g5-reverb]"},
    };
    for (const auto& c : kCases) {
        const FileChoices fc = choices(c.recipe, c.model);
        ASSERT_EQ(fc.errors.size(), 1u) << c.recipe;
        EXPECT_THAT(fc.errors[0], HasSubstr(c.expected));
    }
}

// A recipe saved from choices says just what was chosen: the ticked settings with their values
// (a catalogue item by its name) and the Only lines of a list only when not every type is
// ticked.
TEST(FileChoices, ASavedRecipeNamesTheTickedSettingsAndOnlyTheTypesOfAPartlyTickedList) {
    const struct { const char* recipe; const char* model; const char* saved; } kCases[] = {
        {"[Amp]\nGain=33\n", "g5", "[Amp]\nGain = 33\n"},
        {"[amp]\nonly=plexi stack\nGAIN=33\nOnly=Clean Glass\nCab=Short\n", "g5",
         "[Amp]\nGain = 33\nCab = Short\nOnly = Clean Glass\nOnly = Plexi Stack\n"},
        {"[Drive]\nOnly=Amber Drive\nOnly=Grit Box\n[Patch]\nCTRL SW=Tap Tempo\n", "g5", "[Patch]\nCTRL SW = Tap Tempo\n"},
        {"[Amp]\ngain=add -5 if 80..100\ncab=closed4x12 if match-amp, SHORT\npatches=S*\n[B3 Amp]\nPatches=x\n", "g5",
         "[Amp]\nGain = add -5 if 80..100\nCab = Closed4x12 if Match-Amp, Short\nPatches = S*\n"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.recipe);
        const FileChoices made = choices(c.recipe, c.model);
        PatchGroup group;
        group.loadBytes("", "set" + std::string(deviceModel(c.model).extension), catalogue());
        EXPECT_EQ(recipeFor(made.choices, group), c.saved);
    }
}
