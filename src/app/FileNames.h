#pragma once

#include <QString>
#include <QStringList>
#include <filesystem>

namespace pf::app {

// The files the window reads and writes, by name.

// The open dialog's one filter: every model's files and the G3's, which load without a model
// of their own and stand with the other guitar units: "G5 G3X G3 B3 Patch Group (*.g5a ...)".
QString openFilter();
// The extensions Load offers, in the open filter's order: ".g5a", ".g3xa", ".g3a", ".b3a".
const QStringList& patchGroupExtensions();
// The save dialog's filters, one per device model: "G5 Patch Groups (*.g5a)".
QStringList saveFilters();
// The save filter of the model of `code`; empty for the unknown model.
QString saveFilterOf(std::string_view code);

// Letter case does not matter: a file named LOUD.G5A is a patch group too.
bool isPatchGroupName(const QString& path);
bool isRecipeName(const QString& path);
// The patch groups in a folder (with `subfolders`, in its subfolders too), by path in order.
QStringList patchGroupsIn(const QString& folder, bool subfolders);
// "Cannot open FOLDER: there is no patch group (.g5a, ...) in it".
QString noPatchGroupIn(const QString& folder);

// The caption after a load or a save: "Presetforging:  " and the quoted file name.
QString captionFor(const QString& path);

// A path as the core takes it (the file system's bytes), and back.
std::filesystem::path fsPath(const QString& path);
QString qpath(const std::filesystem::path& path);

}  // namespace pf::app
