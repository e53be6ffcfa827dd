#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "batch/FileWork.h"
#include "catalogue/Catalogue.h"
#include "io/FileIO.h"
#include "recipe/Recipe.h"

namespace pf::batch {

// What a file held when it was looked at: enough to tell whether another program has changed
// it since.
struct FileIdentity {
    bool exists = false;
    uint64_t size = 0, device = 0, inode = 0;
    int64_t modifiedNs = 0;
    size_t hash = 0;  // of its bytes
    bool operator==(const FileIdentity&) const = default;
};
// The identity of the file at `path` now (exists false when there is none); `bytes` receives
// what it holds when asked for.
FileIdentity identityOf(const std::filesystem::path& path, std::string* bytes = nullptr);

// What a written batch replaced, so that it can be put back: per output, what it held before
// (or that it was not there) and what the batch left in it.
class BatchUndo {
public:
    struct Entry {
        std::filesystem::path output;
        std::optional<std::string> before;  // none: the batch made the file
        FileIdentity written;
    };
    struct Result {
        std::vector<std::filesystem::path> restored;
        std::vector<std::string> notRestored;  // "Cannot put back <file>: <reason>"
    };

    bool empty() const { return entries_.empty(); }
    size_t size() const { return entries_.size(); }
    void add(Entry entry) { entries_.push_back(std::move(entry)); }
    // Puts every output still holding what the batch wrote back as it was (a file the batch
    // made is removed), each atomically; an output changed since is left alone and named.
    // The record is emptied.
    Result undo();

private:
    std::vector<Entry> entries_;
};

// A batch of patch groups, as the window runs it: one recipe applied to every input as the
// batch tool applies it, each input processed in memory and shown before anything is written,
// then the inputs chosen written, each atomically.
class FileBatch {
public:
    FileBatch(Recipe recipe, Catalogue catalogue);
    FileBatch(const FileBatch&) = delete;
    FileBatch& operator=(const FileBatch&) = delete;

    // Processes the inputs on `jobs` threads (0: one per processor), as the batch tool does,
    // without a record of every rewrite. Checks `cancel` before each input: once it is set,
    // the work stops and nothing is kept, and the result is false. `progress(done)` is called
    // now and then with the number of inputs done, on the calling thread.
    bool process(std::vector<std::filesystem::path> inputs, const std::atomic<bool>& cancel,
                 const std::function<void(size_t done)>& progress = {}, unsigned jobs = 0);

    const std::vector<std::filesystem::path>& inputs() const { return inputs_; }
    const std::vector<ProcessedFile>& files() const { return files_; }
    // A processed file with the record of its rewrites and its changes by module, for a preview
    // of it: its Process is run once more from its file, keeping them (the same choices give the
    // same result), the first time it is asked for. Before the batch is written, never while
    // process() or write() runs.
    const ProcessedFile& withChanges(size_t file);

    // One processed input to write: where, and which of its modules (one flag per module of its
    // changes; empty: all of them).
    struct Target {
        size_t file = 0;
        std::filesystem::path output;
        std::vector<bool> kept;
    };
    struct Written {
        size_t file = 0;
        bool ok = false;
        std::string error;  // names the output and the system's reason
    };
    // Writes the targets, each atomically (a replaced output kept as `backup` says), several at
    // a time; a target that fails is left as it was and told. With `undo`, what each output
    // held before and what it holds after is recorded there. Each file is written at most once.
    std::vector<Written> write(const std::vector<Target>& targets, io::Backup backup, BatchUndo* undo = nullptr,
                               unsigned jobs = 0);

private:
    Recipe recipe_;
    Catalogue catalogue_;
    std::unique_ptr<ChoicesByModel> choices_;  // the groups loaded keep its lists
    std::vector<std::filesystem::path> inputs_;
    std::vector<ProcessedFile> files_;
};

// The outputs of `inputs` written into `folder`: each under its path below its own root (the
// folder it was chosen from), so that files of one name from different subfolders stay apart.
std::vector<std::filesystem::path> outputsInFolder(const std::filesystem::path& folder,
                                                   const std::vector<std::filesystem::path>& inputs,
                                                   const std::vector<std::filesystem::path>& roots);

}  // namespace pf::batch
