#pragma once

// Building blocks for the engine tests: patch-group documents written line by line in the
// file's own grammar, a small catalogue, choices as the window would hand them over, and a
// whole-document check.

#include <gtest/gtest.h>

#include <initializer_list>
#include <map>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/Catalogue.h"
#include "document/Document.h"
#include "engine/Choices.h"
#include "engine/Process.h"

namespace pf::test {

using S = SettingId;

// "        <PrmN>value</PrmN>"
inline std::string prm(int n, std::string_view value) {
    const std::string num = std::to_string(n);
    return "        <Prm" + num + ">" + std::string(value) + "</Prm" + num + ">";
}

// Where a module's lines stand in a sheet.
struct Mod {
    size_t header = 0;
    size_t line(int prmNumber) const { return header + 1 + static_cast<size_t>(prmNumber); }
    size_t typeLine() const { return line(1); }
};

// Module sizes of a well-formed file.
inline constexpr int kNoiseParams = 5, kAmpParams = 10, kB3AmpParams = 11, kDriveParams = 7, kReverbParams = 8,
                     kPatchParams = 8;

// A document under construction. Modules get filler values that no test writes
// ("7" + module digit + parameter number), so every rewrite shows.
struct Sheet {
    std::vector<std::string> lines;

    Sheet& text(std::string line) { lines.push_back(std::move(line)); return *this; }
    Sheet& head() { return text("<?xml version=\"1.0\" encoding=\"UTF-8\"?>").text("<PatchGroup Device=\"Test\">"); }
    Sheet& tail() { return text("</PatchGroup>"); }
    Sheet& patch(std::string_view name) { return text("  <Patch Name=\"" + std::string(name) + "\">"); }
    Sheet& patchEnd() { return text("  </Patch>"); }

