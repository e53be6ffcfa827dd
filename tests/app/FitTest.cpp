// Every text of the window is whole at the usual font sizes: each label, box, button, rule
// mark, drop-down item, check-list entry, hint and empty field's hint fits the room it is given, on every page of each
// model, with the pages bold as a visit leaves them; no control runs under the buttons that
// stand over the pages, the bottom row's buttons stand side by side, and a load neither resizes
// nor moves the window. The Patches view's texts fit as it opens.
#include <QAbstractScrollArea>
#include <QLineEdit>
#include <QListView>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QTabBar>

#include "AppTestSupport.h"
#include "app/BatchPreview.h"
#include "app/Pages.h"
#include "batch/FileBatch.h"
#include "recipe/Recipe.h"

namespace pf::test {
namespace {

QRect inWindow(const QWidget* w, const QWidget* window) { return QRect(w->mapTo(window, QPoint(0, 0)), w->size()); }

// What `w` shows and the width it has for it; an empty text when it shows none.
struct Room {
    QString text;
    int needed = 0;
    int given = 0;
};

// A text as drawn: a mnemonic's '&' is not ("&&" is one '&').
QString drawn(QString text) {
    return text.replace(QStringLiteral("&&"), QStringLiteral("\x01")).remove(u'&').replace(u'\x01', u'&');
}

Room roomOf(const QWidget* w) {
    const QFontMetrics fm = w->fontMetrics();
    if (const auto* box = qobject_cast<const QCheckBox*>(w)) {
        QStyleOptionButton option;
        option.initFrom(box);
        option.text = box->text();
        const QRect contents = box->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, box);
        return {box->text(), fm.horizontalAdvance(drawn(box->text())), contents.width()};
    }
    if (const auto* rule = qobject_cast<const pf::app::RuleButton*>(w)) {
        // The mark of every rule, in bold, inside the button's border and padding.
        QFont bold = rule->font();
        bold.setBold(true);
        Room widest{{}, 0, rule->width() - 4};
        for (const auto form : {ValueRule::Form::Set, ValueRule::Form::Add, ValueRule::Form::Scale, ValueRule::Form::Limit})
            for (const bool condition : {false, true}) {
                ValueRule r;
                r.form = form;
                if (condition) r.when = std::pair{0, 1};
                const QString mark = pf::app::RuleButton::markOf(r);
                if (const int needed = QFontMetrics(bold).horizontalAdvance(mark); needed > widest.needed) widest = {mark, needed, widest.given};
            }
        return widest;
    }
    if (const auto* field = qobject_cast<const QLineEdit*>(w)) {
        // A field's hint when it is empty.
        const QString hint = field->placeholderText();
        return {hint, fm.horizontalAdvance(hint), field->width() - 8};
    }
    if (const auto* button = qobject_cast<const QToolButton*>(w)) {
        // What the style adds around the text is what the button's own wish adds to it.
        const int text = fm.horizontalAdvance(button->text());
        const int around = button->toolButtonStyle() == Qt::ToolButtonTextUnderIcon
                               ? button->sizeHint().width() - std::max(text, button->iconSize().width())
                               : button->sizeHint().width() - text;
        return {button->text(), text, button->width() - around};
    }
    if (const auto* label = qobject_cast<const QLabel*>(w); label && label->pixmap().isNull()) {
        const QRect room = label->contentsRect();
        const QString text = label->buddy() ? drawn(label->text()) : label->text();
        if (!label->wordWrap()) return {label->text(), fm.horizontalAdvance(text), room.width()};
        const QRect words = fm.boundingRect(QRect(0, 0, room.width(), 10000), Qt::TextWordWrap | label->alignment(), label->text());
        // Wrapped lines must fit across, and all of them must fit down.
        return {label->text(), words.height() > room.height() ? room.width() + 1 : words.width(), room.width()};
    }
    return {};
}

struct Failure {
    QString where;
};

class Fit {
public:
    Fit(const QWidget& window, QStringList& failures) : window_(window), failures_(failures) {}
    void fail(const QWidget* w, const QString& text, int needed, int given) {
        failures_ << QStringLiteral("%1 %2: \"%3\" needs %4 pixels, has %5").arg(context_, w->objectName(), text).arg(needed).arg(given);
    }
    void check(const QWidget* w) {
        if (const auto* list = qobject_cast<const QComboBox*>(w)) {
            QStyleOptionComboBox option;
            option.initFrom(list);
            const QRect field = list->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, list);
            for (int i = 0; i < list->count(); ++i) {
                const int needed = list->fontMetrics().horizontalAdvance(list->itemText(i));
                if (needed > field.width() - 2) fail(list, list->itemText(i), needed, field.width() - 2);
            }
        } else if (const auto* list = qobject_cast<const QListWidget*>(w)) {
            for (int i = 0; i < list->count(); ++i) {
                const int needed = list->sizeHintForIndex(list->model()->index(i, 0)).width();
                if (needed > list->viewport()->width()) fail(list, list->item(i)->text(), needed, list->viewport()->width());
            }
            if (list->horizontalScrollBar()->isVisible()) fail(list, QStringLiteral("(horizontal scroll bar)"), 1, 0);
        } else if (const Room room = roomOf(w); !room.text.isEmpty() && room.needed > room.given) {
            fail(w, room.text, room.needed, room.given);
        }
        // Controls of the page stay clear of the command buttons and inside the window.
        const QRect at = inWindow(w, &window_);
        if (!window_.rect().contains(at)) fail(w, QStringLiteral("(outside the window at %1,%2)").arg(at.x()).arg(at.y()), 1, 0);
        const bool control = w->inherits("QAbstractButton") || w->inherits("QLabel") || w->inherits("QComboBox") ||
                             w->inherits("QAbstractSpinBox") || w->inherits("QListWidget");
        if (control && !overlays_.contains(at))
            for (const QRect& button : overlays_)
                if (button.intersects(at))
                    fail(w, QStringLiteral("(under a command button: %1 from %2)").arg(at.right()).arg(button.left()), 1, 0);
    }
    void checkShown(const QWidget* root, const QString& context) {
        context_ = context;
        overlays_.clear();
        for (const char* name : {"butload", "butprocess", "butcancel"})
            if (const QWidget* button = window_.findChild<QWidget*>(QLatin1String(name)); button && button->window() == &window_)
                overlays_ << inWindow(button, &window_);
        for (const QWidget* w : root->findChildren<QWidget*>())
            if (w->isVisible() && !w->inherits("QScrollBar") && !w->inherits("QAbstractSpinBox") &&
                w->parentWidget() && !w->parentWidget()->inherits("QAbstractScrollArea") && !w->parentWidget()->inherits("QAbstractSpinBox"))
                check(w);
    }

