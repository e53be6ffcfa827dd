#include "engine/Process.h"

#include <sstream>

#include "catalogue/Catalogue.h"
#include "document/Document.h"
#include "engine/Blocks.h"
#include "engine/ProcessDriver.h"
#include "engine/Rules.h"

namespace pf {

namespace {

std::array<bool, kGroupCount> groupFlags(const Choices& choices) {
    std::array<bool, kGroupCount> flags{};
    for (const auto& def : settings())
        if (choices[def.id].ticked) flags[static_cast<size_t>(def.group)] = true;
    return flags;
}

// The blocks in the order they run.
const BlockStep kBlocks[] = {
    {Group::NoiseReduction, runNoiseReductionEdits},
    {Group::Amp, runAmpEdits},
    {Group::Drive, runDriveEdits},
    {Group::Reverb, runReverbEdits},
    {Group::PatchLevel, runPatchLevelEdits},
};

}  // namespace

size_t ProcessReport::editsSkipped() const {
    size_t n = 0;
    for (const auto& b : blocks) n += b.editsSkipped;
    return n;
}

size_t ProcessReport::editsLeftOut() const {
    size_t n = 0;
    for (const auto& b : blocks) n += b.editsLeftOut;
    return n;
}

bool ProcessReport::nothingToSave() const {
    for (bool f : groupFlags)
        if (f) return false;
    return true;
}

std::string ProcessReport::summary() const {
    if (nothingToSave()) return std::string(kNoChangesToSave);
    std::ostringstream out;
    for (const auto& b : blocks) {
        out << groupName(b.group) << ": " << b.hits << (b.hits == 1 ? " module" : " modules");
        std::string sep = " (";
        for (const auto& t : b.types) {
            if (b.types.size() == 1 && !byTypeList(b.group)) break;
            out << sep << t.name << ": " << t.hits;
            sep = ", ";
        }
        if (sep != " (") out << ')';
        if (b.editsSkipped > 0) out << ", " << b.editsSkipped << " edits skipped";
        if (b.editsLeftOut > 0) out << ", " << leftOutText(b.editsLeftOut);
        out << '\n';
    }
    out << linesText(linesChanged) << " changed";
    return out.str();
}

std::string linesText(size_t count) { return std::to_string(count) + (count == 1 ? " line" : " lines"); }

std::string leftOutText(size_t count) {
    return std::to_string(count) + (count == 1 ? " edit left out by its condition" : " edits left out by their conditions");
}

ProcessReport process(Document& document, const Catalogue& catalogue, const Choices& choices, EditRecord* record,
                      LinesAimedAt* aimed) {
    return processWithBlocks(document, catalogue, choices, kBlocks, record, aimed);
}

ProcessReport processWithBlocks(Document& document, const Catalogue& catalogue, const Choices& choices,
                                std::span<const BlockStep> blocks, EditRecord* record, LinesAimedAt* aimed) {
    ProcessReport report;
    report.groupFlags = groupFlags(choices);
    if (report.nothingToSave()) return report;

    EditSession session(document);
    const EditRecord::Mark recordedBefore = record ? record->mark() : EditRecord::Mark{};
    session.setRecord(record);
    // Rules read the values modules hold; the record reads them back for people.
    bool ruled = false;
    for (const auto& def : settings()) ruled = ruled || (choices[def.id].ticked && choices.ruled(def.id));
    std::shared_ptr<const ValueReader> reader;
    if (record || ruled) reader = std::make_shared<const ValueReader>(catalogue, deviceModel(choices.model));
    if (record) {
        record->setReader(reader);
        for (const auto& def : settings())
            record->setRule(def.id, choices[def.id].ticked ? shownRule(def.id, choices[def.id]) : std::string());
    }
    const BlockInput input{session, catalogue, choices, deviceModel(choices.model), ruled ? reader.get() : nullptr};
    try {
        for (const auto& [group, run] : blocks)
            if (report.groupFlags[static_cast<size_t>(group)]) report.blocks.push_back(run(input));
    } catch (...) {
        session.rollback();
        if (record) record->truncate(recordedBefore);
        throw;
    }
    report.linesChanged = session.linesChanged();
    if (aimed) *aimed = {session.lowestAimedAt(), session.highestAimedAt()};
    return report;
}

}  // namespace pf
