#include <algorithm>

#include "catalogue/Catalogue.h"
#include "engine/Blocks.h"
#include "text/Ascii.h"

namespace pf {

std::string BlockInput::lookup(std::string_view suffix, std::string_view name) const {
    return catalogue.lookup(choices.model + std::string(suffix), name);
}

std::string BlockInput::stored(SettingId id, Storage storage, std::string_view ampName) const {
    return pf::stored(id, choices[id], storage,
                      [this](std::string_view suffix, std::string_view name) { return lookup(suffix, name); }, ampName);
}

PlacedRows::PlacedRows(const BlockInput& in, std::span<const LayoutRow> rows) : in_(in) {
    for (const LayoutRow& row : rows)
        if (in.ticked(row.setting)) rows_.push_back(row);
}

void PlacedRows::setText(SettingId id, const std::string& text) {
    texts_[{id, Storage::OfSetting}] = text;
    for (auto& [key, value] : texts_)
        if (key.first == id) value = text;
}

const PlacedRows::Placed& PlacedRows::forType(std::string_view typeId) {
    for (const Placed& p : placed_)
        if (p.typeId == typeId) return p;
    Placed& p = placed_.emplace_back();
    p.typeId = typeId;
    for (const LayoutRow& row : rows_) {
        const Place* place = placeOf(row, in_.device, typeId);
        if (place && place->storage == Storage::PedalVolume && !pedalVolumeFor(in_.text(row.setting))) place = nullptr;
        const std::string* text = nullptr;
        if (place) {
            auto [at, made] = texts_.try_emplace({row.setting, place->storage});
            if (made) at->second = in_.stored(row.setting, place->storage);
            text = &at->second;
        }
        p.writes.push_back({row.setting, place ? place->parameter : kNowhere, text, place && place->parameter == 1 && byTypeList(setting(row.setting).group)});
    }
    return p;
}

void PlacedRows::writeAt(const Module& module, std::string_view typeId) {
    const Placed* placed = &forType(typeId);
    const bool recording = in_.session.recording();
    for (size_t i = 0; i < placed->writes.size(); ++i) {
        const Write& w = placed->writes[i];
        if (w.parameter == kNowhere) continue;
        if (recording) [[unlikely]] {
            in_.session.origin().typeIdBefore = typeId;
            in_.session.origin().typeId = placed->typeId;
        }
        if (in_.write(w.setting, module, w.parameter, *w.text) && w.setsType && *w.text != placed->typeId)
            placed = &forType(*w.text);
    }
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
