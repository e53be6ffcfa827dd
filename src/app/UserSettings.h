#pragma once

#include <QString>
#include <QStringList>
#include <memory>

class QSettings;

namespace pf::app {

// The user's own settings of the program: the folders last used by Load, Save and the recipe
// dialogs, and the recently loaded files (kRecentFiles at most, newest first). They lie in
// "presetforger/presetforger.ini" in the user's configuration folder; none (nullptr) when
// something else than a file lies there and cannot be moved aside.
std::unique_ptr<QSettings> userSettings();
inline constexpr int kRecentFiles = 5;
QStringList recentFiles();  // the first kRecentFiles of those kept, however many that is
// A file loaded: first in the recent files, and listed once; its folder is the one Load
// opens in next.
void rememberLoaded(const QString& path);

// The folder remembered under `key` ("save/folder", ...), or `otherwise` when there is none
// or it is gone; and the folder of `file` remembered under `key`.
QString rememberedFolder(const char* key, const QString& otherwise);
void rememberFolder(const char* key, const QString& file);

}  // namespace pf::app
