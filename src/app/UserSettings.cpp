#include "app/UserSettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

namespace pf::app {

namespace {

QString userSettingsPath() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return QDir::cleanPath(QDir(folder).absoluteFilePath(QStringLiteral("presetforger/presetforger.ini")));
}

// Whether the settings file may be read: it is a regular file, or there is none yet. Anything
// else there (a named pipe would hold the window up before it ever shows) is moved aside to
// NAME.not-a-file, once, and the user is told; what cannot be moved aside means no settings
// for this run.
bool settingsFileReadable(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    struct stat st {};
    if (::lstat(name.constData(), &st) != 0 || S_ISREG(st.st_mode)) return true;
    if (S_ISLNK(st.st_mode) && (::stat(name.constData(), &st) != 0 || S_ISREG(st.st_mode))) return true;
    const QByteArray aside = name + ".not-a-file";
    if (::rename(name.constData(), aside.constData()) == 0) {
        std::fprintf(stderr, "presetforger: settings file %s is not a regular file; moved aside to %s\n", name.constData(),
                     aside.constData());
        return true;
    }
    const int error = errno;
    static QByteArray toldOf;  // said once per run, not at every use of the settings
    if (toldOf != name) {
        toldOf = name;
        std::fprintf(stderr, "presetforger: settings file %s is not a regular file and cannot be moved aside: %s; "
                             "no settings are read or kept in this run\n", name.constData(), std::strerror(error));
    }
    return false;
}

}  // namespace

std::unique_ptr<QSettings> userSettings() {
    const QString path = userSettingsPath();
    if (!settingsFileReadable(path)) return nullptr;
    return std::make_unique<QSettings>(path, QSettings::IniFormat);
}

QStringList recentFiles() {
    const std::unique_ptr<QSettings> settings = userSettings();
    return settings ? settings->value(QStringLiteral("load/recent")).toStringList().mid(0, kRecentFiles) : QStringList();
}

void rememberLoaded(const QString& path) {
    rememberFolder("load/folder", path);
    QStringList recent = recentFiles();
    const QString absolute = QFileInfo(path).absoluteFilePath();
    recent.removeAll(absolute);
    recent.prepend(absolute);
    if (const std::unique_ptr<QSettings> settings = userSettings())
        settings->setValue(QStringLiteral("load/recent"), recent.mid(0, kRecentFiles));
}

QString rememberedFolder(const char* key, const QString& otherwise) {
    const std::unique_ptr<QSettings> settings = userSettings();
    const QString folder = settings ? settings->value(QLatin1String(key)).toString() : QString();
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : otherwise;
}

void rememberFolder(const char* key, const QString& file) {
    if (const std::unique_ptr<QSettings> settings = userSettings())
        settings->setValue(QLatin1String(key), QFileInfo(file).absolutePath());
}

}  // namespace pf::app
