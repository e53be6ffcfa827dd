// The Patches view: the table shows the core's rows and sorts numbers as numbers, the filter
// field reads the batch tool's conditions and patterns, the compare marks exactly the lines
// that differ, and a copied value edits the document as Process does (preview, undo).
#include <QLineEdit>
#include <QTableView>

#include "AppTestSupport.h"
#include "app/CompareModel.h"
#include "app/PatchesDialog.h"
#include "app/Widgets.h"
#include "library/PatchTable.h"

namespace pf::test {
namespace {

using Patches = WindowTest;

struct View {
    pf::app::PatchesDialog* dialog;
    QAbstractItemModel* table;
    QTableView* compare;
    QString cell(int row, const QString& column) const {
        for (int c = 0; c < table->columnCount(); ++c)
            if (table->headerData(c, Qt::Horizontal).toString() == column) return table->index(row, c).data().toString();
        ADD_FAILURE() << "no column " << column.toStdString();
        return {};
    }
};

View open(pf::app::TPresetforger_Form& window) {
    window.patchesClick();
    auto* dialog = window.findChild<pf::app::PatchesDialog*>(QStringLiteral("patches"));
    EXPECT_TRUE(dialog && dialog->isVisible());
    return {dialog, dialog->findChild<QTableView*>(QStringLiteral("patchestable"))->model(),
            dialog->findChild<QTableView*>(QStringLiteral("patchescompare"))};
}

TEST_F(Patches, TableShowsTheCoreRowsSortsNumbersAsNumbersAndFilters) {
    EXPECT_FALSE(find<QToolButton>("butpatches")->isEnabled()) << "nothing loaded";
    load(exampleFile("evening-set.g5a"));
    ASSERT_TRUE(find<QToolButton>("butpatches")->isEnabled());
    const View v = open(*window);
    const pf::PatchTable core(bundledCatalogue(), *pf::modelOfFile("a.g5a"));
    const std::vector<pf::TableRow> rows = core.rows(window->document());
    ASSERT_EQ(v.table->rowCount(), static_cast<int>(rows.size()));
    // One module of each kind of cell: module columns, a number, a list name, another block's.
    const pf::TableRow& amp = *std::ranges::find(rows, pf::Group::Amp, &pf::TableRow::group);
    const int at = static_cast<int>(&amp - rows.data());
    EXPECT_EQ(v.cell(at, "Name"), pf::app::qs(amp.patchName));
    EXPECT_EQ(v.cell(at, "Module"), QString::number(amp.headerLine + 1));
    EXPECT_EQ(v.cell(at, "Type"), pf::app::qs(amp.type));
    EXPECT_EQ(v.cell(at, "Amp.Gain"), pf::app::qs(amp.text(SettingId::AmpGain)));
    EXPECT_EQ(v.cell(at, "Amp.Cab"), pf::app::qs(amp.text(SettingId::AmpCab)));
    EXPECT_EQ(v.cell(at, "Reverb.Mix"), QString());

    // Sorted by a column of numbers: in numeric order, cells without a value after the others.
    auto column = [&](const char* name) {
        int c = 0;
        while (c < v.table->columnCount() && v.table->headerData(c, Qt::Horizontal).toString() != QLatin1String(name)) ++c;
        return c;
    };
    for (const auto& [name, order] : {std::pair{"Reverb.PreD", Qt::AscendingOrder}, std::pair{"Module", Qt::DescendingOrder}}) {
        v.table->sort(column(name), order);
        QList<int> numbers;
        QStringList texts;
        for (int r = 0; r < v.table->rowCount(); ++r) {
            const QString text = v.table->index(r, column(name)).data().toString();
            EXPECT_TRUE(!text.isEmpty() || r + 1 == v.table->rowCount() || v.table->index(r + 1, column(name)).data().toString().isEmpty())
                << name << ": a value after an empty cell at row " << r;
            if (!text.isEmpty()) numbers << (order == Qt::AscendingOrder ? 1 : -1) * text.toInt(), texts << text;
        }
        EXPECT_TRUE(std::ranges::is_sorted(numbers)) << name;
        EXPECT_GT(numbers.size(), 2) << name;
        EXPECT_FALSE(order == Qt::AscendingOrder ? std::ranges::is_sorted(texts) : std::ranges::is_sorted(texts, std::greater<>()))
            << name << ": not as texts";
    }

    // The filter field: conditions and name patterns as the batch tool reads them.
    auto* filter = v.dialog->findChild<QLineEdit*>(QStringLiteral("patchesfilter"));
    auto* message = v.dialog->findChild<QLabel*>(QStringLiteral("patchesfiltermessage"));
    filter->setText(QStringLiteral("Amp.Gain=50..100; g*, s*"));
    ASSERT_GT(v.table->rowCount(), 0);
    for (int r = 0; r < v.table->rowCount(); ++r) {
        EXPECT_GE(v.cell(r, "Amp.Gain").toInt(), 50);
        EXPECT_TRUE(v.cell(r, "Name").startsWith(u'G', Qt::CaseInsensitive) || v.cell(r, "Name").startsWith(u'S', Qt::CaseInsensitive));
    }
    EXPECT_LT(v.table->rowCount(), static_cast<int>(rows.size()));
    const int kept = v.table->rowCount();
    filter->setText(QStringLiteral("Amp.Gainz=1..2"));
    EXPECT_TRUE(message->text().contains(QStringLiteral("Amp.Gainz"))) << message->text().toStdString();
    EXPECT_EQ(v.table->rowCount(), kept) << "a filter that cannot be read leaves the table as it was";
}

TEST_F(Patches, CompareMarksTheDifferingLinesAndACopyEditsTheDocumentWithPreviewAndUndo) {
    load(exampleFile("evening-set.g5a"));
    const std::vector<std::string> loaded = window->document().lines();
    const View v = open(*window);
    v.dialog->comparePatches(1, 2);
    auto* lines = static_cast<pf::app::CompareModel*>(v.compare->model());
    int differing = -1;
    for (int r = 0; r < lines->rowCount(); ++r) {
        const auto& line = lines->line(r);
        if (!line.setting || !line.pair.a || !line.pair.b) continue;
        const bool differs = line.pair.a->text(*line.setting) != line.pair.b->text(*line.setting);
        EXPECT_EQ(lines->index(r, pf::app::CompareModel::Mark).data().toString(), differs ? QStringLiteral("\u2260") : QString());
        EXPECT_EQ(lines->index(r, pf::app::CompareModel::ValueA).data(Qt::FontRole).value<QFont>().bold(), differs);
        if (differs && differing < 0 && std::holds_alternative<int>(*line.pair.a->cell(*line.setting)->value)) differing = r;
    }
    ASSERT_GE(differing, 0);
    const pf::SettingId id = *lines->line(differing).setting;
    const std::string valueA = lines->line(differing).pair.a->text(id);
    auto copyLine = [&](int row, const char* button = "patchescopytob") {
        v.compare->selectionModel()->select(v.compare->model()->index(row, 0),
                                            QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        v.dialog->findChild<QToolButton*>(QLatin1String(button))->click();
    };

    // Cancelled in the preview: nothing changes, nothing to undo.
    desktop.review = [](const pf::app::ChangeReview&) { return std::nullopt; };
    copyLine(differing);
    ASSERT_EQ(desktop.previews.size(), 1);
    EXPECT_EQ(window->document().lines(), loaded);
    EXPECT_FALSE(find<QToolButton>("butundo")->isEnabled());

    // Kept (the save dialog cancelled): exactly one line differs, and B now shows A's value.
    desktop.review = nullptr;
    copyLine(differing);
    EXPECT_EQ(desktop.previews.size(), 2);
    EXPECT_EQ(desktop.previews.back().summary, QStringLiteral("1 line changed in 1 module"));
    const std::vector<std::string> copied = window->document().lines();
    ASSERT_EQ(copied.size(), loaded.size());
    int changedLines = 0;
    for (size_t i = 0; i < loaded.size(); ++i) changedLines += copied[i] != loaded[i];
    EXPECT_EQ(changedLines, 1);
    int now = -1;
    for (int r = 0; r < lines->rowCount(); ++r)
        if (lines->line(r).setting == id && lines->line(r).pair.a && lines->line(r).pair.a->group == pf::setting(id).group) now = r;
    ASSERT_GE(now, 0);
    EXPECT_EQ(lines->line(now).pair.b->text(id), valueA);
    EXPECT_FALSE(lines->line(now).differs) << "the compare is shown again after the copy";

    // Undo (its key in the view) puts it back, in the view too; a module's heading copies each
    // of its differing lines.
    QApplication::setActiveWindow(v.dialog);
    QTest::keyClick(v.compare, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(window->document().lines(), loaded);
    EXPECT_TRUE(lines->line(now).differs);
    int heading = now;
    while (lines->line(heading).setting) --heading;
    int inModule = 0;
    for (int r = heading + 1; r < lines->rowCount() && lines->line(r).setting; ++r) inModule += lines->line(r).differs;
    copyLine(heading);
    EXPECT_EQ(desktop.previews.back().summary,
              QStringLiteral("%1 lines changed in 1 module").arg(inModule).replace(QStringLiteral("1 lines"), QStringLiteral("1 line")));

    // A reverb of another type copied whole, into a module whose type lacks some of its
    // settings (Air) and into one whose type has more (HD Reverb): its type, then its settings
    // where that type has them; the two modules are then the same. A value that is none of its
    // setting's is refused with the reason, and nothing is copied.
    auto reverbOf = [&] {
        int r = 0;
        while (lines->line(r).setting || lines->line(r).pair.a->group != pf::Group::Reverb) ++r;
        return r;
    };
    for (const auto& [b, button, refused] : {std::tuple{4, "patchescopytob", false}, std::tuple{2, "patchescopytob", false},
                                             std::tuple{2, "patchescopytoa", true}}) {
        window->undoClick();
        v.dialog->comparePatches(1, b);
        const int reverb = reverbOf();
        ASSERT_NE(lines->line(reverb).pair.a->type, lines->line(reverb).pair.b->type);
        const std::vector<std::string> before = window->document().lines();
        desktop.boxes.clear();
        copyLine(reverb, button);
        if (refused) {
            EXPECT_TRUE(desktop.boxes.value(0).text.contains(QStringLiteral("Reverb.HPF: \"unreadable\"")));
            EXPECT_EQ(window->document().lines(), before);
            continue;
        }
        EXPECT_TRUE(desktop.boxes.isEmpty()) << button << ": " << desktop.boxes.value(0).text.toStdString();
        for (int r = reverbOf() + 1; r < lines->rowCount() && lines->line(r).setting; ++r) EXPECT_FALSE(lines->line(r).differs) << r;
    }
}

}  // namespace
}  // namespace pf::test
