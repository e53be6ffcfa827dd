#include "library/Compare.h"

#include <algorithm>
#include <map>

namespace pf {

namespace {

struct PatchSpan {
    size_t number;
    std::string_view name;
    std::span<const TableRow> rows;
};

std::vector<PatchSpan> patchesOf(std::span<const TableRow> rows) {
    std::vector<PatchSpan> out;
    for (size_t i = 0; i < rows.size();) {
        size_t j = i;
        while (j < rows.size() && rows[j].patch == rows[i].patch) ++j;
        out.push_back({rows[i].patch, rows[i].patchName, rows.subspan(i, j - i)});
        i = j;
    }
    return out;
}

}  // namespace

std::vector<ModulePair> pairModules(std::span<const TableRow> a, std::span<const TableRow> b) {
    std::vector<ModulePair> pairs;
    std::vector<bool> taken(b.size());
    for (const TableRow& row : a) {
        ModulePair pair{&row, nullptr};
        for (size_t j = 0; j < b.size(); ++j)
            if (!taken[j] && b[j].group == row.group) {
                taken[j] = true;
                pair.b = &b[j];
                break;
            }
        pairs.push_back(pair);
    }
    for (size_t j = 0; j < b.size(); ++j)
        if (!taken[j]) pairs.push_back({nullptr, &b[j]});
    return pairs;
}

std::vector<Difference> compareModules(const ModulePair& pair, const std::vector<SettingId>& columns) {
    std::vector<Difference> out;
    if (!pair.a || !pair.b) return out;
    for (SettingId id : columns) {
        if (setting(id).group != pair.a->group) continue;
        std::string before = pair.a->text(id), after = pair.b->text(id);
        if (before == after) continue;
        Difference d;
        d.group = pair.a->group;
        d.rowA = pair.a;
        d.rowB = pair.b;
        d.setting = id;
        d.before = std::move(before);
        d.after = std::move(after);
        out.push_back(std::move(d));
    }
    return out;
}

std::vector<Difference> comparePatches(std::span<const TableRow> a, std::span<const TableRow> b,
                                       const std::vector<SettingId>& columns) {
    std::vector<Difference> out;
    for (const ModulePair& pair : pairModules(a, b)) {
        if (!pair.a || !pair.b) {
            Difference d;
            d.kind = pair.a ? Difference::Kind::ModuleOnlyInA : Difference::Kind::ModuleOnlyInB;
            d.group = (pair.a ? pair.a : pair.b)->group;
            d.rowA = pair.a;
            d.rowB = pair.b;
            out.push_back(std::move(d));
            continue;
        }
        for (Difference& d : compareModules(pair, columns)) out.push_back(std::move(d));
    }
    const std::string name = !a.empty() ? a.front().patchName : !b.empty() ? b.front().patchName : std::string();
    for (Difference& d : out) {
        d.patch = name;
        d.patchA = a.empty() ? 0 : a.front().patch;
        d.patchB = b.empty() ? 0 : b.front().patch;
    }
    return out;
}

std::vector<Difference> compareTables(std::span<const TableRow> a, std::span<const TableRow> b,
                                      const std::vector<SettingId>& columns) {
    const std::vector<PatchSpan> patchesA = patchesOf(a), patchesB = patchesOf(b);
    // B's patches by name, in order; each taken once.
    std::map<std::string_view, std::vector<size_t>> byName;
    for (size_t j = patchesB.size(); j-- > 0;) byName[patchesB[j].name].push_back(j);
    std::vector<bool> matched(patchesB.size());
    std::vector<Difference> out;
    for (const PatchSpan& p : patchesA) {
        auto& candidates = byName[p.name];
        if (candidates.empty()) {
            Difference d;
            d.kind = Difference::Kind::PatchOnlyInA;
            d.patch = p.name;
            d.patchA = p.number;
            out.push_back(std::move(d));
            continue;
        }
        const size_t j = candidates.back();
        candidates.pop_back();
        matched[j] = true;
        for (Difference& d : comparePatches(p.rows, patchesB[j].rows, columns)) out.push_back(std::move(d));
    }
    for (size_t j = 0; j < patchesB.size(); ++j)
        if (!matched[j]) {
            Difference d;
            d.kind = Difference::Kind::PatchOnlyInB;
            d.patch = patchesB[j].name;
            d.patchB = patchesB[j].number;
            out.push_back(std::move(d));
        }
    return out;
}

}  // namespace pf
