#pragma once

// Synthetic G5 patch groups and the catalogue and choices that go with them, for measuring
// the Process command.

#include <cstddef>
#include <string>

#include "engine/Choices.h"

namespace pf::bench {

// Names per effect-type list in the catalogue; the first kTypesInUse of each occur in
// generated documents, the others nowhere.
inline constexpr int kCatalogueTypes = 80;
inline constexpr int kTypesInUse = 10;

// A "g5" catalogue: amps, drives and reverbs with kCatalogueTypes names each (or `driveTypes`
// drives), one cab per amp plus "Match-Amp", Mid-F, CTRL SW and CTRL PDL targets.
std::string catalogueText(int driveTypes = kCatalogueTypes);

// A patch group of `patches` patches, each with a noise reduction, an amp, two drives, a
// reverb and the patch module; the effect types cycle through the first kTypesInUse names of
// each list. File bytes, CR LF line breaks.
std::string patchGroupBytes(size_t patches);

// Every one of the 48 setting boxes ticked (spin edits at their start values, drop-downs at
// a catalogue name), and the first `tickedTypes` names of each effect-type list ticked.
Choices everythingTicked(int tickedTypes);

}  // namespace pf::bench
