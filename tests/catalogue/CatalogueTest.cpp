#include <gtest/gtest.h>

#include "catalogue/Catalogue.h"
#include "support/TempDir.h"

using pf::Catalogue;
using pf::IniEntry;

namespace {

std::vector<std::string> names(const std::vector<IniEntry>& entries) {
    std::vector<std::string> out;
    for (const auto& e : entries) out.push_back(e.name + "=" + e.value);
    return out;
}

const char* kSample =
    "; a comment line\n"
    "stray=before any section\n"
    "[g5-amp]\n"
    "  Clean Glass  =  40  \n"
    "Remove=0\n"
    "# another comment\n"
    "   ; an indented comment\n"
    "clean glass=99\n"
    "Empty=\n"
    "Semi=12;34\n"
    "CLEAN GLASS=77\n"
    "Tweed=41\n"
    "[G5-CAB]\n"
    "Match-Amp=MAMP\n"
    "Fuzz=FZ\n";

}  // namespace

TEST(Catalogue, ReadSectionKeepsFileOrderFirstSpellingAndDropsEmptyValues) {
    const Catalogue c = Catalogue::fromBytes(kSample);
    EXPECT_EQ(names(c.readSection("g5-amp")),
              (std::vector<std::string>{"Clean Glass=40", "Remove=0", "Semi=12;34", "Tweed=41"}));
    EXPECT_EQ(names(c.readSection("g5-cab")), (std::vector<std::string>{"Match-Amp=MAMP", "Fuzz=FZ"}));
}

TEST(Catalogue, LookupIgnoresCaseAndBlanksAroundTheName) {
    const Catalogue c = Catalogue::fromBytes(kSample);
    struct Case { const char* section; const char* name; const char* value; };
    const Case cases[] = {
        {"g5-amp", "Clean Glass", "40"},   {"G5-AMP", " clean glass ", "40"}, {"g5-amp", "\tTweed\t", "41"},
        {"g5-amp", "Semi", "12;34"},       {"g5-amp", "Missing", ""},         {"g5-amp", "Empty", ""},
        {"g5-cab", "match-amp", "MAMP"},   {"g5-cab", "FUZZ", "FZ"},          {"nosuch", "Tweed", ""},
        {"", "stray", ""},                 {"g5-amp", "Clean  Glass", ""},
    };
    for (const auto& k : cases) EXPECT_EQ(c.lookup(k.section, k.name), k.value) << k.section << "/" << k.name;
}

TEST(Catalogue, EntryWhoseFirstValueIsEmptyIsLeftOutEvenIfRepeatedWithAValue) {
    const Catalogue c = Catalogue::fromBytes("[s]\nA=\na=5\nB=2\n");
    EXPECT_EQ(names(c.readSection("s")), (std::vector<std::string>{"B=2"}));
    EXPECT_EQ(c.lookup("s", "A"), "");
}

TEST(Catalogue, LongValuesAndRawBytesSurvive) {
    std::string value(400, 'x');
    value[5] = '\xE9';
    value[6] = '\xFF';
    const Catalogue c = Catalogue::fromBytes("[s]\nLong=" + value + "\n");
    EXPECT_EQ(c.lookup("s", "long"), value);
}

TEST(Catalogue, MissingOrUnreadableFileGivesEmptyReads) {
    pf::test::TempDir dir;
    for (const auto& path : {dir / "absent.ini", dir.path()}) {
        const Catalogue c = Catalogue::open(path);
        EXPECT_TRUE(c.readSection("g5-amp").empty());
        EXPECT_EQ(c.lookup("g5-amp", "Clean Glass"), "");
    }
}

TEST(Catalogue, OpenReadsTheFileAsBytes) {
    pf::test::TempDir dir;
    pf::test::writeFile(dir / "c.ini", "[b3-drive]\r\nBooster=76\r\nBass Muff=78\r\n");
    const Catalogue c = Catalogue::open(dir / "c.ini");
    EXPECT_EQ(names(c.readSection("b3-drive")), (std::vector<std::string>{"Booster=76", "Bass Muff=78"}));
}

