#include <algorithm>

#include "catalogue/Catalogue.h"
#include "document/Document.h"
#include "engine/Blocks.h"
#include "engine/Review.h"
#include "engine/Rules.h"
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
        if (in.ticked(row.setting)) {
            rows_.push_back(row);
            anyRuled_ = anyRuled_ || (in.reader && in.choices.ruled(row.setting));
        }
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
        p.writes.push_back({row.setting, place ? place->parameter : kNowhere, text,
                            place && place->parameter == 1 && byTypeList(setting(row.setting).group)});
        Write& w = p.writes.back();
        if (!place || !anyRuled_ || !in_.choices.ruled(row.setting)) continue;
        w.ruled = true;
        w.storage = w.valueStorage = place->storage;
        w.valueParameter = place->parameter;
        // The pedal's volume line goes with the target: the rule reads the target's line.
        if (place->storage == Storage::PedalVolume)
            for (const LayoutRow& other : rows_)
                if (const Place* target = other.setting == row.setting ? placeOf(other, in_.device, typeId) : nullptr;
                    target && target->storage != Storage::PedalVolume) {
                    w.valueParameter = target->parameter;
                    w.valueStorage = target->storage;
                }
    }
    return p;
}

const std::vector<std::string>& PlacedRows::conditionTexts(SettingId id, Storage storage) {
    auto [at, made] = conditionTexts_.try_emplace({id, storage});
    if (made)
        for (const std::string& item : in_.choices[id].rule.whenItems) {
            SettingChoice condition;
            condition.text = item;
            at->second.push_back(pf::stored(id, condition, storage, [this](std::string_view suffix, std::string_view name) {
                return in_.lookup(suffix, name);
            }));
        }
    return at->second;
}

const std::string* PlacedRows::decide(const Write& w, const Module& module) {
    EditSession& session = in_.session;
    const Document& document = session.document();
    const SettingChoice& choice = in_.choices[w.setting];
    // A setting written on two lines (the pedal's target and volume) counts once: on the line
    // its value stands on.
    const bool sameLine = w.valueParameter == w.parameter;
    auto leftOut = [&] {
        if (sameLine) session.countLeftOut();
        return nullptr;
    };
    if (const auto& patterns = in_.choices.patchesOf(w.setting); !patterns.empty()) {
        session.aimAt(module.prm0Line - 1);  // where the look for the patch's name starts
        if (patchOf_ != module.prm0Line) {
            patchOf_ = module.prm0Line;
            const long long above = std::max<long long>(module.prm0Line - 1, 0);
            patchName_ = document.lineCount() == 0 ? std::string() : patchNameAbove(document, static_cast<size_t>(above));
        }
        if (!matchesAny(patterns, patchName_)) return leftOut();
    }
    if (choice.rule.plain()) return w.text;

    // The value the module holds, as the line stands now.
    const long long line = module.line(w.valueParameter);
    session.aimAt(line);
    std::optional<std::string_view> held;
    if (line >= 0 && static_cast<unsigned long long>(line) < document.lineCount())
        held = parameterText(document.line(static_cast<size_t>(line)), w.valueParameter);
    const std::optional<ShownValue> value = held ? in_.reader->read(w.setting, *held, w.valueStorage) : std::nullopt;
    if (!value) {
        if (sameLine) session.countSkipped();
        return nullptr;
    }
    if (const int* number = std::get_if<int>(&*value)) {
        if (!meetsCondition(choice.rule, *number)) return leftOut();
        const SettingDef& def = setting(w.setting);
        const int result = ruleResult(choice.rule, choice.number, *number, def.minimum, def.maximum);
        if (sameLine && result == *number) {
            session.countUnchanged();
            return nullptr;
        }
        if (choice.rule.form == ValueRule::Form::Set) return w.text;
        SettingChoice made;
        made.number = result;
        result_ = pf::stored(w.setting, made, w.storage, {});
        return &result_;
    }
    const auto& items = conditionTexts(w.setting, w.valueStorage);
    if (!items.empty() && std::ranges::find(items, *held) == items.end()) return leftOut();
    if (sameLine && *w.text == *held) {
        session.countUnchanged();
        return nullptr;
    }
    return w.text;
}

void PlacedRows::writeAt(const Module& module, std::string_view typeId) {
    const Placed* placed = &forType(typeId);
    const bool recording = in_.session.recording();
    const bool weighedBefore = anyRuled_ && retyped_.contains(module.prm0Line);
    for (size_t i = 0; i < placed->writes.size(); ++i) {
        const Write& w = placed->writes[i];
        if (w.parameter == kNowhere) continue;
        const std::string* text = w.text;
        if (w.ruled) [[unlikely]] {
            if (weighedBefore || !(text = decide(w, module))) continue;
        }
        if (recording) [[unlikely]] {
            in_.session.origin().typeIdBefore = typeId;
            in_.session.origin().typeId = placed->typeId;
        }
        if (in_.write(w.setting, module, w.parameter, *text) && w.setsType && *text != placed->typeId) {
            placed = &forType(*text);
            if (anyRuled_) retyped_.insert(module.prm0Line);
        }
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
    BlockCounter(const EditSession& s, BlockReport& r)
        : session_(s), report_(r), made_(s.editsMade()), skipped_(s.editsSkipped()), leftOut_(s.editsLeftOut()) {}
    ~BlockCounter() {
        report_.editsMade = session_.editsMade() - made_;
        report_.editsSkipped = session_.editsSkipped() - skipped_;
        report_.editsLeftOut = session_.editsLeftOut() - leftOut_;
    }

private:
    const EditSession& session_;
    BlockReport& report_;
    size_t made_, skipped_, leftOut_;
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