    // The small buttons of the bottom row and the page's "Legal" stand side by side, each
    // whole in the window.
    void checkBottomRow(const QWidget* page) {
        QList<const QWidget*> row{page->findChild<QToolButton*>(QString::fromLatin1(
            static_cast<const pf::app::TabPage*>(page)->def().legalButton))};
        for (const char* name : {"butundo", "butredo", "butsaverecipe", "butapplyrecipe", "butrecent"})
            row << window_.findChild<QWidget*>(QLatin1String(name));
        for (const QWidget* w : row) {
            const QRect at = inWindow(w, &window_);
            if (!window_.rect().contains(at)) fail(w, QStringLiteral("(bottom row outside the window)"), at.right(), window_.width());
            for (const QWidget* other : row)
                if (other != w && inWindow(other, &window_).intersects(at))
                    fail(w, QStringLiteral("(bottom row over %1)").arg(other->objectName()), 1, 0);
        }
    }

    // "Patches..." and Load many stand in the tab row between the last tab and the date, whole
    // in the window and clear of each other.
    void checkTopRow() {
        const auto* bar = window_.findChild<QTabWidget*>(QStringLiteral("PageControl1"))->tabBar();
        QList<QRect> taken{inWindow(window_.findChild<QWidget*>(QStringLiteral("Panel7")), &window_)};
        for (int i = 0; i < bar->count(); ++i)
            if (bar->isTabVisible(i)) taken << bar->tabRect(i).translated(bar->mapTo(&window_, QPoint(0, 0)));
        for (const char* name : {"butloadmany", "butpatches"}) {
            const QWidget* button = window_.findChild<QWidget*>(QLatin1String(name));
            const QRect at = inWindow(button, &window_);
            if (!window_.rect().contains(at)) fail(button, QStringLiteral("(outside the window)"), at.right(), window_.width());
            for (const QRect& other : taken)
                if (other.intersects(at)) fail(button, QStringLiteral("(over a tab, the date or the other button)"), 1, 0);
            taken << at;
        }
    }

private:
    const QWidget& window_;
    QStringList& failures_;
    QList<QRect> overlays_;
    QString context_;
};