// Shipped files: beside the program first, then in the install tree's share/presetforger seen
// from the program's bin folder; when neither is there, the place beside the program.
TEST(Catalogue, ShippedFilesAreFoundBesideTheProgramThenInTheInstallTree) {
    pf::test::TempDir root;
    const auto bin = root / "usr" / "bin";
    const auto share = root / "usr" / "share" / "presetforger";
    std::filesystem::create_directories(bin);
    std::filesystem::create_directories(share);
    EXPECT_EQ(pf::programFileFrom(bin, "Presetforger2000.ini"), bin / "Presetforger2000.ini") << "neither";
    pf::test::writeFile(share / "Presetforger2000.ini", "[s]\n");
    EXPECT_EQ(pf::programFileFrom(bin, "Presetforger2000.ini"), share / "Presetforger2000.ini");
    EXPECT_EQ(pf::programFileFrom(bin, "README.md"), bin / "README.md") << "only the file asked for";
    pf::test::writeFile(bin / "Presetforger2000.ini", "[s]\n");
    EXPECT_EQ(pf::programFileFrom(bin, "Presetforger2000.ini"), bin / "Presetforger2000.ini") << "beside wins";
}

// Odd files: no sections (nothing is read), a repeated section (merged at its first place),
// a huge value (kept whole), binary garbage (read as far as it parses, never a failure).
TEST(Catalogue, OddFilesDoNotFail) {
    EXPECT_TRUE(Catalogue::fromBytes("a=1\nb=2\n").readSection("").empty());
    const Catalogue merged = Catalogue::fromBytes("[s]\nA=1\n[t]\nX=9\n[S]\nB=2\nA=3\n");
    EXPECT_EQ(names(merged.readSection("s")), (std::vector<std::string>{"A=1", "B=2"}));
    const std::string huge(5 * 1024 * 1024, 'v');
    EXPECT_EQ(Catalogue::fromBytes("[s]\nBig=" + huge + "\n").lookup("s", "big"), huge);
    // Binary garbage (no NUL) before a good section: the section after it is read whole.
    std::string garbage;
    for (int i = 1; i < 4096; ++i) garbage += static_cast<char>((i * 7919) & 0xFF ? (i * 7919) & 0xFF : 1);
    const Catalogue g = Catalogue::fromBytes(garbage + "\n[g5-amp]\nClean Glass=40\nPlexi Stack=43\n");
    EXPECT_EQ(names(g.readSection("g5-amp")), (std::vector<std::string>{"Clean Glass=40", "Plexi Stack=43"}));
    EXPECT_EQ(g.lookup("g5-amp", "x"), "");
}

// The bundled catalogue keeps the ids the program relies on.
TEST(Catalogue, BundledCatalogueHoldsTheFixedIds) {
    const Catalogue c = Catalogue::open(std::filesystem::path(PF_BUILD_DIR) / "Presetforger2000.ini");
    struct Case { const char* section; const char* name; const char* value; };
    const Case cases[] = {
        {"b3-drive", "Booster", "76"},        {"b3-drive", "Bass Muff", "78"},
        {"g5-reverb", "HD Reverb", "105"},    {"g5-reverb", "Early Reflections", "65"}, {"g5-reverb", "Air", "66"},
        {"g3x-reverb", "HD Reverb", "105"},   {"g3x-reverb", "Early Reflections", "65"}, {"g3x-reverb", "Air", "66"},
        {"b3-reverb", "HD Reverb", "65"},     {"b3-reverb", "Early Reflections", "54"}, {"b3-reverb", "Air", "55"},
    };
    for (const auto& k : cases) EXPECT_EQ(c.lookup(k.section, k.name), k.value) << k.section << "/" << k.name;
    for (const char* m : {"g5", "g3x", "b3"}) {
        const std::string model = m;
        for (const char* suffix : {"-amp", "-cab", "-midf", "-drive", "-reverb", "-footswitch", "-exppedal"})
            EXPECT_FALSE(c.readSection(model + suffix).empty()) << model << suffix;
        for (const char* suffix : {"-amp", "-drive", "-reverb"}) EXPECT_NE(c.lookup(model + suffix, "Remove"), "");
        const char* nr = model == "b3" ? "19" : "27";
        for (const char* suffix : {"-amp", "-drive", "-reverb"})
            for (const auto& e : c.readSection(model + suffix)) EXPECT_NE(e.value, nr) << model << suffix << e.name;
        const char* special = model == "b3" ? "ORGN" : "Match-Amp";
        EXPECT_NE(c.lookup(model + "-cab", special), "");
        for (const auto& e : c.readSection(model + "-amp")) {
            if (model != "b3" && e.name != "Remove") {
                EXPECT_NE(c.lookup(model + "-cab", e.name), "") << e.name;
            }
        }
        EXPECT_NE(c.lookup(model + "-exppedal", "Input-Volume"), "");
        EXPECT_NE(c.lookup(model + "-exppedal", "Output-Volume"), "");
    }
}
