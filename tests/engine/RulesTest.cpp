// Rules: each form on each kind of number and list, per model, against what the module holds.
// The value a rule writes is worked out here from the module's own line, the setting's place
// and storage as the block tables give them; the program's own arithmetic is not used.
#include <gmock/gmock.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "EngineTestSupport.h"
#include "engine/PatchGroup.h"
#include "recipe/Apply.h"

using namespace pf;
using namespace pf::test;

namespace {

// One module of a file, the recipe's section, key and value, and what it held before.
struct Scene {
    const char* model;
    const char* section;
    const char* only;  // the type ticked (its catalogue name); nullptr: a block without a list
    int module;        // ZNR 0; the patch module by number; effects any
    int params;
    const char* key;
    const char* rule;
};

// Loads a file of one patch per held module and runs the recipe on it.
struct Ran {
    Sheet sheet;
    std::vector<Mod> mods;
    std::vector<std::string> out;
    ProcessReport report;
    EditRecord record;
};
Ran runRecipe(const Scene& s, const std::vector<Written>& held, std::string more = {}) {
    Ran r;
    std::string typeId;
    if (s.only)
        typeId = testCatalogue().lookup(std::string(s.model) + (std::strcmp(s.section, "Reverb") == 0 ? "-reverb"
                                                                : std::strcmp(s.section, "Drive") == 0 ? "-drive" : "-amp"),
                                        s.only);
    else if (s.module == 0) typeId = std::strcmp(s.model, "b3") == 0 ? "19" : "27";
    r.sheet.head();
    for (size_t i = 0; i < held.size(); ++i) {
        r.sheet.patch("P" + std::to_string(i));
        r.mods.push_back(r.sheet.effect(s.module, typeId, s.params));
        for (const auto& [n, v] : held[i])
            r.sheet.lines[r.mods.back().line(n)] = v[0] == '\t' ? "\t<Prm" + std::to_string(n) + ">" + v.substr(1) + "</Prm" + std::to_string(n) + ">" : prm(n, v);
        r.sheet.patchEnd();
    }
    r.sheet.tail();
    const std::string recipe = "[" + std::string(s.section) + "]\n" + s.key + " = " + s.rule + "\n" +
                               (s.only ? "Only = " + std::string(s.only) + "\n" : "") + more;
    const RecipeResult parsed = parseRecipe(recipe);
    EXPECT_TRUE(parsed.ok()) << recipe;
    PatchGroup group;
    std::string bytes;
    for (const auto& l : r.sheet.lines) bytes += l + "\r\n";
    group.loadBytes(bytes, std::string("set") + std::string(deviceModel(s.model).extension), testCatalogue());
    const FileChoices fc = choicesFor(parsed.recipe, group);
    EXPECT_TRUE(fc.ok()) << recipe;
    r.report = group.process(fc.choices, testCatalogue(), &r.record);
    r.out = group.document().lines();
    return r;
}

// The rule's outcome for a number held: its result's stored text, or what left the line alone.
enum class Outcome { Written, Unchanged, Skipped, LeftOut };
std::pair<Outcome, std::string> expected(const char* rule, std::string_view held, int shift, int lo, int hi) {
    int a = 0, b = 0, from = INT_MIN, to = INT_MAX;
    char form = '=';
    if (const char* cond = std::strstr(rule, " if ")) std::sscanf(cond + 4, "%d..%d", &from, &to);
    if (std::sscanf(rule, "add %d", &a) == 1) form = 'a';
    else if (std::sscanf(rule, "scale %d%%", &a) == 1) form = 's';
    else if (std::sscanf(rule, "limit %d..%d", &a, &b) == 2) form = 'l';
    else std::sscanf(rule, "%d", &a);
    if (!held.empty() && held[0] == '\t') held.remove_prefix(1);
    int stored = 0;
    const auto [end, ec] = std::from_chars(held.data(), held.data() + held.size(), stored);
    const int value = stored - shift;  // stored "less one" reads back one more
    if (ec != std::errc() || end != held.data() + held.size() || value < lo || value > hi) return {Outcome::Skipped, ""};
    if (value < from || value > to) return {Outcome::LeftOut, ""};
    long r = form == 'a' ? value + a : form == 's' ? std::lround(value * a / 100.0) : form == 'l' ? std::clamp(value, a, b) : a;
    r = std::clamp<long>(r, lo, hi);
    if (r == value) return {Outcome::Unchanged, ""};
    return {Outcome::Written, std::to_string(shift < 0 ? std::max(0L, r + shift) : r + shift)};
}

struct NumberCase {
    Scene scene;
    int parameter, shift;  // where the setting stands; stored = shown + shift
    const char* held;      // its text; a leading tab: the line indented with a tab
};

const NumberCase kNumbers[] = {
    // Plain numbers: every form, conditions at both ends, results pulled into range at both ends.
    {{"g5", "Amp", "Clean Glass", 3, kAmpParams, "Gain", "limit 30..60"}, 2, 0, "87"},
    {{"g5", "Amp", "Clean Glass", 3, kAmpParams, "Gain", "limit 30..60"}, 2, 0, "22"},
    {{"g5", "Amp", "Clean Glass", 3, kAmpParams, "Gain", "limit 30..60"}, 2, 0, "\t45"},
    {{"g5", "Amp", "Clean Glass", 3, kAmpParams, "Gain", "add 5"}, 2, 0, "98"},
    {{"g5", "Amp", "Clean Glass", 3, kAmpParams, "Gain", "add -5"}, 2, 0, "3"},
    {{"g5", "Amp", "Clean Glass", 3, kAmpParams, "Gain", "scale 90%"}, 2, 0, "80"},
    {{"g5", "Amp", "Clean Glass", 3, kAmpParams, "Gain", "scale 90%"}, 2, 0, "45"},
    {{"g5", "Amp", "Clean Glass", 3, kAmpParams, "Gain", "add -5 if 81..100"}, 2, 0, "81"},
    {{"g5", "Amp", "Clean Glass", 3, kAmpParams, "Gain", "add -5 if 81..100"}, 2, 0, "80"},
    {{"g5", "Amp", "Clean Glass", 3, kAmpParams, "Gain", "add -5 if 81..100"}, 2, 0, "100"},
    {{"g5", "Amp", "Clean Glass", 3, kAmpParams, "Gain", "add -5 if 0..99"}, 2, 0, "100"},
    {{"g5", "Amp", "Clean Glass", 3, kAmpParams, "Gain", "add 5"}, 2, 0, "x"},
    {{"g5", "Amp", "Clean Glass", 3, kAmpParams, "Gain", "add 5"}, 2, 0, "101"},
    {{"g5", "Amp", "Clean Glass", 3, kAmpParams, "Gain", "60 if 50..70"}, 2, 0, "\t60"},
    {{"g5", "Amp", "Clean Glass", 3, kAmpParams, "Gain", "70 if 50..70"}, 2, 0, "50"},
    {{"g3x", "Amp", "Tweed Lux", 3, kAmpParams, "Level", "add 10"}, 4, 0, "150"},
    {{"g3x", "Drive", "Fuzz", 1, kDriveParams, "Level", "scale 150%"}, 4, 0, "99"},
    // Plus 10.
    {{"b3", "B3 Amp", "Bass Stack", 3, kB3AmpParams, "Bass", "add 10"}, 2, 10, "15"},
    {{"b3", "B3 Amp", "Bass Stack", 3, kB3AmpParams, "Bass", "add -5"}, 2, 10, "3"},
    {{"b3", "B3 Amp", "Bass Stack", 3, kB3AmpParams, "Mid", "scale 50%"}, 3, 10, "17"},
    {{"b3", "B3 Amp", "Bass Stack", 3, kB3AmpParams, "Trebl", "scale 50%"}, 4, 10, "3"},
    {{"b3", "B3 Amp", "Bass Stack", 3, kB3AmpParams, "Trebl", "add 1"}, 4, 10, "21"},
    {{"b3", "Drive", "Booster", 1, kDriveParams, "Trebl", "limit -2..2 if -10..0"}, 4, 10, "0"},
    {{"g5", "Reverb", "Early Reflections", 4, kReverbParams, "Shape", "limit -5..5"}, 3, 10, "2"},
    // Less one, and the same setting stored as shown in another type or on another model.
    {{"g5", "ZNR", nullptr, 0, kNoiseParams, "THRSH", "add 3"}, 2, -1, "0"},
    {{"g3x", "ZNR", nullptr, 0, kNoiseParams, "THRSH", "add 1"}, 2, -1, "24"},
    {{"b3", "ZNR", nullptr, 0, kNoiseParams, "THRSH", "add 1"}, 2, -1, "25"},
    {{"g5", "Reverb", "Hall", 4, kReverbParams, "Decay", "scale 50%"}, 2, -1, "49"},
    {{"g5", "Reverb", "HD Reverb", 4, kReverbParams, "Decay", "scale 50%"}, 2, 0, "49"},
    {{"g5", "Reverb", "Hall", 4, kReverbParams, "PreD", "add 5 if 100..200"}, 5, -1, "99"},
    {{"b3", "Reverb", "Hall", 4, kReverbParams, "PreD", "add 5 if 100..200"}, 5, 0, "99"},
    // The patch module of each model.
    {{"g5", "Patch", nullptr, 9, kPatchParams, "Patch Level", "scale 90%"}, 2, 0, "82"},
    {{"g3x", "Patch", nullptr, 6, kPatchParams, "Patch Level", "limit 0..60"}, 0, 0, "99"},
    {{"b3", "Patch", nullptr, 3, kPatchParams, "Balance", "limit 40..60"}, 7, 0, "30"},
};

struct ListCase {
    Scene scene;
    Written held, written;  // written empty: the module is left as it was
    Outcome outcome;
};

const ListCase kLists[] = {
    {{"g5", "Reverb", "Hall", 4, kReverbParams, "Reverb", "Air if Hall"}, {}, {{1, "66"}}, Outcome::Written},
    {{"g5", "Reverb", "Hall", 4, kReverbParams, "Reverb", "Air if Spring, Plate"}, {}, {}, Outcome::LeftOut},
    {{"g5", "Amp", "Clean Glass", 3, kAmpParams, "Power", "OFF if ON"}, {{0, "1"}}, {{0, "0"}}, Outcome::Written},
    {{"g5", "Amp", "Clean Glass", 3, kAmpParams, "Power", "OFF if ON"}, {{0, "0"}}, {}, Outcome::LeftOut},
    {{"g5", "Amp", "Clean Glass", 3, kAmpParams, "Power", "OFF if OFF"}, {{0, "0"}}, {}, Outcome::Unchanged},
    {{"g5", "Amp", "Clean Glass", 3, kAmpParams, "Power", "OFF if ON"}, {{0, "5"}}, {}, Outcome::Skipped},
    {{"g5", "Amp", "Clean Glass", 3, kAmpParams, "Cab", "Closed4x12 if Open, Tiny"}, {{9, "55"}}, {{9, "77"}}, Outcome::Written},
    {{"g5", "Amp", "Clean Glass", 3, kAmpParams, "Cab", "Closed4x12 if Open"}, {{9, "12345"}}, {}, Outcome::LeftOut},
    {{"b3", "B3 Amp", "Bass Stack", 3, kB3AmpParams, "Cab", "ORGN if Bass"}, {{9, "21"}}, {{9, "0"}}, Outcome::Written},
    {{"b3", "B3 Amp", "Bass Stack", 3, kB3AmpParams, "Mid-F", "Deep if 250Hz"}, {{5, "0"}}, {{5, "DEEPVALUE"}}, Outcome::Written},
    {{"b3", "Drive", "Bass Muff", 1, kDriveParams, "Mode", "BsBST if NORM"}, {{5, "0"}}, {{5, "1"}}, Outcome::Written},
    {{"g3x", "ZNR", nullptr, 0, kNoiseParams, "Detect", "EfxIn if GtrIn"}, {{3, "0"}}, {{3, "1"}}, Outcome::Written},
    {{"b3", "Patch", nullptr, 3, kPatchParams, "CTRL PDL", "Output-Volume if Volume"}, {{3, "1"}}, {{3, "6"}, {5, "100"}}, Outcome::Written},
    {{"b3", "Patch", nullptr, 3, kPatchParams, "CTRL PDL", "Output-Volume if Volume"}, {{3, "4"}}, {}, Outcome::LeftOut},
};

// Every other line is as it was; skipped and left-out modules are counted as such.
void expectOutcome(const Ran& r, const Written& written, Outcome outcome) {
    auto lines = r.sheet.lines;
    for (const auto& [n, v] : written) lines[r.mods[0].line(n)] = prm(n, v);
    EXPECT_TRUE(sameDocument(r.out, lines));
    EXPECT_EQ(r.report.editsSkipped(), outcome == Outcome::Skipped ? 1u : 0u);
    EXPECT_EQ(r.report.editsLeftOut(), outcome == Outcome::LeftOut ? 1u : 0u);
}

}  // namespace

