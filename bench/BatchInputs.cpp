// Writes the inputs of the batch tool's benchmarks (bench/run) into a folder:
//   catalogue.ini          a g5 catalogue with 80 names per effect-type list
//   every-box.recipe.ini   every setting a g5 file offers ticked; no Only keys, so every type
//   big.g5a                16,667 patches: 1,000,023 lines
//   many/NNN.g5a           500 patch groups of 50 patches
//   catalogue-N.ini        the catalogue with N names in its drive section, N = 20,000 and 40,000
//   drive.recipe.ini       every drive setting a g5 file offers ticked
//   small.g5a              50 patches
//
//   batch_inputs FOLDER
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "PatchGroupGenerator.h"
#include "engine/Settings.h"

namespace {

namespace fs = std::filesystem;
using namespace pf;

constexpr size_t kBigPatches = 16667;
constexpr int kManyFiles = 500;
constexpr size_t kManyPatches = 50;
constexpr int kDoubling[] = {20000, 40000};

void write(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        std::cerr << "batch_inputs: cannot write " << path << "\n";
        std::exit(1);
    }
}

// A catalogue name for a catalogue list, one the generated catalogue holds.
std::string catalogueName(std::string_view suffix) {
    if (suffix == "-amp") return "Amp 00";
    if (suffix == "-cab") return "Match-Amp";
    if (suffix == "-drive") return "Drive 00";
    if (suffix == "-reverb") return "Reverb 00";
    if (suffix == "-footswitch") return "Tap Tempo";
    if (suffix == "-exppedal") return "Input-Volume";
    return "High";
}

// Every setting of the given groups that a g5 file offers, by recipe section, in table order.
std::string recipe(bool (*wanted)(Group)) {
    std::string out;
    std::string_view section;
    for (const SettingDef& def : settings()) {
        if (!wanted(def.group) || !offeredFor(def.id, deviceModel("g5"))) continue;
        if (sectionOf(def.id).name != section) {
            section = sectionOf(def.id).name;
            out += "[" + std::string(section) + "]\n";
        }
        out += std::string(def.caption) + " = ";
        switch (def.kind) {
            case ValueKind::Spin: out += std::to_string(def.start); break;
            case ValueKind::FixedList: out += std::string(def.items.front()); break;
            case ValueKind::CatalogueList: out += catalogueName(def.catalogueSuffix); break;
        }
        out += "\n";
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: batch_inputs FOLDER\n";
        return 2;
    }
    const fs::path dir = argv[1];
    fs::create_directories(dir / "many");
    write(dir / "catalogue.ini", bench::catalogueText());
    write(dir / "every-box.recipe.ini", recipe([](Group) { return true; }));
    write(dir / "big.g5a", bench::patchGroupBytes(kBigPatches));
    const std::string group = bench::patchGroupBytes(kManyPatches);
    for (int i = 0; i < kManyFiles; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "%03d.g5a", i);
        write(dir / "many" / name, group);
    }
    for (int n : kDoubling) write(dir / ("catalogue-" + std::to_string(n) + ".ini"), bench::catalogueText(n));
    write(dir / "drive.recipe.ini", recipe([](Group g) { return g == Group::Drive; }));
    write(dir / "small.g5a", group);
    return 0;
}
