#include "engine/CellEdits.h"

#include <algorithm>

#include "catalogue/Catalogue.h"
#include "engine/Blocks.h"
#include "engine/ProcessDriver.h"
#include "text/Ascii.h"

namespace pf {

namespace {

// Whether a place is the module's type-id line, which decides where the other settings stand.
bool setsType(Group group, const Place& place) { return byTypeList(group) && place.parameter == 1; }

// How the record and the report name a module's type, as Process names its hits: an effect
// type by its catalogue name ("id N" when the catalogue has none), the others by their search
// string.
std::string typeText(const BlockInput& in, Group group, std::string_view typeId) {
    if (group == Group::PatchLevel) return std::string(trimBlanks(in.device.patchModule ? in.device.patchModule->header : ""));
    if (group == Group::NoiseReduction) return std::string(trimBlanks(typeIdSearchString(typeId)));
    const TypeList list = group == Group::Amp ? TypeList::Amp : group == Group::Drive ? TypeList::Drive : TypeList::Reverb;
    for (const IniEntry& e : in.catalogue.readSection(in.choices.model + std::string(typeListSuffix(list))))
        if (equalsNoCase(e.value, typeId)) return e.name;
    return "id " + std::string(typeId);
}

BlockReport writeBlock(const BlockInput& in, Group group, std::span<const CellEdit> edits) {
    BlockReport report;
    report.group = group;
    const size_t made = in.session.editsMade(), skipped = in.session.editsSkipped();
    const std::vector<LayoutRow> rows = group == Group::PatchLevel
                                            ? patchRows(in.device)
                                            : std::vector<LayoutRow>(layoutRows(group).begin(), layoutRows(group).end());
    std::vector<long long> modules;
    for (const CellEdit& e : edits)
        if (e.group == group && std::ranges::find(modules, e.headerLine) == modules.end()) modules.push_back(e.headerLine);

    for (const long long header : modules) {
        std::vector<const CellEdit*> ofModule;
        for (const CellEdit& e : edits)
            if (e.group == group && e.headerLine == header) ofModule.push_back(&e);
        const std::string typeBefore = ofModule.front()->typeId, type = typeText(in, group, typeBefore);
        if (report.types.empty() || report.types.back().name != type) report.types.push_back({type, 0});
        ++report.types.back().hits;
        // The type first: the settings after it stand where the new type has them.
        std::stable_partition(ofModule.begin(), ofModule.end(), [&](const CellEdit* e) {
            const auto row = std::ranges::find(rows, e->setting, &LayoutRow::setting);
            const Place* place = row == rows.end() ? nullptr : placeOf(*row, in.device, typeBefore);
            return place && setsType(group, *place);
        });
        std::string typeId = typeBefore;
        const Module module = moduleOfHeaderLine(header);
        ++report.hits;
        if (in.session.recording()) in.session.origin() = {group, type};
        for (const CellEdit* e : ofModule) {
            const std::string ampName = cabFollowsAmp(e->setting, e->value) ? typeText(in, group, typeId) : std::string();
            for (const LayoutRow& row : rows) {
                if (row.setting != e->setting) continue;
                const Place* place = placeOf(row, in.device, typeId);
                if (!place || (place->storage == Storage::PedalVolume && !pedalVolumeFor(e->value.text))) continue;
                const std::string text = stored(e->setting, e->value, place->storage,
                                                [&](std::string_view suffix, std::string_view name) {
                                                    return in.lookup(suffix, name);
                                                }, ampName);
                if (in.session.recording()) {
                    in.session.origin().typeIdBefore = typeBefore;
                    in.session.origin().typeId = typeId;
                }
                if (in.write(e->setting, module, place->parameter, text) && setsType(group, *place)) typeId = text;
            }
        }
    }
    report.editsMade = in.session.editsMade() - made;
    report.editsSkipped = in.session.editsSkipped() - skipped;
    return report;
}

}  // namespace

ProcessReport writeCells(Document& document, const Catalogue& catalogue, const DeviceModel& model,
                         std::span<const CellEdit> edits, EditRecord* record) {
    Choices choices = Choices::atStart();
    choices.model = model.code;
    for (const CellEdit& e : edits) choices[e.setting].ticked = true;
    std::vector<BlockStep> blocks;
    for (const Group group : {Group::NoiseReduction, Group::Amp, Group::Drive, Group::Reverb, Group::PatchLevel})
        blocks.push_back({group, [group, edits](const BlockInput& in) { return writeBlock(in, group, edits); }});
    return processWithBlocks(document, catalogue, choices, blocks, record);
}

}  // namespace pf