TEST(Rules, NumbersFromWhatEachModuleHoldsPulledIntoRange) {
    for (const NumberCase& c : kNumbers) {
        SCOPED_TRACE(std::string(c.scene.model) + " [" + c.scene.section + "] " + c.scene.key + " = " + c.scene.rule + " on " + c.held);
        const Ran r = runRecipe(c.scene, {{{c.parameter, c.held}}});
        SettingId id{};
        for (const auto& def : settings())
            if (def.caption == c.scene.key && sectionOf(def.id).name == c.scene.section) id = def.id;
        const auto [outcome, text] = expected(c.scene.rule, c.held, c.shift, setting(id).minimum, setting(id).maximum);
        expectOutcome(r, outcome == Outcome::Written ? Written{{c.parameter, text}} : Written{}, outcome);
    }
}

TEST(Rules, ListsByTheirNamesAndTheCataloguesChoices) {
    for (const ListCase& c : kLists) {
        SCOPED_TRACE(std::string(c.scene.model) + " [" + c.scene.section + "] " + c.scene.key + " = " + c.scene.rule);
        const Ran r = runRecipe(c.scene, {c.held});
        expectOutcome(r, c.written, c.outcome);
    }
}

// A module whose type the Drive setting changes to a type ticked later is found again: its
// rules are not weighed twice, and they follow the new type's layout (the Booster's Level at
// Prm5). The changes show each rewrite's rule, the report the edits left out.
TEST(Rules, AModuleTheSameProcessRetypesIsWeighedOnceWithItsNewLayout) {
    const Scene gain{"g5", "Drive", "Fuzz", 1, kDriveParams, "Drive", "Screamer"};
    const Ran r = runRecipe(gain, {{{2, "50"}}}, "Gain = add -5\nOnly = Screamer\n");
    expectOutcome(r, {{1, "15"}, {2, "45"}}, Outcome::Written);

    const Scene level{"b3", "Drive", "Booster", 1, kDriveParams, "Drive", "Bass Muff"};
    const Ran b = runRecipe(level, {{{4, "40"}, {5, "50"}}, {{4, "70"}, {5, "30"}}}, "Level = add 10 if 0..60\nOnly = Bass Muff\n");
    auto lines = b.sheet.lines;
    lines[b.mods[0].line(1)] = lines[b.mods[1].line(1)] = prm(1, "78");
    lines[b.mods[0].line(4)] = prm(4, "50");
    EXPECT_TRUE(sameDocument(b.out, lines));
    EXPECT_EQ(b.report.editsLeftOut(), 1u);
    EXPECT_THAT(b.report.summary(), ::testing::HasSubstr("1 edit left out by its condition"));
    EXPECT_EQ(b.record.rule(S::DriveLevel), "add 10 if 0..60");
    EXPECT_EQ(b.record.rule(S::DriveDrive), "");
}

// Patches patterns: '*' and '?', letter case ignored, the nearest named patch above a module.
TEST(Rules, PatchPatternsLimitTheSectionsEdits) {
    Sheet s;
    s.head();
    std::vector<Mod> mods;
    for (const char* name : {"Stage Clean", "stage lead", "Garage"}) {
        s.patch(name);
        mods.push_back(s.effect(0, "27", kNoiseParams));
        s.patchEnd();
    }
    s.tail();
    Choices c = choicesFor("g5", {{S::NoiseReductionLevel, 50}});
    c.patches[sectionIndex(S::NoiseReductionLevel)] = {"ST?GE*", "nothing"};
    ProcessReport report;
    const auto out = run(s, c, &report);
    auto lines = s.lines;
    lines[mods[0].line(4)] = lines[mods[1].line(4)] = prm(4, "50");
    EXPECT_TRUE(sameDocument(out, lines));
    EXPECT_EQ(report.editsLeftOut(), 1u);
}
