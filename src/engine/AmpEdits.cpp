#include "document/LoadLists.h"
#include "engine/Blocks.h"

namespace pf {

namespace {

constexpr size_t kMaxCabValue = 300;

// The first word of a cab item (" Name  LABL" gives "Name"); empty when it has no blank.
std::string cabWord(std::string_view item) {
    const std::string_view trimmed = trimBlanks(item);
    const size_t blank = trimmed.find(' ');
    return blank == std::string_view::npos ? std::string() : std::string(trimmed.substr(0, blank));
}

// A cab value less its four-character label, at most 300 characters.
std::string cabValue(const std::string& catalogueValue) {
    return catalogueValue.size() <= 4 ? std::string() : catalogueValue.substr(4, kMaxCabValue);
}

std::string plusTen(const BlockInput& in, SettingId id) { return std::to_string(in.number(id) + 10); }

}  // namespace

// The amp block: the G5/G3X Amp page and the B3 Amp page share one pass per ticked amp type,
// their twenty steps interleaved. The check list is the B3 one for B3 files.
BlockReport runAmpEdits(const BlockInput& in) {
    using S = SettingId;
    BlockReport report;
    report.group = Group::Amp;

    const std::string power = in.text(S::AmpPower) == "ON" ? "1" : "0";
    const std::string b3Power = in.text(S::B3AmpPower) == "ON" ? "1" : "0";
    const std::string amp = in.lookup(section::kAmp, in.text(S::AmpAmp));
    const std::string b3Amp = in.lookup(section::kAmp, in.text(S::B3AmpAmp));
    const std::string word = cabWord(in.text(S::AmpCab));
    const bool matchAmp = word == "Match-Amp";
    const std::string fixedCab = matchAmp ? std::string() : cabValue(in.lookup(section::kCab, word));
    const std::string b3Word = cabWord(in.text(S::B3AmpCab));
    const std::string b3Cab = b3Word == "ORGN" ? "0" : cabValue(in.lookup(section::kCab, b3Word));
    const std::string midF = in.lookup(section::kMidF, in.text(S::B3AmpMidF));

    std::string currentText, matchedCab;
    runFilterListPass(in, in.isB3() ? TypeList::B3Amp : TypeList::Amp, section::kAmp, report,
                      [&](const std::string& text, const std::string&, long long L) {
        if (matchAmp && text != currentText) {
            // "Match-Amp": the cab that carries the name of the amp type being searched.
            currentText = text;
            matchedCab = cabValue(in.lookup(section::kCab, text));
        }
        in.write(S::AmpPower, L - 1, 0, power);                  // 1
        in.write(S::B3AmpPower, L - 1, 0, b3Power);              // 2
        in.write(S::AmpAmp, L, 1, amp);                          // 3
        in.write(S::B3AmpAmp, L, 1, b3Amp);                      // 4
        in.write(S::AmpGain, L + 1, 2, in.numberText(S::AmpGain));        // 5
        in.write(S::B3AmpGain, L + 5, 6, in.numberText(S::B3AmpGain));    // 6
        in.write(S::AmpTube, L + 2, 3, in.numberText(S::AmpTube));        // 7
        in.write(S::AmpLevel, L + 3, 4, in.numberText(S::AmpLevel));      // 8
        in.write(S::B3AmpLevel, L + 6, 7, in.numberText(S::B3AmpLevel));  // 9
        in.write(S::AmpTreble, L + 4, 5, in.numberText(S::AmpTreble));    // 10
        in.write(S::B3AmpTrebl, L + 3, 4, plusTen(in, S::B3AmpTrebl));    // 11
        in.write(S::AmpMiddle, L + 5, 6, in.numberText(S::AmpMiddle));    // 12
        in.write(S::B3AmpMid, L + 2, 3, plusTen(in, S::B3AmpMid));        // 13
        in.write(S::AmpBass, L + 6, 7, in.numberText(S::AmpBass));        // 14
        in.write(S::B3AmpBass, L + 1, 2, plusTen(in, S::B3AmpBass));      // 15
        in.write(S::AmpPresence, L + 7, 8, in.numberText(S::AmpPresence));// 16
        in.write(S::AmpCab, L + 8, 9, matchAmp ? matchedCab : fixedCab);  // 17
        in.write(S::B3AmpCab, L + 8, 9, b3Cab);                           // 18
        in.write(S::B3AmpMix, L + 9, 10, in.numberText(S::B3AmpMix));     // 19
        in.write(S::B3AmpMidF, L + 4, 5, midF);                           // 20
    });
    return report;
}

}  // namespace pf