    // A module with the given values for Prm0, Prm1, ... and its closing line.
    Mod module(int number, const std::vector<std::string>& values) {
        Mod m{lines.size()};
        text("  <Module" + std::to_string(number) + ">");
        for (size_t k = 0; k < values.size(); ++k) text(prm(static_cast<int>(k), values[k]));
        text("  </Module" + std::to_string(number) + ">");
        return m;
    }
    // A module of `params` parameter lines; Prm1 holds `typeId` (filler when empty).
    Mod effect(int number, std::string_view typeId, int params) {
        std::vector<std::string> values;
        for (int k = 0; k < params; ++k)
            values.push_back(k == 1 && !typeId.empty() ? std::string(typeId)
                                                       : "7" + std::to_string(number % 10) + std::to_string(k));
        return module(number, values);
    }
    Document document() const {
        std::string bytes;
        for (const auto& l : lines) bytes += l + "\r\n";
        return Document::fromBytes(bytes);
    }
};

// One setting box ticked, with its spin value or drop-down text.
struct Set {
    S id;
    int number = 0;
    const char* text = nullptr;
    Set(S i, int n) : id(i), number(n) {}
    Set(S i, const char* t) : id(i), text(t) {}
};

// Check-list entries: one blank and the catalogue name.
inline std::vector<TypeEntry> typeEntries(std::initializer_list<std::string_view> ticked,
                                          std::initializer_list<std::string_view> unticked = {}) {
    std::vector<TypeEntry> out;
    for (auto n : ticked) out.push_back({" " + std::string(n), true});
    for (auto n : unticked) out.push_back({" " + std::string(n), false});
    return out;
}

inline Choices choicesFor(std::string model, const std::vector<Set>& sets = {}) {
    Choices c = Choices::atStart();
    c.model = std::move(model);
    for (const Set& s : sets) {
        c[s.id].ticked = true;
        if (s.text) c[s.id].text = s.text; else c[s.id].number = s.number;
    }
    return c;
}

// A cab drop-down item: one blank, the name, two blanks, the first four characters of its value.
inline std::string cabItem(std::string_view name, std::string_view value) {
    return " " + std::string(name) + "  " + std::string(value.substr(0, 4));
}

inline std::string longValue(size_t n) {
    std::string s;
    for (size_t i = 0; i < n; ++i) s += static_cast<char>('A' + i % 26);
    return s;
}

// Type ids of the fixed layouts: drives "76" (Booster) and "78" (Bass Muff); reverbs
// "105"/"65"/"66" on the G5 and G3X, "65"/"54"/"55" on the B3. Entries such as the G5
// reverbs "Spring" (54) and "Plate" (55) carry the other model's special ids.
inline const Catalogue& testCatalogue() {
    static const Catalogue catalogue = Catalogue::fromBytes(
        "[g5-amp]\nClean Glass=40\nTweed Lux=41\nBrit Crunch=42\nRemove=0\nPlexi Stack=43\nGate=27\nRelay=15\n"
        "[g5-cab]\nMatch-Amp=MAMP\nClosed4x12=C41277\nOpen=OPEN55\nOpen Back=OB1266\nVintage 2x12=V21288\nTiny=AB\n"
        "Four=ABCD\nORGN=OR0099\nImpulse=IR01" + longValue(350) + "\nClean Glass=CG12101\nTweed Lux=TW10102\n"
        "Brit Crunch=BC12103\n"
        "[g5-midf]\nDeep=5\n"
        "[g5-drive]\nFuzz=14\nBooster=76\nBass Muff=78\nScreamer=15\nInto Spring=54\nRemove=0\n"
        "[g5-reverb]\nHall=20\nHD Reverb=105\nEarly Reflections=65\nAir=66\nSpring=54\nPlate=55\nRemove=0\n"
        "[g5-footswitch]\nBypass=0\nTap Tempo=3\n[g5-exppedal]\nVolume=1\nInput-Volume=2\n"
        "[g3x-amp]\nClean Glass=140\nTweed Lux=141\n[g3x-cab]\nClosed4x12=C412177\nClean Glass=CG12111\n"
        "[g3x-drive]\nFuzz=114\nBooster=76\n[g3x-reverb]\nHall=120\nHD Reverb=105\nEarly Reflections=65\nAir=66\n"
        "[g3x-footswitch]\nTap Tempo=13\n[g3x-exppedal]\nInput-Volume=12\noutput-volume=13\nWah=19\n"
        "[b3-amp]\nBass Stack=60\nFlip Top=61\nTube Bass=62\nRemove=0\n"
        "[b3-cab]\nORGN=ZZZZ77\nMatch-Amp=MAMP88\nFliptop=FT1533\nBass=BASS21\nBass 4x10=B41012\n"
        "[b3-midf]\n250Hz=0\nDeep=DEEPVALUE\n"
        "[b3-drive]\nBooster=76\nBass Muff=78\nOctave=31\nRemove=0\n"
        "[b3-reverb]\nHall=20\nHD Reverb=65\nEarly Reflections=54\nAir=55\nPlate=105\nRoom=66\n"
        "[b3-footswitch]\nBypass=0\nMute=5\n[b3-exppedal]\nVolume=1\nInput-Volume=4\nOutput-Volume=6\n");
    return catalogue;
}

// Runs Process over the sheet with the test catalogue; returns the document's lines.
inline std::vector<std::string> run(const Sheet& sheet, const Choices& choices, ProcessReport* report = nullptr,
                                    EditRecord* record = nullptr) {
    Document doc = sheet.document();
    ProcessReport r = process(doc, testCatalogue(), choices, record);
    if (report) *report = r;
    return doc.lines();
}

// Whole-document comparison that names every line that differs.
inline ::testing::AssertionResult sameDocument(const std::vector<std::string>& actual,
                                               const std::vector<std::string>& expected) {
    std::ostringstream out;
    if (actual.size() != expected.size())
        out << "line count " << actual.size() << ", expected " << expected.size() << "\n";
    for (size_t i = 0; i < std::max(actual.size(), expected.size()); ++i) {
        const std::string a = i < actual.size() ? actual[i] : "<missing>";
        const std::string e = i < expected.size() ? expected[i] : "<missing>";
        if (a != e)
            out << "line " << i << ":\n  actual:   [" << a.substr(0, 120) << "]\n  expected: [" << e.substr(0, 120)
                << "]\n";
    }
    if (out.str().empty()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << out.str();
}

inline const BlockReport* blockOf(const ProcessReport& r, Group g) {
    for (const auto& b : r.blocks)
        if (b.group == g) return &b;
    return nullptr;
}

using Written = std::map<int, std::string>;  // parameter number -> value written

// A module of the document under test: its number, type id (empty: filler) and size.
struct ModuleDef {
    int number;
    std::string typeId;
    int params;
};

// Two patches, each holding `target` among `others`; Process must write `written` into both
// target modules (PrmN on the line N - 1 below its type-id line), leave every other line as
// it was, and report `hits` hits for the block (the two targets unless told otherwise).
inline void expectEdits(const Choices& c, Group group, const ModuleDef& target, const Written& written,
                        const std::vector<ModuleDef>& others = {}, size_t hits = 2) {
    Sheet s;
    s.head();
    std::vector<Mod> mods;
    for (int i = 0; i < 2; ++i) {
        s.patch("P" + std::to_string(i));
        for (size_t k = 0; k < others.size(); ++k) {
            if (k == others.size() / 2) mods.push_back(s.effect(target.number, target.typeId, target.params));
            s.effect(others[k].number, others[k].typeId, others[k].params);
        }
        if (others.empty()) mods.push_back(s.effect(target.number, target.typeId, target.params));
        s.patchEnd();
    }
    s.tail();
    ProcessReport r;
    const auto out = run(s, c, &r);
    auto expected = s.lines;
    for (const Mod& m : mods)
        for (const auto& [n, v] : written) expected[m.line(n)] = prm(n, v);
    EXPECT_TRUE(sameDocument(out, expected));
    const BlockReport* b = blockOf(r, group);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->hits, hits);
}

}  // namespace pf::test
