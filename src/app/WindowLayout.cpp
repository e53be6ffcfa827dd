// The window's size and where the buttons over the pages stand.
#include <QLabel>
#include <QLayout>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <algorithm>
#include <map>

#include "app/MainWindow.h"
#include "app/Pages.h"
#include "app/Widgets.h"
#include "catalogue/Catalogue.h"

namespace pf::app {

namespace {

// The three command buttons stand at the right over every page, below its top.
constexpr int kButtonTop = 8;
constexpr int kButtonGap = 4;

}  // namespace

// The window is sized once, for the lists of every model as the catalogue reads at start, so
// that no load changes its size: the lists are filled with all of them, the window fitted, and
// the lists emptied again as they are before a load.
void TPresetforger_Form::sizeForEveryModel() {
    const Catalogue catalogue = Catalogue::open(Catalogue::defaultPath());
    std::array<std::vector<TypeEntry>, kTypeListCount> entries;
    std::map<SettingId, std::vector<ListItem>> items;
    for (const DeviceModel& model : deviceModels()) {
        const CatalogueLists lists = CatalogueLists::read(catalogue, model.code);
        for (size_t i = 0; i < kTypeListCount; ++i)
            for (std::string& entry : lists.typeEntries(static_cast<TypeList>(i))) entries[i].push_back({std::move(entry), true});
        for (const SettingDef& def : settings())
            if (def.kind == ValueKind::CatalogueList)
                for (const ListItem& item : lists.items(def.catalogueSuffix)) items[def.id].push_back(item);
    }
    controls_->fill(entries, [&](SettingId id) -> const std::vector<ListItem>& { return items[id]; });
    fitToContents();
    const std::vector<ListItem> none;
    controls_->fill({}, [&](SettingId) -> const std::vector<ListItem>& { return none; });
}

// The buttons over the pages: their size, the room the pages keep for them, and the window's
// size from what every page needs in its bold font and what the bottom row needs; never
// smaller than the window at the default font.
void TPresetforger_Form::fitToContents() {
    QSize button(74, 50);
    for (QToolButton* b : {loadButton_, processButton_, closeButton_}) button = button.expandedTo(b->sizeHint());
    button.setWidth(std::max(button.width(), loadManyButton_->sizeHint().width() + 4));
    for (QToolButton* b : {loadButton_, processButton_, closeButton_}) b->setFixedSize(button);
    loadManyButton_->setFixedSize(button.width(), std::max(20, loadManyButton_->sizeHint().height()));
    int row = 20, rowWidth = 0;
    for (QToolButton* b : {undoButton_, redoButton_, recentButton_, applyRecipeButton_, saveRecipeButton_}) {
        b->setFixedSize(b->sizeHint().width() + 4, std::max(20, b->sizeHint().height()));
        row = std::max(row, b->height());
        rowWidth += b->width() + 2;
    }
    for (TabPage* page : pages()) row = std::max({row, 20, page->legalButton()->sizeHint().height()});
    for (TabPage* page : pages()) {
        page->keepRoom(QSize(button.width(), kButtonTop + 3 * button.height() + 2 * kButtonGap), row + 8);
        page->fitTexts();
    }
    changesButton_->setFixedSize(button.width(), std::max(20, changesButton_->sizeHint().height()));
    int legal = 0;
    for (TabPage* page : pages()) legal = std::max(legal, page->legalButton()->width());
    rowWidth += legal + 14 + 8;  // the gap between the row's two groups, and the margins
    dateLink_->setFixedSize(dateLink_->sizeHint().width() + 4, std::max(20, dateLink_->sizeHint().height()));
    patchesButton_->setFixedSize(patchesButton_->sizeHint().width() + 4, std::max(20, patchesButton_->sizeHint().height()));

    // Hidden pages keep their layouts' old sizes until shown: they are told of the new widths here.
    for (TabPage* page : pages())
        for (QLayout* l : page->findChildren<QLayout*>()) l->invalidate();
    layout()->invalidate();
    QSize needed = layout()->sizeHint();
    // The tab row holds the tabs, then "Patches...", "Many" (above Load) and the date at its right.
    needed.setWidth(std::max({needed.width(), rowWidth,
                              tabs_->tabBar()->sizeHint().width() + patchesButton_->width() + loadManyButton_->width() +
                                  dateLink_->width() + 30}));
    setFixedSize(needed.expandedTo(QSize(kClientWidth, kClientHeight)));
    // Every page laid out at once, the ones not shown as well, so that each control has its
    // place and size whichever page is shown.
    layout()->activate();
    const QSize pageSize = tabs_->currentWidget()->size();
    for (TabPage* page : pages()) {
        page->resize(pageSize);
        page->layout()->activate();
        for (QWidget* w : page->findChildren<QWidget*>())
            if (w->layout()) w->layout()->activate();
    }
    placeOverlays();
}

void TPresetforger_Form::placeOverlays() {
    const auto* page = static_cast<const TabPage*>(tabs_->currentWidget());
    if (!page || !processSummary_ || !saveRecipeButton_) return;  // still being made
    const QRect area(page->mapTo(this, QPoint(0, 0)), page->size());
    const int x = area.right() - 3 - loadButton_->width();
    int y = area.top() + kButtonTop;
    for (QToolButton* b : {loadButton_, processButton_, closeButton_}) {
        b->move(x, y);
        y += b->height() + kButtonGap;
    }
    // Where the page puts its "Legal" button once it has its size (this may run first).
    const QSize legalSize = page->legalButton()->size();
    const QRect legal(area.topLeft() + QPoint(area.width() - legalSize.width() - 6, area.height() - legalSize.height() - 4),
                      legalSize);
    int right = legal.left() - 2;
    for (QToolButton* b : {recentButton_, applyRecipeButton_, saveRecipeButton_}) {
        right -= b->width();
        b->move(right, legal.bottom() + 1 - b->height());
        right -= 2;
    }
    int left = area.left() + 6;
    for (QToolButton* b : {undoButton_, redoButton_}) {
        b->move(left, legal.bottom() + 1 - b->height());
        left += b->width() + 2;
    }
    placeProcessSummary(*page, QRect(x, y + 4, loadButton_->width(), legal.top() - y - 8));
    const QTabBar* bar = tabs_->tabBar();
    dateLink_->move(width() - dateLink_->width() - 6,
                    tabs_->y() + bar->y() + std::max(0, (bar->height() - dateLink_->height()) / 2));
    loadManyButton_->move(dateLink_->x() - 6 - loadManyButton_->width(),
                          tabs_->y() + bar->y() + std::max(0, (bar->height() - loadManyButton_->height()) / 2));
    patchesButton_->move(loadManyButton_->x() - patchesButton_->width() - 6,
                         tabs_->y() + bar->y() + std::max(0, (bar->height() - patchesButton_->height()) / 2));
    for (QWidget* w : std::initializer_list<QWidget*>{dateLink_, loadButton_, loadManyButton_, processButton_, closeButton_, undoButton_,
                                                      redoButton_, changesButton_, recentButton_, applyRecipeButton_,
                                                      saveRecipeButton_, patchesButton_, processSummary_})
        w->raise();
}

// The summary of the Process that made the document stands under the command buttons, in the
// room the page leaves free there (its rows may reach under the buttons), below the button that
// shows its changes again: whole, or only whether it is saved, or not at all; the whole text is
// its tool tip.
void TPresetforger_Form::placeProcessSummary(const TabPage& page, QRect room) {
    for (const QWidget* w : page.findChildren<QWidget*>()) {
        if (!w->isVisibleTo(&page) || w->layout()) continue;  // containers: their children count
        const QRect r(w->mapTo(this, QPoint(0, 0)), w->size());
        if (r.intersects(room)) room.setBottom(std::min(room.bottom(), r.top() - 4));
    }
    // "Changes..." first, once a Process made the document, where there is room for it.
    changesButton_->setVisible(session_.state().process && room.height() >= changesButton_->height());
    if (changesButton_->isVisibleTo(this)) {
        changesButton_->move(room.left(), room.top());
        room.setTop(room.top() + changesButton_->height() + 2);
    }
    const QStringList parts = summaryParts();
    processSummary_->setToolTip(parts.join(QLatin1Char('\n')));
    const QFontMetrics metrics(processSummary_->font());
    auto heightOf = [&](const QString& text) {
        return metrics.boundingRect(QRect(0, 0, room.width(), 10000), Qt::TextWordWrap | Qt::AlignHCenter, text).height();
    };
    QString shown;
    for (const QString& candidate : {parts.join(QLatin1Char('\n')), parts.isEmpty() ? QString() : parts.back()})
        if (!candidate.isEmpty() && heightOf(candidate) <= room.height()) {
            shown = candidate;
            break;
        }
    processSummary_->setText(shown);
    processSummary_->setGeometry(room.left(), room.top(), room.width(), std::max(0, room.height()));
    processSummary_->setVisible(!shown.isEmpty());
}

bool TPresetforger_Form::eventFilter(QObject* watched, QEvent* event) {
    if (watched == tabs_->currentWidget() && (event->type() == QEvent::Resize || event->type() == QEvent::Move))
        placeOverlays();
    return QDialog::eventFilter(watched, event);
}

void TPresetforger_Form::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    placeOverlays();
}

}  // namespace pf::app
