#include "engine/Blocks.h"
#include "text/Ascii.h"

namespace pf {

namespace {

using S = SettingId;

constexpr size_t kMaxCabValue = 300;

// The steps at each hit: the Amp page's and the B3 Amp page's settings interleaved, each
// with the parameter it writes. Where two steps write one line, the later one stands.
constexpr ParameterEdit kSteps[] = {
    {S::AmpPower, 0},    {S::B3AmpPower, 0}, {S::AmpAmp, 1},      {S::B3AmpAmp, 1},   {S::AmpGain, 2},
    {S::B3AmpGain, 6},   {S::AmpTube, 3},    {S::AmpLevel, 4},    {S::B3AmpLevel, 7}, {S::AmpTreble, 5},
    {S::B3AmpTrebl, 4},  {S::AmpMiddle, 6},  {S::B3AmpMid, 3},    {S::AmpBass, 7},    {S::B3AmpBass, 2},
    {S::AmpPresence, 8}, {S::AmpCab, 9},     {S::B3AmpCab, 9},    {S::B3AmpMix, 10},  {S::B3AmpMidF, 5},
};

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

}  // namespace

// The amp block: one pass per ticked amp type of the model's amp page.
BlockReport runAmpEdits(const BlockInput& in) {
    BlockReport report;
    report.group = Group::Amp;

    SettingValues values;
    values[S::AmpPower] = in.text(S::AmpPower) == "ON" ? "1" : "0";
    values[S::B3AmpPower] = in.text(S::B3AmpPower) == "ON" ? "1" : "0";
    values[S::AmpAmp] = in.lookup(section::kAmp, in.text(S::AmpAmp));
    values[S::B3AmpAmp] = in.lookup(section::kAmp, in.text(S::B3AmpAmp));
    for (S id : {S::AmpGain, S::B3AmpGain, S::AmpTube, S::AmpLevel, S::B3AmpLevel, S::AmpTreble, S::AmpMiddle,
                 S::AmpBass, S::AmpPresence, S::B3AmpMix})
        values[id] = in.numberText(id);
    for (S id : {S::B3AmpTrebl, S::B3AmpMid, S::B3AmpBass}) values[id] = in.numberText(id, 10);  // -10..10 as 0..20
    const std::string word = cabWord(in.text(S::AmpCab));
    const bool matchAmp = word == "Match-Amp";
    if (!matchAmp) values[S::AmpCab] = cabValue(in.lookup(section::kCab, word));
    const std::string b3Word = cabWord(in.text(S::B3AmpCab));
    values[S::B3AmpCab] = b3Word == "ORGN" ? "0" : cabValue(in.lookup(section::kCab, b3Word));
    values[S::B3AmpMidF] = in.lookup(section::kMidF, in.text(S::B3AmpMidF));

    const TypeList list = in.device.ampPage == ShownWith::B3AmpPage ? TypeList::B3Amp : TypeList::Amp;
    std::string currentText;
    runFilterListPass(in, list, report, [&](const std::string& text, const std::string&, long long L) {
        if (matchAmp && text != currentText) {
            // "Match-Amp": the cab that carries the name of the amp type being searched.
            currentText = text;
            values[S::AmpCab] = cabValue(in.lookup(section::kCab, text));
        }
        in.write(moduleOfTypeIdLine(L), kSteps, values);
    });
    return report;
}

}  // namespace pf
