#include "batch/OutputIdentity.h"

#include <sys/stat.h>

#include <unordered_map>

namespace pf::batch {

namespace {

namespace fs = std::filesystem;

// What makes a path one file: its device and inode when it exists, else the absolute path it
// resolves to.
struct Identity {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    std::string resolved;
    bool operator==(const Identity&) const = default;
};

struct IdentityHash {
    size_t operator()(const Identity& id) const {
        if (!id.exists) return std::hash<std::string>()(id.resolved);
        return std::hash<unsigned long long>()(static_cast<unsigned long long>(id.device) * 1000003u ^
                                               static_cast<unsigned long long>(id.inode));
    }
};

class Identities {
public:
    Identity of(const fs::path& path) {
        struct stat st {};
        if (::stat(path.c_str(), &st) == 0) return existing(st);
        std::error_code ec;
        const fs::path absolute = fs::absolute(path, ec);
        const fs::path name = absolute.filename();
        struct stat lst {};
        if (name.empty() || name == "." || name == ".." || ::lstat(absolute.c_str(), &lst) == 0) {
            // A link that leads nowhere, or a name that goes up or stays: resolved whole. Should
            // that lead to a file after all, the file is what counts.
            Identity id;
            id.resolved = fs::weakly_canonical(absolute, ec).native();
            if (::stat(id.resolved.c_str(), &st) == 0) return existing(st);
            return id;
        }
        // A plain name that is not there resolves as its folder does, and the folder is
        // resolved once for all names in it.
        auto [it, fresh] = folders_.try_emplace(absolute.parent_path().native());
        if (fresh) it->second = fs::weakly_canonical(absolute.parent_path(), ec);
        Identity id;
        id.resolved = (it->second / name).native();
        return id;
    }

private:
    static Identity existing(const struct stat& st) {
        Identity id;
        id.exists = true;
        id.device = st.st_dev;
        id.inode = st.st_ino;
        return id;
    }

    std::unordered_map<std::string, fs::path> folders_;  // folder as given -> resolved
};

}  // namespace

std::optional<std::string> outputClash(const std::vector<fs::path>& inputs, const std::vector<fs::path>& outputs,
                                       std::string_view replacedHint) {
    Identities identities;
    // Each identity with the first input and the first output that have it.
    std::unordered_map<Identity, size_t, IdentityHash> firstInput, firstOutput;
    for (size_t j = 0; j < inputs.size(); ++j) firstInput.try_emplace(identities.of(inputs[j]), j);
    for (size_t i = 0; i < outputs.size(); ++i) {
        const Identity id = identities.of(outputs[i]);
        if (auto in = firstInput.find(id); in != firstInput.end())
            return "the output " + outputs[i].string() + " is the input " + inputs[in->second].string() +
                   std::string(replacedHint);
        if (auto [out, fresh] = firstOutput.try_emplace(id, i); !fresh)
            return "the inputs " + inputs[out->second].string() + " and " + inputs[i].string() +
                   " would both be written to " + outputs[i].string();
    }
    return std::nullopt;
}

}  // namespace pf::batch
