#include "library/ModuleScan.h"

#include "catalogue/Catalogue.h"
#include "document/Document.h"
#include "engine/Blocks.h"
#include "engine/PatchGroup.h"
#include "engine/Review.h"
#include "text/Ascii.h"

namespace pf {

namespace {

constexpr std::string_view kTypeIdOpen = "        <prm1>", kTypeIdClose = "</prm1>";

}  // namespace

ModuleScan::ModuleScan(const Catalogue& catalogue, const DeviceModel& model) {
    const CatalogueLists lists = CatalogueLists::read(catalogue, model.code);
    auto idsOf = [&](Group group, TypeList list) {
        for (const std::string& entry : lists.typeEntries(list))
            ids_[static_cast<size_t>(group)].push_back(
                lowerAscii(catalogue.lookup(std::string(model.code) + std::string(typeListSuffix(list)), entry)));
    };
    ids_[static_cast<size_t>(Group::NoiseReduction)].push_back(lowerAscii(model.noiseReductionId));
    idsOf(Group::Amp, model.ampPage == ShownWith::B3AmpPage ? TypeList::B3Amp : TypeList::Amp);
    idsOf(Group::Drive, TypeList::Drive);
    idsOf(Group::Reverb, TypeList::Reverb);
    if (model.patchModule) header_ = lowerAscii(model.patchModule->header);
}

void ModuleScan::scanLine(std::string_view line, long long index, FoundModule& at,
                          const std::function<void(const FoundModule&)>& found) const {
    // Type-id lines: every place the line holds eight blanks and "<Prm1>", the id up to the
    // next "</Prm1>".
    for (size_t from = 0;;) {
        const size_t open = findNoCase(line, kTypeIdOpen, from);
        if (open == std::string_view::npos) break;
        from = open + 1;
        const size_t idStart = open + kTypeIdOpen.size();
        const size_t close = findNoCase(line, kTypeIdClose, idStart);
        if (close == std::string_view::npos) break;
        const std::string_view id = line.substr(idStart, close - idStart);
        for (size_t g = 0; g + 1 < kGroupCount; ++g)
            for (const std::string& wanted : ids_[g])
                if (equalsNoCase(wanted, id)) {
                    at.headerLine = moduleOfTypeIdLine(index).prm0Line - 1;
                    at.group = static_cast<Group>(g);
                    at.typeId = id;
                    found(at);
                    break;
                }
    }
    if (!header_.empty() && findNoCase(line, header_) != std::string_view::npos) {
        at.headerLine = index;
        at.group = Group::PatchLevel;
        at.typeId = {};
        found(at);
    }
}

void ModuleScan::forEach(const Document& document, const std::function<void(const FoundModule&)>& found) const {
    FoundModule at;
    std::string name;
    for (size_t i = 0; i < document.lineCount(); ++i) {
        const std::string_view line = document.line(i);
        if (const auto patch = patchNameIn(line)) {
            ++at.patch;
            name = *patch;
            at.patchName = name;
        }
        scanLine(line, static_cast<long long>(i), at, found);
    }
}

}  // namespace pf
