#pragma once

#include <array>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "document/DeviceModels.h"
#include "document/Document.h"
#include "engine/CellEdits.h"
#include "engine/Choices.h"
#include "engine/Process.h"
#include "engine/Review.h"

namespace pf {

class Catalogue;

// One item of a catalogue drop-down list: the catalogue name and the text the list shows.
struct ListItem {
    std::string name;
    std::string text;  // the name; for cabs one blank, the name, two blanks, four characters of the value
};

// The catalogue's lists as a load fills them for one model code: the items of each drop-down
// list in section order ("Remove" included), and the entries of each effect-type check list,
// one blank and the name ("Remove" left out).
class CatalogueLists {
public:
    static CatalogueLists read(const Catalogue& catalogue, std::string_view modelCode);

    const std::vector<ListItem>& items(std::string_view suffix) const;  // "-amp", "-cab", ...
    std::vector<std::string> typeEntries(TypeList list) const;

private:
    std::array<std::vector<ListItem>, 7> lists_;
};

// The lists of each model code, read from one catalogue once and shared by every group of
// that model (the batch tool loads many files with one catalogue). Safe from several threads.
class ListsByModel {
public:
    explicit ListsByModel(const Catalogue& catalogue) : catalogue_(catalogue) {}
    std::shared_ptr<const CatalogueLists> forModel(std::string_view modelCode);

private:
    const Catalogue& catalogue_;
    std::mutex mutex_;
    std::map<std::string, std::shared_ptr<const CatalogueLists>, std::less<>> made_;
};

// A loaded patch group: the document, the device model its file's extension gave, and the
// catalogue's lists as the load read them for that model. The window and the batch tool both
// work through it, so the batch tool writes what the window saves for the same choices.
class PatchGroup {
public:
    PatchGroup() = default;  // nothing loaded: an empty document, the unknown model, empty lists

    // Reads the file whole and takes the model from its extension; any other extension keeps
    // the model of the group loaded before (the unknown one for a fresh group). The lists are
    // read from `catalogue` for that model. On failure nothing changes and `error` receives
    // "Cannot open file <path>: <the system's reason>".
    bool load(const std::filesystem::path& path, const Catalogue& catalogue, std::string* error = nullptr);
    // As above, with the lists read once per model.
    bool load(const std::filesystem::path& path, ListsByModel& lists, std::string* error = nullptr);
    // A group of the model a file of this name has, its document empty: for a file that is
    // read elsewhere, in parts.
    void nameOnly(const std::filesystem::path& name, ListsByModel& lists);
    // As load(), with the bytes of a file of this name.
    void loadBytes(std::string_view bytes, const std::filesystem::path& name, const Catalogue& catalogue);

    const Document& document() const { return document_; }
    const DeviceModel& model() const { return *model_; }
    const CatalogueLists& lists() const { return *lists_; }
    // The drop-down items of a catalogue-list setting.
    const std::vector<ListItem>& items(SettingId id) const { return lists_->items(setting(id).catalogueSuffix); }

    // The choices of a freshly started window after loading this file: every box unticked,
    // spin edits at their start values, every drop-down list at its first item (no selection
    // when empty), every check list filled and ticked.
    Choices afterLoad() const;

    // The Process command's edit passes over the document (see pf::process); `catalogue` gives
    // the values, as the catalogue file reads at this moment; `record`, when given, receives
    // every line rewritten.
    ProcessReport process(const Choices& choices, const Catalogue& catalogue, EditRecord* record = nullptr);
    // Single settings of single modules written as one step the way Process writes (see
    // pf::writeCells).
    ProcessReport writeCells(std::span<const CellEdit> edits, const Catalogue& catalogue, EditRecord* record = nullptr);

    // Swaps the document with one this group held earlier (undo and redo, a Process whose
    // changes were turned down); the model and the lists stay.
    void exchangeDocument(Document& other) { std::swap(document_, other); }
    // After a Process with a record: the lines of the modules not kept go back to their text
    // before it (see ChangeList::restore).
    void restore(const ChangeList& changes, const std::vector<bool>& keep) { changes.restore(document_, keep); }
    // Undo and redo of a Process by its record (see ChangeList::takeBack and redo).
    void takeBack(const ChangeList& changes) { changes.takeBack(document_); }
    void redo(const ChangeList& changes, const std::vector<bool>& keep) { changes.redo(document_, keep); }

    // Writes the document atomically (see Document::save).
    bool save(const std::filesystem::path& path, std::string* error = nullptr) const;

private:
    using ListsFor = std::function<std::shared_ptr<const CatalogueLists>(std::string_view modelCode)>;
    bool loadWith(const std::filesystem::path& path, const ListsFor& listsFor, std::string* error);
    void take(Document document, const std::filesystem::path& name, const ListsFor& listsFor);

    Document document_;
    const DeviceModel* model_ = &unknownModel();
    std::shared_ptr<const CatalogueLists> lists_ = std::make_shared<CatalogueLists>();
};

}  // namespace pf
