#include "document/LoadLists.h"

#include "catalogue/Catalogue.h"

namespace pf {

namespace {

constexpr std::string_view kRemove = "Remove";

void fillTypeLists(const Catalogue& catalogue, const std::string& sectionName, std::vector<std::string>& checks,
                   std::vector<std::string>& names) {
    for (const auto& e : catalogue.readSection(sectionName)) {
        if (e.name != kRemove) checks.push_back(" " + e.name);
        names.push_back(e.name);
    }
}

std::vector<std::string> namesOf(const Catalogue& catalogue, const std::string& sectionName) {
    std::vector<std::string> names;
    for (const auto& e : catalogue.readSection(sectionName)) names.push_back(e.name);
    return names;
}

}  // namespace

std::string cabItemText(std::string_view name, std::string_view value) {
    std::string item = " ";
    item += name;
    item += "  ";
    item += value.substr(0, 4);
    return item;
}

LoadLists buildLoadLists(const Catalogue& catalogue, std::string_view modelCode) {
    const std::string m(modelCode);
    LoadLists lists;
    fillTypeLists(catalogue, m + std::string(section::kAmp), lists.ampChecks, lists.ampNames);
    lists.midfNames = namesOf(catalogue, m + std::string(section::kMidF));
    for (const auto& e : catalogue.readSection(m + std::string(section::kCab)))
        lists.cabItems.push_back(cabItemText(e.name, e.value));
    fillTypeLists(catalogue, m + std::string(section::kDrive), lists.driveChecks, lists.driveNames);
    fillTypeLists(catalogue, m + std::string(section::kReverb), lists.reverbChecks, lists.reverbNames);
    lists.footswitchNames = namesOf(catalogue, m + std::string(section::kFootswitch));
    lists.exppedalNames = namesOf(catalogue, m + std::string(section::kExpPedal));
    return lists;
}

}  // namespace pf