TEST(Fit, EveryTextIsWholeOnEveryPageOfEachModelAtNineTenAndElevenPoints) {
    ensureApplication();
    const QFont original = QApplication::font();
    for (const int points : {9, 10, 11}) {
        QFont font = original;
        font.setPointSize(points);
        QApplication::setFont(font);
        for (const char* example : {"evening-set.g5a", "rehearsal.g3xa", "low-end.b3a"}) {
            FakeDesktop desktop;
            pf::app::userSettings()->clear();
            pf::app::TPresetforger_Form window(desktop);
            window.show();
            QApplication::processEvents();
            QStringList failures;
            Fit fit(window, failures);
            const QString at = QStringLiteral("%1 pt").arg(points);
            fit.checkShown(&window, at + QStringLiteral(" start:"));
            // Pictures are drawn at the screen's scale (2 in the run on a screen at 200%).
            for (const char* name : {"Image1", "Image2", "LMDAniCtrl1"})
                EXPECT_EQ(window.findChild<QLabel*>(QLatin1String(name))->pixmap().devicePixelRatio(), window.devicePixelRatioF()) << name;
            const QRect startGeometry = window.geometry();
            ASSERT_TRUE(window.loadFile(exampleFile(example)));
            QApplication::processEvents();
            EXPECT_EQ(window.geometry(), startGeometry) << at.toStdString() << " " << example << ": a load neither resizes nor moves the window";
            auto* tabs = window.findChild<QTabWidget*>(QStringLiteral("PageControl1"));
            for (int i = 0; i < tabs->count(); ++i) {
                if (!tabs->isTabVisible(i)) continue;
                tabs->setCurrentIndex(i);
                QApplication::processEvents();
                fit.checkShown(&window, QStringLiteral("%1 %2 %3:").arg(at, QLatin1String(example), tabs->widget(i)->objectName()));
                fit.checkBottomRow(tabs->currentWidget());
                fit.checkTopRow();
            }
            // Visited pages stay bold: every page once more, now that all of them are.
            for (int i = 0; i < tabs->count(); ++i) {
                if (!tabs->isTabVisible(i)) continue;
                tabs->setCurrentIndex(i);
                QApplication::processEvents();
                fit.checkShown(tabs->currentWidget(), QStringLiteral("%1 %2 %3 again:").arg(at, QLatin1String(example), tabs->widget(i)->objectName()));
            }
            // The Patches view at the size it opens with, two patches compared.
            window.patchesClick();
            auto* patches = window.findChild<QDialog*>(QStringLiteral("patches"));
            QApplication::processEvents();
            Fit(*patches, failures).checkShown(patches, QStringLiteral("%1 %2 patches:").arg(at, QLatin1String(example)));
            EXPECT_TRUE(failures.isEmpty()) << failures.join(u'\n').toStdString();
            EXPECT_EQ(window.minimumSize(), window.maximumSize()) << "a fixed size";
        }
    }
    QApplication::setFont(original);
}

// The preview of a batch (the examples, one with a name the G5 lacks, one unreadable) at the
// same sizes: every text whole, and the files' rows whole in their list.
TEST(Fit, TheBatchPreviewIsWholeAtNineTenAndElevenPoints) {
    ensureApplication();
    TempDir dir;
    std::vector<std::filesystem::path> inputs;
    for (const char* e : {"evening-set.g5a", "rehearsal.g3xa", "low-end.b3a"}) inputs.push_back(PF_SOURCE_DIR "/examples/" + std::string(e));
    writeFile(dir / "wide-text.g5a", std::string("\xff\xfe<\0", 4));
    inputs.push_back(dir / "wide-text.g5a");
    const pf::RecipeResult recipe = pf::parseRecipe(readFile(PF_SOURCE_DIR "/examples/gig-ready.recipe.ini"));
    pf::batch::FileBatch batch(recipe.recipe, bundledCatalogue());
    std::atomic<bool> cancel{false};
    ASSERT_TRUE(batch.process(inputs, cancel));
    const pf::app::BatchReview review = pf::app::batchReview(batch);
    const QFont original = QApplication::font();
    for (const int points : {9, 10, 11}) {
        QFont font = original;
        font.setPointSize(points);
        QApplication::setFont(font);
        pf::app::BatchPreviewDialog dialog(review);
        dialog.show();
        QApplication::processEvents();
        QStringList failures;
        Fit(dialog, failures).checkShown(&dialog, QStringLiteral("%1 pt batch preview:").arg(points));
        auto* list = dialog.findChild<QListView*>(QStringLiteral("batchfiles"));
        for (int i = 0; i < list->model()->rowCount(); ++i)
            if (const int needed = list->sizeHintForIndex(list->model()->index(i, 0)).width(); needed > list->viewport()->width())
                failures << QStringLiteral("%1 pt row %2 needs %3 pixels, has %4").arg(points).arg(i).arg(needed).arg(list->viewport()->width());
        EXPECT_TRUE(failures.isEmpty()) << failures.join(u'\n').toStdString();
    }
    QApplication::setFont(original);
}

}  // namespace
}  // namespace pf::test
