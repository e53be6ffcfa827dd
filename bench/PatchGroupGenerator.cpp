#include "PatchGroupGenerator.h"

#include <string_view>

namespace pf::bench {

namespace {

std::string twoDigits(int i) {
    std::string s = std::to_string(i);
    if (s.size() < 2) s.insert(s.begin(), '0');
    return s;
}

std::string named(std::string_view kind, int i) {
    std::string s(kind);
    s += ' ';
    s += twoDigits(i);
    return s;
}
std::string ampName(int i) { return named("Amp", i); }
std::string driveName(int i) { return named("Drive", i); }
std::string reverbName(int i) { return named("Reverb", i); }

// Type ids well away from the ids with layouts of their own (drives past the hundredth, of
// long catalogues, well away from the others).
int ampId(int i) { return 200 + i; }
int driveId(int i) { return i < 100 ? 300 + i : 1000000 + i; }
int reverbId(int i) { return 400 + i; }

void module(std::string& out, int number, int params, int typeId, unsigned seed) {
    out += "  <Module" + std::to_string(number) + ">\r\n";
    for (int k = 0; k < params; ++k) {
        const std::string n = std::to_string(k);
        // Prm1 of the patch module holds no type id and must not look like one (27, say).
        const std::string value = k == 1 ? (typeId >= 0 ? std::to_string(typeId) : "0")
                                         : std::to_string((seed + 7 * k) % 100);
        out += "        <Prm" + n + ">" + value + "</Prm" + n + ">\r\n";
    }
    out += "  </Module" + std::to_string(number) + ">\r\n";
}

}  // namespace

std::string catalogueText(int driveTypes) {
    std::string t = "[g5-amp]\n";
    for (int i = 0; i < kCatalogueTypes; ++i) t += ampName(i) + "=" + std::to_string(ampId(i)) + "\n";
    t += "[g5-cab]\nMatch-Amp=MAMP\nORGN=ORGN0\n";
    for (int i = 0; i < kCatalogueTypes; ++i) t += ampName(i) + "=CB" + twoDigits(i) + std::to_string(i) + "\n";
    t += "[g5-midf]\nLow=0\nHigh=2\n";
    t += "[g5-drive]\n";
    for (int i = 0; i < driveTypes; ++i) t += driveName(i) + "=" + std::to_string(driveId(i)) + "\n";
    t += "[g5-reverb]\n";
    for (int i = 0; i < kCatalogueTypes; ++i) t += reverbName(i) + "=" + std::to_string(reverbId(i)) + "\n";
    t += "[g5-footswitch]\nBypass=0\nTap Tempo=3\n";
    t += "[g5-exppedal]\nVolume=1\nInput-Volume=2\n";
    return t;
}

std::string patchGroupBytes(size_t patches) {
    std::string out;
    out.reserve(patches * 1400 + 200);
    out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<PatchGroup Device=\"G5\" Format=\"2\">\r\n";
    for (size_t p = 0; p < patches; ++p) {
        const int i = static_cast<int>(p % kTypesInUse);
        const unsigned seed = static_cast<unsigned>(p * 31);
        out += "  <Patch Name=\"Patch " + std::to_string(p) + "\">\r\n";
        module(out, 0, 5, 27, seed);                                        // noise reduction
        module(out, 1, 7, driveId(i), seed + 1);                            // drive
        module(out, 2, 7, driveId((i + 5) % kTypesInUse), seed + 2);        // second drive
        module(out, 3, 11, ampId((i * 3) % kTypesInUse), seed + 3);         // amp
        module(out, 4, 8, reverbId((i * 7) % kTypesInUse), seed + 4);       // reverb
        module(out, 9, 8, -1, seed + 5);                                    // the patch's own settings
        out += "  </Patch>\r\n";
    }
    out += "</PatchGroup>\r\n";
    return out;
}

Choices everythingTicked(int tickedTypes) {
    Choices c = Choices::atStart();
    c.model = "g5";
    for (const auto& def : settings()) c[def.id].ticked = true;
    // The type edits give every module found the first type of its list, which is searched
    // first: no module is found a second time.
    c[SettingId::AmpPower].text = "ON";
    c[SettingId::AmpAmp].text = ampName(0);
    c[SettingId::AmpCab].text = " Match-Amp  MAMP";
    c[SettingId::B3AmpPower].text = "OFF";
    c[SettingId::B3AmpAmp].text = ampName(0);
    c[SettingId::B3AmpMidF].text = "High";
    c[SettingId::B3AmpCab].text = " ORGN  ORGN";
    c[SettingId::DrivePower].text = "ON";
    c[SettingId::DriveDrive].text = driveName(0);
    c[SettingId::DriveMode].text = "BsBST";
    c[SettingId::ReverbPower].text = "OFF";
    c[SettingId::ReverbReverb].text = reverbName(0);
    c[SettingId::PatchFootswitch].text = "Tap Tempo";
    c[SettingId::PatchExpPedal].text = "Input-Volume";
    c[SettingId::NoiseReductionPower].text = "ON";
    c[SettingId::NoiseReductionDetect].text = "EfxIn";
    // A check-list entry shows one blank and the name.
    const auto entry = [](const std::string& name) { return TypeEntry{std::string(1, ' ').append(name), true}; };
    for (int i = 0; i < tickedTypes; ++i) {
        c.types(TypeList::Amp).push_back(entry(ampName(i)));
        c.types(TypeList::B3Amp).push_back(entry(ampName(i)));
        c.types(TypeList::Drive).push_back(entry(driveName(i)));
        c.types(TypeList::Reverb).push_back(entry(reverbName(i)));
    }
    return c;
}

}  // namespace pf::bench
