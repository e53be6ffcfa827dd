#pragma once

// Building blocks for the engine tests: patch-group documents written line by line in the
// file's own grammar, a small catalogue, and choices as the window would hand them over.

#include <gtest/gtest.h>

#include <initializer_list>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/Catalogue.h"
#include "document/Document.h"
#include "engine/Choices.h"
#include "engine/Process.h"

namespace pf::test {

// "        <PrmN>value</PrmN>"
inline std::string prm(int n, std::string_view value) {
    const std::string num = std::to_string(n);
    return "        <Prm" + num + ">" + std::string(value) + "</Prm" + num + ">";
}
inline std::string moduleHeader(int n) { return "  <Module" + std::to_string(n) + ">"; }
inline std::string moduleEnd(int n) { return "  </Module" + std::to_string(n) + ">"; }

// Where a module's lines stand in a sheet.
struct Mod {
    size_t header = 0;
    size_t line(int prmNumber) const { return header + 1 + static_cast<size_t>(prmNumber); }
    size_t typeLine() const { return line(1); }
};

// A document under construction. Modules get filler values that no test writes
// ("7" + module digit + parameter number), so every rewrite shows.
class Sheet {
public:
    Sheet& text(std::string line) {
        lines.push_back(std::move(line));
        return *this;
    }
    Sheet& head() {
        text("<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
        return text("<PatchGroup Device=\"Test\" Format=\"2\">");
    }
    Sheet& tail() { return text("</PatchGroup>"); }
    Sheet& patchStart(std::string_view name) { return text("  <Patch Name=\"" + std::string(name) + "\">"); }
    Sheet& patchEnd() { return text("  </Patch>"); }

    // A module with the given values for Prm0, Prm1, ... and its closing line.
    Mod module(int number, const std::vector<std::string>& values) {
        Mod m{lines.size()};
        text(moduleHeader(number));
        for (size_t k = 0; k < values.size(); ++k) text(prm(static_cast<int>(k), values[k]));
        text(moduleEnd(number));
        return m;
    }

    // An effect module: Prm1 holds the type id, `params` parameter lines in all.
    Mod effect(int number, std::string_view typeId, int params) {
        std::vector<std::string> values;
        for (int k = 0; k < params; ++k)
            values.push_back(k == 1 ? std::string(typeId) : filler(number, k));
        return module(number, values);
    }
    // A patch's own module (no type id): `params` filler parameter lines.
    Mod settings(int number, int params) {
        std::vector<std::string> values;
        for (int k = 0; k < params; ++k) values.push_back(filler(number, k));
        return module(number, values);
    }

    static std::string filler(int number, int k) { return "7" + std::to_string(number % 10) + std::to_string(k); }

    Document document() const {
        std::string bytes;
        for (const auto& l : lines) bytes += l + "\r\n";
        return Document::fromBytes(bytes);
    }

    std::vector<std::string> lines;
};

// Module sizes of a well-formed file.
inline constexpr int kNoiseParams = 5;   // Prm0..Prm4
inline constexpr int kAmpParams = 10;    // Prm0..Prm9
inline constexpr int kB3AmpParams = 11;  // Prm0..Prm10
inline constexpr int kDriveParams = 7;   // Prm0..Prm6
inline constexpr int kReverbParams = 8;  // Prm0..Prm7
inline constexpr int kPatchParams = 8;   // Prm0..Prm7

// The text one check-list entry shows: one blank and the catalogue name.
inline std::vector<TypeEntry> typeEntries(std::initializer_list<std::string_view> ticked,
                                          std::initializer_list<std::string_view> unticked = {}) {
    std::vector<TypeEntry> out;
    for (auto n : ticked) out.push_back({" " + std::string(n), true});
    for (auto n : unticked) out.push_back({" " + std::string(n), false});
    return out;
}

// The text a cab drop-down item shows: one blank, the name, two blanks, the first four
// characters of the catalogue value.
inline std::string cabItem(std::string_view name, std::string_view value) {
    return " " + std::string(name) + "  " + std::string(value.substr(0, 4));
}

inline Choices choicesFor(std::string model) {
    Choices c = Choices::atStart();
    c.model = std::move(model);
    return c;
}
inline void tick(Choices& c, SettingId id) { c[id].ticked = true; }
inline void tick(Choices& c, SettingId id, int number) {
    c[id].ticked = true;
    c[id].number = number;
}
inline void pick(Choices& c, SettingId id, std::string text) {
    c[id].ticked = true;
    c[id].text = std::move(text);
}

inline std::string longValue(size_t n) {
    std::string s;
    for (size_t i = 0; i < n; ++i) s += static_cast<char>('A' + i % 26);
    return s;
}

// A catalogue with a few names per section. Type ids of the fixed layouts: drives "76"
// (Booster) and "78" (Bass Muff); reverbs "105"/"65"/"66" on the G5 and G3X, "65"/"54"/"55"
// on the B3. Some entries exist only to be looked up through odd routes (see the tests).
inline const std::string& catalogueText() {
    static const std::string text =
        "[g5-amp]\n"
        "Clean Glass=40\n"
        "Tweed Lux=41\n"
        "Brit Crunch=42\n"
        "Remove=0\n"
        "Plexi Stack=43\n"
        "Gate=27\n"
        "Relay=15\n"
        "[g5-cab]\n"
        "Match-Amp=MAMP\n"
        "Closed4x12=C41277\n"
        "Open=OPEN55\n"
        "Open Back=OB1266\n"
        "Vintage 2x12=V21288\n"
        "Tiny=AB\n"
        "Four=ABCD\n"
        "ORGN=OR0099\n"
        "Impulse=IR01" + longValue(350) + "\n"
        "Clean Glass=CG12101\n"
        "Tweed Lux=TW10102\n"
        "Brit Crunch=BC12103\n"
        "Plexi Stack=PX12104\n"
        "Remove=NONE\n"
        "[g5-midf]\n"
        "Deep=5\n"
        "[g5-drive]\n"
        "Fuzz=14\n"
        "Booster=76\n"
        "Bass Muff=78\n"
        "Screamer=15\n"
        "Into Spring=54\n"
        "Remove=0\n"
        "[g5-reverb]\n"
        "Hall=20\n"
        "HD Reverb=105\n"
        "Early Reflections=65\n"
        "Air=66\n"
        "Spring=54\n"
        "Plate=55\n"
        "Remove=0\n"
        "[g5-footswitch]\n"
        "Bypass=0\n"
        "Tap Tempo=3\n"
        "[g5-exppedal]\n"
        "Volume=1\n"
        "Input-Volume=2\n"
        "[g3x-amp]\n"
        "Clean Glass=140\n"
        "Tweed Lux=141\n"
        "[g3x-cab]\n"
        "Closed4x12=C412177\n"
        "Clean Glass=CG12111\n"
        "Tweed Lux=TW10112\n"
        "[g3x-drive]\n"
        "Fuzz=114\n"
        "Booster=76\n"
        "[g3x-reverb]\n"
        "Hall=120\n"
        "HD Reverb=105\n"
        "Early Reflections=65\n"
        "Air=66\n"
        "[g3x-footswitch]\n"
        "Bypass=0\n"
        "Tap Tempo=13\n"
        "[g3x-exppedal]\n"
        "Volume=11\n"
        "Input-Volume=12\n"
        "output-volume=13\n"  // the pedal's volume targets are known by their exact spelling only
        "Wah=19\n"
        "[b3-amp]\n"
        "Bass Stack=60\n"
        "Flip Top=61\n"
        "Tube Bass=62\n"
        "Remove=0\n"
        "[b3-cab]\n"
        "ORGN=ZZZZ77\n"
        "Match-Amp=MAMP88\n"
        "Fliptop=FT1533\n"
        "Bass=BASS21\n"
        "Bass 4x10=B41012\n"
        "[b3-midf]\n"
        "250Hz=0\n"
        "Deep=DEEPVALUE\n"
        "[b3-drive]\n"
        "Booster=76\n"
        "Bass Muff=78\n"
        "Octave=31\n"
        "Remove=0\n"
        "[b3-reverb]\n"
        "Hall=20\n"
        "HD Reverb=65\n"
        "Early Reflections=54\n"
        "Air=55\n"
        "Plate=105\n"
        "Room=66\n"
        "[b3-footswitch]\n"
        "Bypass=0\n"
        "Mute=5\n"
        "[b3-exppedal]\n"
        "Volume=1\n"
        "Input-Volume=4\n"
        "Output-Volume=6\n"
        "Wah=9\n";
    return text;
}

inline const Catalogue& testCatalogue() {
    static const Catalogue catalogue = Catalogue::fromBytes(catalogueText());
    return catalogue;
}

// Runs Process over the sheet with the test catalogue; returns the document's lines.
inline std::vector<std::string> run(const Sheet& sheet, const Choices& choices, ProcessReport* report = nullptr) {
    Document doc = sheet.document();
    ProcessReport r = process(doc, testCatalogue(), choices);
    if (report) *report = r;
    return doc.lines();
}

// Whole-document comparison that names every line that differs.
inline ::testing::AssertionResult sameDocument(const std::vector<std::string>& actual,
                                               const std::vector<std::string>& expected) {
    std::ostringstream out;
    bool same = actual.size() == expected.size();
    if (!same) out << "line count " << actual.size() << ", expected " << expected.size() << "\n";
    const size_t n = std::max(actual.size(), expected.size());
    int shown = 0;
    for (size_t i = 0; i < n && shown < 20; ++i) {
        const std::string a = i < actual.size() ? actual[i] : "<missing>";
        const std::string e = i < expected.size() ? expected[i] : "<missing>";
        if (a != e) {
            same = false;
            ++shown;
            out << "line " << i << ":\n  actual:   [" << (a.size() > 120 ? a.substr(0, 120) + "..." : a)
                << "]\n  expected: [" << (e.size() > 120 ? e.substr(0, 120) + "..." : e) << "]\n";
        }
    }
    if (same) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << out.str();
}

inline const BlockReport* blockOf(const ProcessReport& r, Group g) {
    for (const auto& b : r.blocks)
        if (b.group == g) return &b;
    return nullptr;
}

}  // namespace pf::test
