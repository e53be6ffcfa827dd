#include "engine/PatchGroup.h"

#include "catalogue/Catalogue.h"

namespace pf {

namespace {

constexpr std::string_view kRemove = "Remove";  // offered in drop-down lists, never as an effect type

constexpr std::array<std::string_view, 7> kSuffixes{section::kAmp,    section::kCab,        section::kMidF,
                                                    section::kDrive,  section::kReverb,     section::kFootswitch,
                                                    section::kExpPedal};

size_t indexOf(std::string_view suffix) {
    for (size_t i = 0; i < kSuffixes.size(); ++i)
        if (kSuffixes[i] == suffix) return i;
    return kSuffixes.size();
}

}  // namespace

CatalogueLists CatalogueLists::read(const Catalogue& catalogue, std::string_view modelCode) {
    CatalogueLists result;
    for (size_t i = 0; i < kSuffixes.size(); ++i) {
        for (const IniEntry& e : catalogue.readSection(std::string(modelCode) + std::string(kSuffixes[i]))) {
            const bool cab = kSuffixes[i] == section::kCab;
            result.lists_[i].push_back(ListItem{e.name, cab ? " " + e.name + "  " + e.value.substr(0, 4) : e.name});
        }
    }
    return result;
}

const std::vector<ListItem>& CatalogueLists::items(std::string_view suffix) const {
    static const std::vector<ListItem> kNone;
    const size_t i = indexOf(suffix);
    return i < lists_.size() ? lists_[i] : kNone;
}

std::vector<std::string> CatalogueLists::typeEntries(TypeList list) const {
    std::vector<std::string> entries;
    for (const ListItem& item : items(typeListSuffix(list)))
        if (item.name != kRemove) entries.push_back(" " + item.name);
    return entries;
}

std::shared_ptr<const CatalogueLists> ListsByModel::forModel(std::string_view modelCode) {
    const std::lock_guard<std::mutex> lock(mutex_);
    auto it = made_.find(modelCode);
    if (it == made_.end())
        it = made_.emplace(modelCode, std::make_shared<CatalogueLists>(CatalogueLists::read(catalogue_, modelCode))).first;
    return it->second;
}

namespace {

std::function<std::shared_ptr<const CatalogueLists>(std::string_view)> readFrom(const Catalogue& catalogue) {
    return [&catalogue](std::string_view code) {
        return std::make_shared<const CatalogueLists>(CatalogueLists::read(catalogue, code));
    };
}

}  // namespace

bool PatchGroup::load(const std::filesystem::path& path, const Catalogue& catalogue, std::string* error) {
    return loadWith(path, readFrom(catalogue), error);
}

bool PatchGroup::load(const std::filesystem::path& path, ListsByModel& lists, std::string* error) {
    return loadWith(path, [&lists](std::string_view code) { return lists.forModel(code); }, error);
}

bool PatchGroup::loadWith(const std::filesystem::path& path, const ListsFor& listsFor, std::string* error) {
    Document loaded;
    if (!loaded.load(path, error)) return false;
    take(std::move(loaded), path, listsFor);
    return true;
}

void PatchGroup::nameOnly(const std::filesystem::path& name, ListsByModel& lists) {
    take(Document(), name, [&lists](std::string_view code) { return lists.forModel(code); });
}

void PatchGroup::loadBytes(std::string_view bytes, const std::filesystem::path& name, const Catalogue& catalogue) {
    take(Document::fromBytes(bytes), name, readFrom(catalogue));
}

void PatchGroup::take(Document document, const std::filesystem::path& name, const ListsFor& listsFor) {
    document_ = std::move(document);
    if (const DeviceModel* m = modelOfFile(name)) model_ = m;
    lists_ = listsFor(model_->code);
}

Choices PatchGroup::afterLoad() const {
    Choices c = Choices::atStart();
    c.model = std::string(model_->code);
    for (const SettingDef& def : settings()) {
        if (def.kind == ValueKind::FixedList) c[def.id].text = std::string(def.items.front());
        if (def.kind == ValueKind::CatalogueList && !items(def.id).empty()) c[def.id].text = items(def.id).front().text;
    }
    for (size_t i = 0; i < kTypeListCount; ++i)
        for (std::string& text : lists_->typeEntries(static_cast<TypeList>(i)))
            c.typeLists[i].push_back(TypeEntry{std::move(text), true});
    return c;
}

ProcessReport PatchGroup::process(const Choices& choices, const Catalogue& catalogue, EditRecord* record) {
    return pf::process(document_, catalogue, choices, record);
}

ProcessReport PatchGroup::writeCells(std::span<const CellEdit> edits, const Catalogue& catalogue, EditRecord* record) {
    return pf::writeCells(document_, catalogue, *model_, edits, record);
}

bool PatchGroup::save(const std::filesystem::path& path, std::string* error) const {
    return document_.save(path, error);
}

}  // namespace pf
