// Every kind of setting value, written as the window shows it and read back from the module:
// the stored texts and where they stand come from the edit tables of the blocks.
#include "EngineTestSupport.h"
#include "engine/ValueCodec.h"

using namespace pf;
using namespace pf::test;

namespace {

struct Case {
    const char* model;
    Group group;
    const char* type;  // the ticked type's catalogue name; for the other blocks the module's type id
    int params;
    Set set;
    int parameter;       // where it is written
    const char* stored;  // the text written there
    ShownValue shown;    // the value read back
};

const Case kCases[] = {
    // Plain numbers, ON/OFF and catalogue choices.
    {"g5", Group::Amp, "Clean Glass", kAmpParams, {S::AmpGain, 60}, 2, "60", 60},
    {"g5", Group::Amp, "Clean Glass", kAmpParams, {S::AmpLevel, 150}, 4, "150", 150},
    {"g5", Group::Amp, "Clean Glass", kAmpParams, {S::AmpPower, "OFF"}, 0, "0", "OFF"},
    {"g5", Group::Amp, "Clean Glass", kAmpParams, {S::AmpPower, "ON"}, 0, "1", "ON"},
    {"g5", Group::Amp, "Clean Glass", kAmpParams, {S::AmpAmp, "Plexi Stack"}, 1, "43", "Plexi Stack"},
    // Cabs: the value less its label, read back as the list shows it; "Match-Amp" takes the
    // amp's own cab, "ORGN" is 0 on the B3.
    {"g5", Group::Amp, "Clean Glass", kAmpParams, {S::AmpCab, " Closed4x12  C412"}, 9, "77", "Closed4x12  C412"},
    {"g5", Group::Amp, "Clean Glass", kAmpParams, {S::AmpCab, " Match-Amp  MAMP"}, 9, "101", "Clean Glass  CG12"},
    {"b3", Group::Amp, "Bass Stack", kB3AmpParams, {S::B3AmpCab, " ORGN  ZZZZ"}, 9, "0", "ORGN  ZZZZ"},
    {"b3", Group::Amp, "Bass Stack", kB3AmpParams, {S::B3AmpCab, " Fliptop  FT15"}, 9, "33", "Fliptop  FT15"},
    // Plus 10 on the B3 tone controls; Mid-F by its catalogue name.
    {"b3", Group::Amp, "Bass Stack", kB3AmpParams, {S::B3AmpBass, -3}, 2, "7", -3},
    {"b3", Group::Amp, "Bass Stack", kB3AmpParams, {S::B3AmpMid, 0}, 3, "10", 0},
    {"b3", Group::Amp, "Bass Stack", kB3AmpParams, {S::B3AmpTrebl, 10}, 4, "20", 10},
    {"b3", Group::Amp, "Bass Stack", kB3AmpParams, {S::B3AmpMidF, "Deep"}, 5, "DEEPVALUE", "Deep"},
    {"b3", Group::Amp, "Bass Stack", kB3AmpParams, {S::B3AmpGain, 70}, 6, "70", 70},
    // The noise reduction: THRSH one less, Detect and Power as numbers.
    {"g5", Group::NoiseReduction, "27", kNoiseParams, {S::NoiseReductionThrsh, 8}, 2, "7", 8},
    {"g5", Group::NoiseReduction, "27", kNoiseParams, {S::NoiseReductionThrsh, 1}, 2, "0", 1},
    {"b3", Group::NoiseReduction, "19", kNoiseParams, {S::NoiseReductionThrsh, 25}, 2, "24", 25},
    {"g5", Group::NoiseReduction, "27", kNoiseParams, {S::NoiseReductionDetect, "EfxIn"}, 3, "1", "EfxIn"},
    {"g5", Group::NoiseReduction, "27", kNoiseParams, {S::NoiseReductionDetect, "GtrIn"}, 3, "0", "GtrIn"},
    {"g3x", Group::NoiseReduction, "27", kNoiseParams, {S::NoiseReductionPower, "OFF"}, 0, "0", "OFF"},
    // Drives: the Booster's and the Bass Muff's own layouts.
    {"b3", Group::Drive, "Booster", kDriveParams, {S::DriveLevel, 80}, 5, "80", 80},
    {"b3", Group::Drive, "Booster", kDriveParams, {S::DriveBass, -10}, 3, "0", -10},
    {"b3", Group::Drive, "Booster", kDriveParams, {S::DriveTrebl, 10}, 4, "20", 10},
    {"b3", Group::Drive, "Bass Muff", kDriveParams, {S::DriveBalance, 40}, 6, "40", 40},
    {"b3", Group::Drive, "Bass Muff", kDriveParams, {S::DriveMode, "BsBST"}, 5, "1", "BsBST"},
    {"b3", Group::Drive, "Octave", kDriveParams, {S::DriveBalance, 40}, 5, "40", 40},
    {"g5", Group::Drive, "Fuzz", kDriveParams, {S::DriveLevel, 80}, 4, "80", 80},
    {"g5", Group::Drive, "Fuzz", kDriveParams, {S::DriveDrive, "Screamer"}, 1, "15", "Screamer"},
    // Reverbs: layouts by type and model.
    {"g5", Group::Reverb, "HD Reverb", kReverbParams, {S::ReverbDecay, 50}, 2, "50", 50},
    {"g5", Group::Reverb, "HD Reverb", kReverbParams, {S::ReverbPreD, 100}, 5, "99", 100},
    {"g5", Group::Reverb, "HD Reverb", kReverbParams, {S::ReverbHpf, 5}, 6, "5", 5},
    {"g5", Group::Reverb, "HD Reverb", kReverbParams, {S::ReverbLevel, 75}, 7, "75", 75},
    {"b3", Group::Reverb, "HD Reverb", kReverbParams, {S::ReverbPreD, 100}, 5, "100", 100},
    {"b3", Group::Reverb, "HD Reverb", kReverbParams, {S::ReverbDecay, 50}, 2, "50", 50},
    {"g5", Group::Reverb, "Early Reflections", kReverbParams, {S::ReverbTone, 7}, 5, "7", 7},
    {"g5", Group::Reverb, "Early Reflections", kReverbParams, {S::ReverbShape, 2}, 3, "12", 2},
    {"b3", Group::Reverb, "Early Reflections", kReverbParams, {S::ReverbShape, -10}, 3, "0", -10},
    {"g5", Group::Reverb, "Hall", kReverbParams, {S::ReverbDecay, 50}, 2, "49", 50},
    {"g5", Group::Reverb, "Hall", kReverbParams, {S::ReverbPreD, 1}, 5, "0", 1},
    {"b3", Group::Reverb, "Hall", kReverbParams, {S::ReverbPreD, 1}, 5, "1", 1},
    {"g5", Group::Reverb, "Hall", kReverbParams, {S::ReverbLevel, 75}, 6, "75", 75},
    {"g5", Group::Reverb, "Air", kReverbParams, {S::ReverbSize, 20}, 2, "20", 20},
    {"b3", Group::Reverb, "Air", kReverbParams, {S::ReverbRef, 7}, 5, "7", 7},
    {"g5", Group::Reverb, "Hall", kReverbParams, {S::ReverbReverb, "Air"}, 1, "66", "Air"},
    // The patch module, per model.
    {"g5", Group::PatchLevel, "9", kPatchParams, {S::PatchLevel, 75}, 2, "75", 75},
    {"g5", Group::PatchLevel, "9", kPatchParams, {S::PatchFootswitch, "Tap Tempo"}, 3, "3", "Tap Tempo"},
    {"g3x", Group::PatchLevel, "6", kPatchParams, {S::PatchLevel, 90}, 0, "90", 90},
    {"g3x", Group::PatchLevel, "6", kPatchParams, {S::PatchExpPedal, "Wah"}, 3, "19", "Wah"},
    {"b3", Group::PatchLevel, "3", kPatchParams, {S::PatchBalance, 30}, 7, "30", 30},
};

// The check list of a group's types, by Group.
const TypeList kListOf[] = {TypeList::Amp, TypeList::Amp, TypeList::Drive, TypeList::Reverb};

}  // namespace

