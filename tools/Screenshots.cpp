// Grabs every shown page of the window after loading each example into a fresh window, and
// the Home page at start, as PNG files: app_screenshots [--points N] <output folder>. With
// --points the window's font is N points; QT_SCALE_FACTOR=2 in the environment gives the
// pictures of a screen at 200%.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QFileInfo>
#include <QListView>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTreeView>
#include <cstdio>
#include <functional>

#include "app/Desktop.h"
#include "app/BatchPreview.h"
#include "app/CompareModel.h"
#include "app/MainWindow.h"
#include "app/PatchesDialog.h"
#include "app/PreviewDialog.h"
#include "app/Widgets.h"

namespace {

// No dialogs here: the examples are loaded by name, and a message goes to stderr. A preview is
// shown to `onPreview` and keeps every module.
struct PrintingDesktop : pf::app::Desktop {
    std::function<void(QWidget&)> onPreview;
    QString chooseFile(QWidget*, const pf::app::FileDialogRequest&, QString*) override { return {}; }
    void errorBox(QWidget*, const QString&, const QString& text) override { std::fprintf(stderr, "%s\n", qPrintable(text)); }
    void infoBox(QWidget*, const QString&, const QString& text) override { std::fprintf(stderr, "%s\n", qPrintable(text)); }
    void openUrl(const QUrl&) override {}
    std::optional<std::vector<bool>> reviewChanges(QWidget* parent, const pf::app::ChangeReview& review) override {
        pf::app::PreviewDialog dialog(review, parent);
        dialog.show();
        if (onPreview) onPreview(dialog);
        return dialog.kept();
    }
    // A batch is shown and cancelled: nothing is written.
    QStringList chooseFiles(QWidget*, const pf::app::FileDialogRequest&) override { return {}; }
    std::optional<pf::app::BatchDecision> reviewBatch(QWidget* parent, const pf::app::BatchReview& review) override {
        pf::app::BatchPreviewDialog dialog(review, parent);
        dialog.show();
        if (onPreview) onPreview(dialog);
        return std::nullopt;
    }
};

// A folder of generated patch groups of every model beside the examples: copies under other
// names, in a subfolder, one with other line ends, and one that cannot be read.
QStringList generatedFolder(const QDir& folder) {
    QStringList files;
    const QDir examples(QStringLiteral(PF_SOURCE_DIR "/examples"));
    folder.mkpath(QStringLiteral("live"));
    for (const QString& name : {QStringLiteral("evening-set.g5a"), QStringLiteral("rehearsal.g3xa"), QStringLiteral("low-end.b3a")})
        files << examples.filePath(name);
    const struct { const char* from; const char* to; } copies[] = {
        {"evening-set.g5a", "live/club-night.g5a"}, {"rehearsal.g3xa", "live/open-air.g3xa"},
        {"low-end.b3a", "live/bass-solo.b3a"}, {"evening-set.g5a", "studio-takes.g5a"}};
    for (const auto& c : copies) {
        QFile::copy(examples.filePath(QLatin1String(c.from)), folder.filePath(QLatin1String(c.to)));
        files << folder.filePath(QLatin1String(c.to));
    }
    QFile wide(folder.filePath(QStringLiteral("wide-text.g5a")));
    if (wide.open(QIODevice::WriteOnly)) wide.write(QByteArray("\xff\xfe<\0?\0", 6));
    files << wide.fileName();
    return files;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // Pictures of a first run: no remembered files, and the user's settings left alone.
    QTemporaryDir settings;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(settings.path()));
    QStringList args = QApplication::arguments().mid(1);
    constexpr const char* kUsage = "usage: app_screenshots [--points N] <output folder>\n";
    if (args.size() == 1 && (args[0] == QLatin1String("--help") || args[0] == QLatin1String("-h"))) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (args.size() == 3 && args[0] == QLatin1String("--points") && args[1].toInt() > 0) {
        QFont font = QApplication::font();
        font.setPointSize(args[1].toInt());
        QApplication::setFont(font);
        args = args.mid(2);
    }
    // An option that is not known is not taken for a folder name.
    if (args.size() != 1 || args[0].startsWith(u'-')) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const QDir out(args[0]);
    QDir().mkpath(out.path());
    bool ok = true;
    auto grab = [&](QWidget& window, const QString& name) {
        for (int i = 0; i < 3; ++i) QApplication::processEvents();  // item views lay out on a later turn
        const bool saved = window.grab().save(out.filePath(name));
        std::fprintf(saved ? stdout : stderr, "%s%s\n", saved ? "" : "cannot write ", qPrintable(out.filePath(name)));
        ok &= saved;
    };
    // A fresh window with `example` loaded (none: the start state), shown to `shoot`.
    PrintingDesktop desktop;
    auto withWindow = [&](const char* example, auto shoot) {
        pf::app::TPresetforger_Form window(desktop);
        window.show();
        if (example) ok &= window.loadFile(QStringLiteral(PF_SOURCE_DIR "/examples/") + QLatin1String(example));
        shoot(window);
    };
    withWindow(nullptr, [&](auto& window) { grab(window, QStringLiteral("start.png")); });
    for (const char* example : {"evening-set.g5a", "rehearsal.g3xa", "low-end.b3a"}) {
        withWindow(example, [&](pf::app::TPresetforger_Form& window) {
            auto* tabs = window.findChild<QTabWidget*>(QStringLiteral("PageControl1"));
            for (int i = 1; i < tabs->count(); ++i) {
                if (!tabs->isTabVisible(i)) continue;
                tabs->setCurrentIndex(i);
                grab(window, QStringLiteral("%1-%2.png").arg(pf::app::qs(window.modelCode()),
                                                             tabs->widget(i)->objectName()));
            }
        });
    }
    // A page with choices made: Gain and Cab ticked, one amp type left out.
    withWindow("evening-set.g5a", [&](pf::app::TPresetforger_Form& window) {
        window.findChild<QCheckBox*>(QStringLiteral("ckampgain"))->setChecked(true);
        window.findChild<QSpinBox*>(QStringLiteral("spinampgain"))->setValue(60);
        window.findChild<QCheckBox*>(QStringLiteral("ckampcab"))->setChecked(true);
        window.findChild<QComboBox*>(QStringLiteral("cboampcab"))->setCurrentIndex(2);
        window.findChild<QListWidget*>(QStringLiteral("checklistamp"))->item(1)->setCheckState(Qt::Unchecked);
        grab(window, QStringLiteral("g5-amp-choices.png"));
        // Process: the preview of its changes (the first module unticked, the second opened),
        // then, the save dialog cancelled, the window with the summary and Undo.
        desktop.onPreview = [&](QWidget& dialog) {
            auto* tree = dialog.findChild<QTreeView*>(QStringLiteral("previewchanges"));
            tree->model()->setData(tree->model()->index(0, 0), Qt::Unchecked, Qt::CheckStateRole);
            tree->expand(tree->model()->index(1, 0));
            tree->setCurrentIndex(tree->model()->index(1, 0));
            grab(dialog, QStringLiteral("preview.png"));
            dialog.findChild<QTabWidget*>(QStringLiteral("previewtabs"))->setCurrentIndex(1);
            grab(dialog, QStringLiteral("preview-details.png"));
        };
        window.butprocessClick();
        desktop.onPreview = nullptr;
        grab(window, QStringLiteral("after-process.png"));
    });
    // Rules: the example rule recipe applied, the Amp page with the rule box of Level open over
    // it, and the preview of its Process.
    withWindow("evening-set.g5a", [&](pf::app::TPresetforger_Form& window) {
        ok &= window.applyRecipe(QStringLiteral(PF_SOURCE_DIR "/examples/rules.recipe.ini"));
        window.editRule(pf::SettingId::AmpLevel);
        for (int i = 0; i < 3; ++i) QApplication::processEvents();
        QPixmap shot = window.grab();
        if (auto* editor = window.findChild<QWidget*>(QStringLiteral("ruleeditor"))) {
            QPainter painter(&shot);
            painter.drawPixmap(window.mapFromGlobal(editor->mapToGlobal(QPoint(0, 0))), editor->grab());
            painter.end();
            editor->close();
        }
        const bool saved = shot.save(out.filePath(QStringLiteral("g5-amp-rules.png")));
        std::fprintf(saved ? stdout : stderr, "%s\n", qPrintable(out.filePath(QStringLiteral("g5-amp-rules.png"))));
        ok &= saved;
        desktop.onPreview = [&](QWidget& dialog) {
            auto* tree = dialog.findChild<QTreeView*>(QStringLiteral("previewchanges"));
            tree->expandAll();
            grab(dialog, QStringLiteral("preview-rules.png"));
        };
        window.butprocessClick();
        desktop.onPreview = nullptr;
    });
    // A batch over the examples and a generated folder: the gig-ready recipe applied, its preview
    // with the second file in focus.
    withWindow("evening-set.g5a", [&](pf::app::TPresetforger_Form& window) {
        ok &= window.applyRecipe(QStringLiteral(PF_SOURCE_DIR "/examples/gig-ready.recipe.ini"));
        QTemporaryDir generated;
        const QStringList files = generatedFolder(QDir(generated.path()));
        QStringList roots;
        for (const QString& f : files) roots << QFileInfo(f).absolutePath();
        desktop.onPreview = [&](QWidget& dialog) {
            auto* list = dialog.findChild<QListView*>(QStringLiteral("batchfiles"));
            list->setCurrentIndex(list->model()->index(1, 0));
            grab(dialog, QStringLiteral("batch-preview.png"));
        };
        window.runBatch(files, roots);
        desktop.onPreview = nullptr;
    });
    // The Patches view: the table filtered and sorted, then two patches compared with a
    // differing line selected.
    withWindow("evening-set.g5a", [&](pf::app::TPresetforger_Form& window) {
        window.patchesClick();
        auto* dialog = window.findChild<pf::app::PatchesDialog*>(QStringLiteral("patches"));
        if (!dialog) return void(ok = false);
        dialog->findChild<QLineEdit*>(QStringLiteral("patchesfilter"))->setText(QStringLiteral("Amp.Gain=40..100"));
        auto* table = dialog->findChild<QTableView*>(QStringLiteral("patchestable"));
        for (int c = 0; c < table->model()->columnCount(); ++c)
            if (table->model()->headerData(c, Qt::Horizontal).toString() == QLatin1String("Amp.Gain"))
                table->sortByColumn(c, Qt::DescendingOrder);
        grab(*dialog, QStringLiteral("patches.png"));
        dialog->findChild<QLineEdit*>(QStringLiteral("patchesfilter"))->clear();
        dialog->comparePatches(1, 2);
        auto* compare = dialog->findChild<QTableView*>(QStringLiteral("patchescompare"));
        const auto* lines = static_cast<const pf::app::CompareModel*>(compare->model());
        for (int r = 0; r < lines->rowCount(); ++r)
            if (lines->line(r).setting == pf::SettingId::AmpGain) {
                compare->selectRow(r);
                compare->scrollTo(lines->index(std::max(0, r - 3), 0), QAbstractItemView::PositionAtTop);
            }
        grab(*dialog, QStringLiteral("patches-compare.png"));
    });
    return ok ? 0 : 1;
}
