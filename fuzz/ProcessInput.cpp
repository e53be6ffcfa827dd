#include "ProcessInput.h"

#include <cstdint>

namespace pf::fuzz {

namespace {

// Splits off the next blank-separated word; the rest keeps what follows the one blank after it.
std::string_view word(std::string_view& rest) {
    const size_t blank = rest.find(' ');
    const std::string_view w = rest.substr(0, blank);
    rest = blank == std::string_view::npos ? std::string_view() : rest.substr(blank + 1);
    return w;
}

// Decimal digits with an optional '-', wrapped to int; anything else gives 0.
int number(std::string_view w) {
    const bool negative = !w.empty() && w.front() == '-';
    if (negative) w.remove_prefix(1);
    uint64_t value = 0;
    for (char c : w) {
        if (c < '0' || c > '9') return 0;
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    if (negative) value = ~value + 1;
    return static_cast<int>(static_cast<uint32_t>(value));
}

size_t index(std::string_view w, size_t count) {
    uint64_t value = 0;
    for (char c : w) {
        if (c < '0' || c > '9') break;
        value = (value * 10 + static_cast<uint64_t>(c - '0')) % 1000003;
    }
    return static_cast<size_t>(value % count);
}

}  // namespace

ProcessInput decodeProcessInput(std::string_view bytes) {
    ProcessInput in;
    in.choices = Choices::atStart();

    const size_t catalogueAt = bytes.find(kCatalogueMark);
    in.document = std::string(bytes.substr(0, catalogueAt));
    if (catalogueAt == std::string_view::npos) return in;
    bytes.remove_prefix(catalogueAt + kCatalogueMark.size());

    const size_t choicesAt = bytes.find(kChoicesMark);
    in.catalogue = std::string(bytes.substr(0, choicesAt));
    if (choicesAt == std::string_view::npos) return in;
    bytes.remove_prefix(choicesAt + kChoicesMark.size());

    while (!bytes.empty()) {
        const size_t nl = bytes.find('\n');
        std::string_view line = bytes.substr(0, nl);
        bytes = nl == std::string_view::npos ? std::string_view() : bytes.substr(nl + 1);

        const std::string_view kind = word(line);
        if (kind == "model") {
            in.choices.model = std::string(line);
        } else if (kind == "set") {
            SettingChoice& c = in.choices.settings[index(word(line), kSettingCount)];
            c.ticked = word(line) == "1";
            c.number = number(word(line));
            c.text = std::string(line);
        } else if (kind == "rule") {
            ValueRule& r = in.choices.settings[index(word(line), kSettingCount)].rule;
            r.form = static_cast<ValueRule::Form>(index(word(line), 4));
            r.amount = number(word(line));
            r.low = number(word(line));
            r.high = number(word(line));
        } else if (kind == "when") {
            ValueRule& r = in.choices.settings[index(word(line), kSettingCount)].rule;
            const int low = number(word(line));
            r.when = std::pair{low, number(word(line))};
        } else if (kind == "whenitem") {
            in.choices.settings[index(word(line), kSettingCount)].rule.whenItems.emplace_back(line);
        } else if (kind == "patches") {
            in.choices.patches[index(word(line), kSectionCount)].emplace_back(line);
        } else if (kind == "type") {
            auto& list = in.choices.typeLists[index(word(line), kTypeListCount)];
            const bool ticked = word(line) == "1";
            list.push_back(TypeEntry{std::string(line), ticked});
        }
    }
    return in;
}

}  // namespace pf::fuzz
