// The drive block: the Drive tab's settings, with the Booster ("76") and Bass Muff ("78")
// layouts chosen by the module's current type id.

#include <functional>
#include <map>

#include "EngineTestSupport.h"

using namespace pf;
using namespace pf::test;
using S = pf::SettingId;

namespace {

// Gain 61, Tone 62, Level 63, Balance 64, Bass -3, Trebl 4, Mode BsBST: every setting but
// Power and Drive.
void tickValues(Choices& c) {
    tick(c, S::DriveGain, 61);
    tick(c, S::DriveTone, 62);
    tick(c, S::DriveLevel, 63);
    tick(c, S::DriveBalance, 64);
    tick(c, S::DriveBass, -3);
    tick(c, S::DriveTrebl, 4);
    pick(c, S::DriveMode, "BsBST");
}

using Lines = std::map<int, std::string>;  // parameter number -> value written

void expectDrive(const std::string& model, std::string_view typeName, std::string_view typeId,
                 const std::function<void(Choices&)>& choose, const Lines& written) {
    Sheet s;
    s.head();
    std::vector<Mod> mods;
    for (int i = 0; i < 2; ++i) {
        s.patchStart("P" + std::to_string(i));
        mods.push_back(s.effect(1, typeId, kDriveParams));
        s.effect(2, "999", kDriveParams);  // a drive of another type, never ticked
        s.patchEnd();
    }
    s.tail();
    Choices c = choicesFor(model);
    c.types(TypeList::Drive) = typeEntries({typeName});
    choose(c);
    ProcessReport r;
    const auto out = run(s, c, &r);
    auto expected = s.lines;
    for (const Mod& m : mods)
        for (const auto& [n, v] : written) expected[m.line(n)] = prm(n, v);
    EXPECT_TRUE(sameDocument(out, expected));
    EXPECT_EQ(blockOf(r, Group::Drive)->hits, 2u);
}

}  // namespace

TEST(DriveBlock, LayoutsByTypeWithEverySettingTicked) {
    struct Case { std::string model, typeName, typeId; Lines written; };
    const Case cases[] = {
        // Balance at Prm5; Bass, Trebl and Mode write nothing.
        {"b3", "Octave", "31", {{2, "61"}, {3, "62"}, {4, "63"}, {5, "64"}}},
        {"g5", "Fuzz", "14", {{2, "61"}, {3, "62"}, {4, "63"}, {5, "64"}}},
        // Booster: Bass over Tone, Trebl at Prm4, Level at Prm5, no Balance: on every model.
        {"b3", "Booster", "76", {{2, "61"}, {3, "7"}, {4, "14"}, {5, "63"}}},
        {"g5", "Booster", "76", {{2, "61"}, {3, "7"}, {4, "14"}, {5, "63"}}},
        {"g3x", "Booster", "76", {{2, "61"}, {3, "7"}, {4, "14"}, {5, "63"}}},
        // Bass Muff: Mode at Prm5, Balance at Prm6.
        {"b3", "Bass Muff", "78", {{2, "61"}, {3, "62"}, {4, "63"}, {5, "1"}, {6, "64"}}},
        {"g5", "Bass Muff", "78", {{2, "61"}, {3, "62"}, {4, "63"}, {5, "1"}, {6, "64"}}},
    };
    for (const auto& cs : cases) {
        SCOPED_TRACE(cs.model + " " + cs.typeName);
        expectDrive(cs.model, cs.typeName, cs.typeId, tickValues, cs.written);
    }
}

