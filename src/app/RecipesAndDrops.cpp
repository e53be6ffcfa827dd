// Recipes in the window (saved from the choices shown, applied to them), a setting's rule said
// as a recipe says it, and files dropped on it.
#include <QCheckBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QSaveFile>
#include <QTimer>

#include "app/Desktop.h"
#include "app/MainWindow.h"
#include "app/RuleEditor.h"
#include "app/Widgets.h"
#include "io/FileIO.h"
#include "recipe/Apply.h"
#include "recipe/Recipe.h"

namespace pf::app {

namespace {

const UiText kRecipeFilter{QT_TRANSLATE_NOOP("pf::app::TPresetforger_Form", "Recipes (*.recipe.ini *.ini)")};

// The local files a drag carries; none when it carries anything else (a web address, no
// address at all).
QStringList droppedFiles(const QMimeData* data) {
    QStringList files;
    for (const QUrl& url : data && data->hasUrls() ? data->urls() : QList<QUrl>()) {
        if (!url.isLocalFile()) return {};
        files << url.toLocalFile();
    }
    return files;
}

// A drag of local files is taken as a copy, never as a move, so that the program the files
// come from keeps them; true when taken.
bool acceptAsCopy(QDropEvent* event) {
    if (droppedFiles(event->mimeData()).isEmpty() || !(event->possibleActions() & Qt::CopyAction)) {
        event->ignore();
        return false;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    return true;
}

}  // namespace

// ---- Recipes --------------------------------------------------------------------------------

void TPresetforger_Form::saveRecipeClick() {
    if (!loaded_) return;
    CommandScope command(*this);
    std::string error;
    const std::string text = pf::recipeFor(choices(), session_.group(), &error);
    if (!error.empty()) {
        desktop_.errorBox(this, kAppTitle, tr("Cannot save a recipe: %1").arg(qs(error)));
        return;
    }
    FileDialogRequest request;
    request.title = tr("Save recipe");
    request.save = true;
    request.nameFilters = {kRecipeFilter};
    request.selectedFilter = kRecipeFilter;
    request.defaultSuffix = QStringLiteral("ini");
    request.directory = rememberedFolder("recipe/folder", QFileInfo(loadedPath_).absolutePath());
    const QString path = desktop_.chooseFile(this, request, nullptr);
    if (path.isEmpty()) return;
    rememberFolder("recipe/folder", path);
    // Written whole or not at all.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(text.data(), static_cast<qint64>(text.size())) != static_cast<qint64>(text.size()) || !file.commit()) {
        desktop_.errorBox(this, kAppTitle, tr("Cannot write recipe %1: %2").arg(path, file.errorString()));
    }
}

void TPresetforger_Form::applyRecipeClick() {
    if (!loaded_) return;
    CommandScope command(*this);
    FileDialogRequest request;
    request.title = tr("Apply recipe");
    request.nameFilters = {kRecipeFilter, tr("All files (*)")};
    request.selectedFilter = kRecipeFilter;
    request.directory = rememberedFolder("recipe/folder", QFileInfo(loadedPath_).absolutePath());
    const QString path = desktop_.chooseFile(this, request, nullptr);
    if (path.isEmpty()) return;
    rememberFolder("recipe/folder", path);
    applyRecipe(path);
}

bool TPresetforger_Form::applyRecipe(const QString& path) {
    if (!loaded_) return false;
    CommandScope command(*this);
    std::string bytes, reason;
    if (!pf::io::readRegularFile(fsPath(path), bytes, &reason)) {
        desktop_.errorBox(this, kAppTitle, tr("Cannot read recipe %1: %2").arg(path, qs(reason)));
        return false;
    }
    // The batch tool's reader and the batch tool's choices for this file; any error in either
    // leaves every control as it was.
    constexpr size_t kShownErrors = 10;
    const pf::RecipeResult parsed = pf::parseRecipe(bytes, kShownErrors);
    QStringList errors;
    for (const pf::RecipeError& e : parsed.errors) errors << qs(e.text());
    pf::FileChoices applied;
    if (parsed.ok()) {
        applied = pf::choicesFor(parsed.recipe, session_.group());
        for (const std::string& e : applied.errors) errors << qs(e);
    }
    if (!errors.isEmpty()) {
        if (parsed.errorCount > parsed.errors.size()) errors << tr("(%1 more)").arg(parsed.errorCount - parsed.errors.size());
        desktop_.errorBox(this, kAppTitle,
                          tr("Cannot apply recipe %1; nothing was changed:\n%2").arg(QFileInfo(path).fileName(), errors.join(u'\n')));
        return false;
    }
    controls_->show(applied.choices);
    if (!applied.notApplied.empty()) {
        QStringList keys;
        for (const std::string& k : applied.notApplied) keys << qs(k);
        desktop_.infoBox(this, kAppTitle,
                         tr("Not offered for %1 files, so not applied: %2").arg(qs(modelCode()), keys.join(QStringLiteral(", "))));
    }
    return true;
}

// ---- Rules ----------------------------------------------------------------------------------

void TPresetforger_Form::editRule(SettingId id) {
    const SettingRow& row = rows_[static_cast<size_t>(id)];
    const SettingDef& def = setting(id);
    const QString examples =
        def.kind == ValueKind::Spin
            ? tr("%1 to %2, add N, scale P%, limit A..B;\nany of them then if A..B").arg(def.minimum).arg(def.maximum)
            : tr("An item, or an item if ITEM1, ITEM2");
    const std::string now = pf::valueText(id, choices()[id], session_.group()).value_or(std::string());
    auto read = [this, id](const std::string& text) -> std::variant<SettingChoice, std::string> {
        if (!text.empty()) return pf::choiceFor(id, text, session_.group());
        SettingChoice plain = choices()[id];  // the value shown, without a rule
        plain.rule = {};
        return plain;
    };
    auto take = [this, id, rule = row.rule](const SettingChoice& chosen) {
        controls_->setChoice(id, chosen);
        rule->setFocus();
    };
    auto* editor = new RuleEditor(row.box->text(), qs(now), examples, read, take, this);
    editor->openUnder(row.rule);
}

// ---- Drops ----------------------------------------------------------------------------------

void TPresetforger_Form::dragEnterEvent(QDragEnterEvent* event) { acceptAsCopy(event); }

void TPresetforger_Form::dragMoveEvent(QDragMoveEvent* event) { acceptAsCopy(event); }

void TPresetforger_Form::dropEvent(QDropEvent* event) {
    if (!acceptAsCopy(event)) return;
    const QStringList files = droppedFiles(event->mimeData());
    const QString path = files.front();
    // Several patch groups or a folder (its patch groups, in its subfolders too) make a batch.
    if (files.size() > 1 || QFileInfo(path).isDir()) {
        QStringList groups, roots;
        QString refusal;
        for (const QString& f : files) {
            const bool folder = QFileInfo(f).isDir();
            if (!folder && !isPatchGroupName(f)) {
                refusal = tr("Cannot open %1: only patch groups (%2) or folders can be dropped together")
                              .arg(f, patchGroupExtensions().join(QStringLiteral(", ")));
                break;
            }
            const QStringList found = folder ? patchGroupsIn(f, true) : QStringList(f);
            groups += found;
            for (qsizetype i = 0; i < found.size(); ++i) roots << (folder ? f : QFileInfo(f).absolutePath());
        }
        if (refusal.isEmpty() && groups.isEmpty())
            refusal = noPatchGroupIn(path);
        if (!refusal.isEmpty()) {
            event->ignore();
            QTimer::singleShot(0, this, [this, refusal] { desktop_.errorBox(this, kAppTitle, refusal); });
        } else {
            QTimer::singleShot(0, this, [this, groups, roots] { runBatch(groups, roots); });
        }
        return;
    }
    QString refusal;
    if (isRecipeName(path) && !loaded_)
        refusal = tr("Cannot apply recipe %1: load a patch group first").arg(path);
    else if (!isRecipeName(path) && !isPatchGroupName(path))
        refusal = tr("Cannot open %1: only a patch group (%2) or a recipe (.ini) can be dropped here")
                      .arg(path, patchGroupExtensions().join(QStringLiteral(", ")));
    if (!refusal.isEmpty()) {
        event->ignore();
        QTimer::singleShot(0, this, [this, refusal] { desktop_.errorBox(this, kAppTitle, refusal); });
    } else if (isRecipeName(path)) {
        QTimer::singleShot(0, this, [this, path] { applyRecipe(path); });
    } else {
        QTimer::singleShot(0, this, [this, path] { openFile(path); });
    }
}

}  // namespace pf::app