TEST(SettingValues, EachKindIsStoredAsItsTableSaysAndReadsBackAsShown) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(std::string(c.model) + " " + std::string(setting(c.set.id).caption) + " in " + c.type);
        Choices choices = choicesFor(c.model, {c.set});
        std::string typeId = c.type;
        int number = 0;
        if (byTypeList(c.group)) {
            const TypeList list = c.model == std::string("b3") && c.group == Group::Amp
                                      ? TypeList::B3Amp : kListOf[static_cast<int>(c.group)];
            choices.types(list) = typeEntries({c.type});
            typeId = testCatalogue().lookup(c.model + std::string(typeListSuffix(list)), c.type);
        } else if (c.group == Group::PatchLevel) {
            number = std::stoi(c.type);
            typeId.clear();
        }
        Sheet sheet;
        sheet.head().patch("P");
        const Mod m = sheet.effect(number, typeId, c.params);
        sheet.patchEnd().tail();
        Document doc = sheet.document();
        process(doc, testCatalogue(), choices);
        EXPECT_EQ(doc.line(m.line(c.parameter)), prm(c.parameter, c.stored));

        // The module's type as the edit left it.
        const std::string typeNow = c.group == Group::PatchLevel ? "" : std::string(*parameterText(doc.line(m.line(1)), 1));
        const ValueReader reader(testCatalogue(), deviceModel(c.model));
        std::optional<ShownValue> read;
        for (const auto& r : reader.readModule(doc, static_cast<long long>(m.line(0)), c.group, typeNow))
            if (r.setting == c.set.id) read = r.value;
        EXPECT_EQ(read, std::optional<ShownValue>(c.shown));
    }
}