TEST(DriveBlock, SingleSettings) {
    struct Case {
        const char* name;
        std::string typeName, typeId;
        std::function<void(Choices&)> choose;
        Lines written;
    };
    const Case cases[] = {
        {"Power OFF", "Octave", "31", [](Choices& c) { pick(c, S::DrivePower, "OFF"); }, {{0, "0"}}},
        {"Power ON", "Octave", "31", [](Choices& c) { pick(c, S::DrivePower, "ON"); }, {{0, "1"}}},
        {"Power, nothing selected", "Octave", "31", [](Choices& c) { pick(c, S::DrivePower, ""); }, {{0, "1"}}},
        {"Drive", "Octave", "31", [](Choices& c) { pick(c, S::DriveDrive, "Booster"); }, {{1, "76"}}},
        {"Drive Remove", "Octave", "31", [](Choices& c) { pick(c, S::DriveDrive, "Remove"); }, {{1, "0"}}},
        {"Level on a Booster", "Booster", "76", [](Choices& c) { tick(c, S::DriveLevel, 150); }, {{5, "150"}}},
        {"Level elsewhere", "Bass Muff", "78", [](Choices& c) { tick(c, S::DriveLevel, 0); }, {{4, "0"}}},
        {"Balance on a Booster", "Booster", "76", [](Choices& c) { tick(c, S::DriveBalance, 64); }, {}},
        {"Balance on a Bass Muff", "Bass Muff", "78", [](Choices& c) { tick(c, S::DriveBalance, 64); }, {{6, "64"}}},
        {"Balance elsewhere", "Octave", "31", [](Choices& c) { tick(c, S::DriveBalance, 100); }, {{5, "100"}}},
        {"Bass -10", "Booster", "76", [](Choices& c) { tick(c, S::DriveBass, -10); }, {{3, "0"}}},
        {"Bass 0", "Booster", "76", [](Choices& c) { tick(c, S::DriveBass, 0); }, {{3, "10"}}},
        {"Bass 10", "Booster", "76", [](Choices& c) { tick(c, S::DriveBass, 10); }, {{3, "20"}}},
        {"Bass elsewhere", "Bass Muff", "78", [](Choices& c) { tick(c, S::DriveBass, 5); }, {}},
        {"Trebl -10", "Booster", "76", [](Choices& c) { tick(c, S::DriveTrebl, -10); }, {{4, "0"}}},
        {"Trebl 10", "Booster", "76", [](Choices& c) { tick(c, S::DriveTrebl, 10); }, {{4, "20"}}},
        {"Trebl elsewhere", "Octave", "31", [](Choices& c) { tick(c, S::DriveTrebl, 5); }, {}},
        {"Mode NORM", "Bass Muff", "78", [](Choices& c) { pick(c, S::DriveMode, "NORM"); }, {{5, "0"}}},
        {"Mode BsBST", "Bass Muff", "78", [](Choices& c) { pick(c, S::DriveMode, "BsBST"); }, {{5, "1"}}},
        {"Mode, nothing selected", "Bass Muff", "78", [](Choices& c) { pick(c, S::DriveMode, ""); }, {{5, "1"}}},
        {"Mode elsewhere", "Booster", "76", [](Choices& c) { pick(c, S::DriveMode, "BsBST"); }, {}},
        {"Tone, then Bass on a Booster", "Booster", "76",
         [](Choices& c) { tick(c, S::DriveTone, 62); tick(c, S::DriveBass, 2); }, {{3, "12"}}},
    };
    for (const auto& cs : cases) {
        SCOPED_TRACE(cs.name);
        expectDrive("b3", cs.typeName, cs.typeId, cs.choose, cs.written);
    }
}

// The type edit sets the current type id: later rows use the layout of the new type.
TEST(DriveBlock, TypeChangeDecidesTheLayoutOfTheRest) {
    struct Case { const char* name; const char* newDrive; const char* newId; Lines booster, octave; };
    const Case cases[] = {
        {"to Bass Muff", "Bass Muff", "78",
         {{1, "78"}, {2, "61"}, {3, "62"}, {4, "63"}, {5, "1"}, {6, "64"}},
         {{1, "78"}, {2, "61"}, {3, "62"}, {4, "63"}, {5, "1"}, {6, "64"}}},
        {"to Booster", "Booster", "76",
         {{1, "76"}, {2, "61"}, {3, "7"}, {4, "14"}, {5, "63"}},
         {{1, "76"}, {2, "61"}, {3, "7"}, {4, "14"}, {5, "63"}}},
        {"to Octave", "Octave", "31",
         {{1, "31"}, {2, "61"}, {3, "62"}, {4, "63"}, {5, "64"}},
         {{1, "31"}, {2, "61"}, {3, "62"}, {4, "63"}, {5, "64"}}},
    };
    for (const auto& cs : cases) {
        SCOPED_TRACE(cs.name);
        Sheet s;
        s.head();
        const Mod booster = s.effect(1, "76", kDriveParams);
        const Mod octave = s.effect(2, "31", kDriveParams);
        const Mod muff = s.effect(3, "78", kDriveParams);  // not ticked
        s.tail();
        Choices c = choicesFor("b3");
        c.types(TypeList::Drive) = typeEntries({"Booster", "Octave"}, {"Bass Muff"});
        tickValues(c);
        pick(c, S::DriveDrive, cs.newDrive);
        const auto out = run(s, c);
        auto expected = s.lines;
        for (const auto& [n, v] : cs.booster) expected[booster.line(n)] = prm(n, v);
        for (const auto& [n, v] : cs.octave) expected[octave.line(n)] = prm(n, v);
        (void)muff;
        EXPECT_TRUE(sameDocument(out, expected));
    }
}

TEST(DriveBlock, OnlyTickedTypesInEveryPatch) {
    Sheet s;
    s.head();
    std::vector<Mod> fuzz;
    for (int i = 0; i < 4; ++i) {
        s.patchStart("P" + std::to_string(i));
        fuzz.push_back(s.effect(1, "14", kDriveParams));
        s.effect(2, "15", kDriveParams);  // Screamer, ticked off
        s.patchEnd();
    }
    s.tail();
    Choices c = choicesFor("g5");
    c.types(TypeList::Drive) = typeEntries({"Fuzz", "Booster"}, {"Screamer"});  // no Booster in the file
    tick(c, S::DriveGain, 40);
    ProcessReport r;
    const auto out = run(s, c, &r);
    auto expected = s.lines;
    for (const Mod& m : fuzz) expected[m.line(2)] = prm(2, "40");
    EXPECT_TRUE(sameDocument(out, expected));
    const BlockReport* b = blockOf(r, Group::Drive);
    ASSERT_EQ(b->types.size(), 2u);
    EXPECT_EQ(b->types[0].hits, 4u);
    EXPECT_EQ(b->types[1].hits, 0u);
}
