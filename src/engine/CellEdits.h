#pragma once

// Edits of single settings in single modules (a value changed in the patch table or a sheet,
// a value copied from one patch to another), made as one step the way Process makes its
// edits: the value as shown, stored through the value codec, written only into a parameter
// line of its number, all or nothing, with a record when asked for.

#include <span>
#include <string>

#include "document/DeviceModels.h"
#include "engine/Choices.h"
#include "engine/Process.h"

namespace pf {

class Catalogue;
class Document;
class EditRecord;

struct CellEdit {
    long long headerLine = -1;  // index of the module's header line; its Prm0 stands one below
    Group group{};              // the block whose module it is
    std::string typeId;         // the type id the module holds (empty for the patch module)
    SettingId setting{};
    SettingChoice value;        // the value as shown: a number, or a list's text
};

// Writes the edits into the document, block by block in Process's order and module by module
// in the order first given; in a module, a setting of its type first, and the others then
// where the type the module holds after it has them (a setting that does not stand there is
// not written). A catalogue name is written as the catalogue gives it for the model (the
// caller checks that it is there). All or nothing as Process; `record` as for Process.
ProcessReport writeCells(Document& document, const Catalogue& catalogue, const DeviceModel& model,
                         std::span<const CellEdit> edits, EditRecord* record = nullptr);

}  // namespace pf