// A stored text that is not a value of its setting, or a line that is not its parameter line,
// reads as nothing; an id the catalogue does not name reads as such.
TEST(SettingValues, UnknownIdsReadAsSuchAndWhatIsNoValueIsNotReadable) {
    Sheet sheet;
    sheet.head().patch("P");
    const Mod znr = sheet.module(0, {"1", "27", "30", "45", "-1"});       // THRSH 31, Detect 45, Level -1
    const Mod amp = sheet.module(1, {"2", "99", "50", "50", "x", "50", "50", "50", "50", "12345"});
    sheet.text("        <Prm3>0</Prm3>");  // out of place: a Prm3 line where a reverb's Prm2 would be
    sheet.patchEnd().tail();
    const Document doc = sheet.document();
    const ValueReader reader(testCatalogue(), deviceModel("g5"));
    auto valueOf = [&](const Mod& m, Group g, std::string_view type, S id) {
        for (const auto& r : reader.readModule(doc, static_cast<long long>(m.line(0)), g, type))
            if (r.setting == id) return r.value;
        ADD_FAILURE() << "no such setting";
        return std::optional<ShownValue>();
    };
    EXPECT_EQ(valueOf(znr, Group::NoiseReduction, "27", S::NoiseReductionPower), std::optional<ShownValue>("ON"));
    EXPECT_EQ(valueOf(znr, Group::NoiseReduction, "27", S::NoiseReductionThrsh), std::nullopt);
    EXPECT_EQ(valueOf(znr, Group::NoiseReduction, "27", S::NoiseReductionDetect), std::nullopt);
    EXPECT_EQ(valueOf(znr, Group::NoiseReduction, "27", S::NoiseReductionLevel), std::nullopt);
    EXPECT_EQ(valueOf(amp, Group::Amp, "99", S::AmpPower), std::nullopt);
    EXPECT_EQ(valueOf(amp, Group::Amp, "99", S::AmpAmp), std::optional<ShownValue>("id 99"));
    EXPECT_EQ(valueOf(amp, Group::Amp, "99", S::AmpLevel), std::nullopt);
    EXPECT_EQ(valueOf(amp, Group::Amp, "99", S::AmpCab), std::optional<ShownValue>("id 12345"));
    const Mod shifted{amp.header + 9};  // its Prm2 is the out-of-place Prm3 line
    EXPECT_EQ(valueOf(shifted, Group::Reverb, "20", S::ReverbDecay), std::nullopt);
}
