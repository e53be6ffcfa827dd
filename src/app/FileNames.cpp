#include "app/FileNames.h"

#include <QCoreApplication>
#include <QFile>
#include <QDirIterator>
#include <QFileInfo>
#include <algorithm>
#include <vector>

#include "app/Widgets.h"
#include "document/DeviceModels.h"

namespace pf::app {

namespace {

QString tr(const char* text) { return QCoreApplication::translate("pf::app::TPresetforger_Form", text); }

struct FileKind {
    QString name;       // "G5"
    QString extension;  // ".g5a"
};

// The kinds of file Load offers: each model's, named by its code in capitals, with the G3's
// after the last guitar unit.
const std::vector<FileKind>& openKinds() {
    static const std::vector<FileKind> kinds = [] {
        std::vector<FileKind> list;
        size_t afterGuitars = 0;
        for (const DeviceModel& m : deviceModels()) {
            list.push_back({qs(m.code).toUpper(), qs(m.extension)});
            if (m.family == ModelFamily::Guitar) afterGuitars = list.size();
        }
        list.insert(list.begin() + static_cast<std::ptrdiff_t>(afterGuitars), {QStringLiteral("G3"), QStringLiteral(".g3a")});
        return list;
    }();
    return kinds;
}

}  // namespace

QString openFilter() {
    QStringList names, patterns;
    for (const FileKind& kind : openKinds()) {
        names << kind.name;
        patterns << QLatin1Char('*') + kind.extension;
    }
    return tr("%1 Patch Group (%2)").arg(names.join(u' '), patterns.join(u' '));
}

const QStringList& patchGroupExtensions() {
    static const QStringList extensions = [] {
        QStringList list;
        for (const FileKind& kind : openKinds()) list << kind.extension;
        return list;
    }();
    return extensions;
}

QString saveFilterOf(std::string_view code) {
    const DeviceModel& model = deviceModel(code);
    if (!model.known()) return {};
    return QStringLiteral("%1 (*%2)").arg(qs(model.saveFilter), qs(model.extension));
}

QStringList saveFilters() {
    QStringList filters;
    for (const DeviceModel& m : deviceModels()) filters << saveFilterOf(m.code);
    return filters;
}

bool isPatchGroupName(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    return std::any_of(patchGroupExtensions().begin(), patchGroupExtensions().end(),
                       [&](const QString& extension) { return name.endsWith(extension, Qt::CaseInsensitive); });
}

bool isRecipeName(const QString& path) { return QFileInfo(path).fileName().endsWith(QStringLiteral(".ini"), Qt::CaseInsensitive); }

QStringList patchGroupsIn(const QString& folder, bool subfolders) {
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Readable, subfolders ? QDirIterator::Subdirectories : QDirIterator::NoIteratorFlags);
    while (it.hasNext())
        if (const QString path = it.next(); isPatchGroupName(path)) files << path;
    files.sort();
    return files;
}

QString noPatchGroupIn(const QString& folder) {
    return tr("Cannot open %1: there is no patch group (%2) in it").arg(folder, patchGroupExtensions().join(QStringLiteral(", ")));
}

QString captionFor(const QString& path) { return tr("Presetforging:  \"%1\"").arg(QFileInfo(path).fileName()); }

std::filesystem::path fsPath(const QString& path) { return std::filesystem::path(QFile::encodeName(path).toStdString()); }

QString qpath(const std::filesystem::path& path) { return QFile::decodeName(QByteArray::fromStdString(path.string())); }

}  // namespace pf::app
