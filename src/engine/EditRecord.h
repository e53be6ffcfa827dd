#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "engine/Settings.h"

namespace pf {

// One line a Process command rewrote to a different text, and why.
struct RecordedEdit {
    size_t line = 0;             // index of the line (0 is the first)
    SettingId setting{};         // the setting that wrote it; its caption and section follow from it
    Group group{};               // the edit block whose hit led there
    std::string type;            // that hit's effect type (check-list text) or fixed search string
    long long moduleLine = -1;   // index of the module's header line; -1 when the hit had none above
    std::string module;          // that header line's text (empty when there is none)
    std::string before, after;   // the line's text before and after this rewrite
};

// Every such rewrite in the order it was made; a line rewritten twice appears twice, the later
// record's `before` being the earlier one's `after`. A deque: a record of a million rewrites
// grows without moving what it holds.
using EditRecord = std::deque<RecordedEdit>;

// Where a rewrite comes from, as the edit blocks tell the session while they run. Only read
// when a record is being kept.
struct EditOrigin {
    Group group{};
    std::string_view type;
    SettingId setting{};
    long long moduleLine = -1;
};

}  // namespace pf
