#include "batch/FileBatch.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>
#include <mutex>
#include <set>
#include <thread>

#include "batch/ParallelRun.h"

namespace pf::batch {

namespace fs = std::filesystem;

namespace {

unsigned jobsFor(unsigned jobs) { return jobs != 0 ? jobs : std::max(1u, std::thread::hardware_concurrency()); }

// Inputs between the start of their write and its end: each holds a temporary file and, for a
// backup, up to three descriptors more.
constexpr size_t kWritesInFlight = 64;

}  // namespace

FileIdentity identityOf(const fs::path& path, std::string* bytes) {
    FileIdentity id;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return id;
    std::string read;
    if (!io::readRegularFile(path, read)) return id;
    id.exists = true;
    id.size = static_cast<uint64_t>(st.st_size);
    id.device = static_cast<uint64_t>(st.st_dev);
    id.inode = static_cast<uint64_t>(st.st_ino);
    id.modifiedNs = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    id.hash = std::hash<std::string>()(read);
    if (bytes) *bytes = std::move(read);
    return id;
}

BatchUndo::Result BatchUndo::undo() {
    Result result;
    for (auto it = entries_.rbegin(); it != entries_.rend(); ++it) {
        const Entry& e = *it;
        auto refuse = [&](std::string_view reason) {
            result.notRestored.push_back("Cannot put back " + e.output.string() + ": " + std::string(reason));
        };
        if (identityOf(e.output) != e.written) {
            refuse(fs::exists(e.output) ? "it was changed since the batch wrote it" : "it is no longer there");
            continue;
        }
        std::string reason;
        if (!e.before) {
            if (::unlink(e.output.c_str()) != 0) refuse(std::strerror(errno));
            else result.restored.push_back(e.output);
            continue;
        }
        const std::string& bytes = *e.before;
        if (io::writeFileAtomically(e.output, [&](int fd) { return io::writeAll(fd, bytes.data(), bytes.size()); }, &reason))
            result.restored.push_back(e.output);
        else
            refuse(reason);
    }
    entries_.clear();
    return result;
}

FileBatch::FileBatch(Recipe recipe, Catalogue catalogue)
    : recipe_(std::move(recipe)), catalogue_(std::move(catalogue)),
      choices_(std::make_unique<ChoicesByModel>(recipe_, catalogue_)) {}

bool FileBatch::process(std::vector<fs::path> inputs, const std::atomic<bool>& cancel,
                        const std::function<void(size_t)>& progress, unsigned jobs) {
    files_.clear();
    inputs_ = std::move(inputs);
    std::vector<ProcessedFile> files(inputs_.size());
    if (!inputs_.empty())
        runInOrder(
            inputs_.size(), jobsFor(jobs), SIZE_MAX,
            [&](size_t i) -> FinishStep {
                if (cancel.load()) return [] {};
                files[i] = processFile(inputs_[i], *choices_, catalogue_, false);
                return [] {};
            },
            [&](size_t i) {
                if (progress) progress(i + 1);
            },
            [&](size_t done) {
                if (progress) progress(done);
            });
    if (cancel.load()) {
        inputs_.clear();
        return false;
    }
    files_ = std::move(files);
    return true;
}

const ProcessedFile& FileBatch::withChanges(size_t i) {
    ProcessedFile& file = files_.at(i);
    if (file.processed() && file.pending && !file.pending->record()) {
        file = processFile(inputs_[i], *choices_, catalogue_, true);
        if (file.pending && file.pending->record()) file.pending->changes();
    }
    return file;
}

std::vector<FileBatch::Written> FileBatch::write(const std::vector<Target>& targets, io::Backup backup, BatchUndo* undo,
                                                 unsigned jobs) {
    std::vector<Written> written(targets.size());
    std::vector<std::optional<BatchUndo::Entry>> entries(targets.size());
    std::mutex foldersMutex;
    std::set<fs::path> folders;  // flushed once each at the end
    if (targets.empty()) return written;
    runInOrder(
        targets.size(), jobsFor(jobs), kWritesInFlight,
        [&](size_t t) -> FinishStep {
            const Target& target = targets[t];
            Written& w = written[t];
            w.file = target.file;
            ProcessedFile& file = files_.at(target.file);
            if (!file.processed() || !file.pending) {
                w.error = "Cannot create file " + target.output.string() + ": it is not to be written";
                return [] {};
            }
            file.session->keep(std::move(*file.pending), target.kept);
            file.pending.reset();
            std::optional<std::string> before;
            if (undo) {
                std::string bytes;
                if (identityOf(target.output, &bytes).exists) before = std::move(bytes);
            }
            auto write = std::make_shared<io::AtomicWrite>();
            std::string reason;
            // An output below a subfolder of the chosen folder gets that subfolder.
            std::error_code ec;
            if (const fs::path parent = target.output.parent_path(); !parent.empty() && !fs::exists(parent, ec))
                fs::create_directories(parent, ec);
            if (!file.session->startSave(*write, target.output, &reason)) {
                w.error = io::cannotCreate(target.output, reason);
                return [] {};
            }
            write->startFlush();
            return [&, t, write, before = std::move(before)]() mutable {
                const Target& target = targets[t];
                std::string reason;
                fs::path folder;
                if (!write->finish(&reason, {.backup = backup, .folderToFlush = &folder})) {
                    written[t].error = io::cannotCreate(target.output, reason);
                    return;
                }
                written[t].ok = true;
                if (undo) entries[t] = BatchUndo::Entry{target.output, std::move(before), identityOf(target.output)};
                const std::lock_guard<std::mutex> lock(foldersMutex);
                folders.insert(folder);
            };
        },
        [](size_t) {}, [](size_t) {});
    for (const auto& folder : folders) io::flushFolder(folder);
    if (undo)
        for (auto& e : entries)
            if (e) undo->add(std::move(*e));
    return written;
}

std::vector<fs::path> outputsInFolder(const fs::path& folder, const std::vector<fs::path>& inputs,
                                      const std::vector<fs::path>& roots) {
    std::vector<fs::path> outputs;
    outputs.reserve(inputs.size());
    for (size_t i = 0; i < inputs.size(); ++i) {
        fs::path relative = i < roots.size() && !roots[i].empty() ? inputs[i].lexically_relative(roots[i]) : fs::path();
        if (relative.empty() || *relative.begin() == "..") relative = inputs[i].filename();
        outputs.push_back(folder / relative);
    }
    return outputs;
}

}  // namespace pf::batch
