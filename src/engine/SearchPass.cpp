#include <algorithm>

#include "catalogue/Catalogue.h"
#include "engine/Blocks.h"
#include "text/Ascii.h"

namespace pf {

int BlockInput::number(SettingId id) const {
    const SettingDef& def = setting(id);
    return std::clamp(choices[id].number, def.minimum, def.maximum);
}

std::string BlockInput::lookup(std::string_view suffix, std::string_view name) const {
    return catalogue.lookup(choices.model + std::string(suffix), name);
}

std::string typeIdSearchString(std::string_view typeId) {
    std::string s = "        <Prm1>";
    s += typeId;
    s += "</Prm1>";
    return s;
}

namespace {

// Fills the counters of a block from the session's running totals.
class BlockCounter {
public:
    BlockCounter(const EditSession& s, BlockReport& r) : session_(s), report_(r), made_(s.editsMade()), skipped_(s.editsSkipped()) {}
    ~BlockCounter() {
        report_.editsMade = session_.editsMade() - made_;
        report_.editsSkipped = session_.editsSkipped() - skipped_;
    }

private:
    const EditSession& session_;
    BlockReport& report_;
    size_t made_, skipped_;
};

}  // namespace

void runFilterListPass(const BlockInput& in, TypeList list, BlockReport& report,
                       const std::function<void(const std::string&, const std::string&, long long)>& onHit) {
    BlockCounter counter(in.session, report);
    std::vector<std::string> filter;
    for (const auto& entry : in.choices.types(list))
        if (entry.ticked) filter.push_back(entry.text);
    for (const auto& text : filter) {
        const std::string typeId = in.lookup(typeListSuffix(list), text);
        if (in.session.recording()) in.session.origin() = {report.group, trimBlanks(text)};
        const size_t hits = in.session.forEachHit(typeIdSearchString(typeId),
                                                  [&](long long line) { onHit(text, typeId, line); });
        report.types.push_back({std::string(trimBlanks(text)), hits});
        report.hits += hits;
    }
}

void runFixedPass(const BlockInput& in, std::string_view searchString, BlockReport& report,
                  const std::function<void(long long)>& onHit) {
    BlockCounter counter(in.session, report);
    if (in.session.recording()) in.session.origin() = {report.group, trimBlanks(searchString)};
    const size_t hits = in.session.forEachHit(searchString, onHit);
    report.types.push_back({std::string(trimBlanks(searchString)), hits});
    report.hits += hits;
}

}  // namespace pf
