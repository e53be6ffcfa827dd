#include "app/ChoiceControls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>

#include "app/SpinEdit.h"
#include "app/Widgets.h"

namespace pf::app {

namespace {

QByteArray bytesOf(const std::string& s) { return QByteArray(s.data(), static_cast<qsizetype>(s.size())); }

// The item of a drop-down list that a choice's text names: by the catalogue's bytes, or by a
// fixed list's text.
void selectEntry(const SettingRow& row, const std::string& text) {
    row.list->setCurrentIndex(row.def->kind == ValueKind::CatalogueList ? row.list->findData(bytesOf(text))
                                                                        : row.list->findText(qs(text)));
}

}  // namespace

pf::Choices ChoiceControls::read(std::string_view model) const {
    pf::Choices c;
    c.model = std::string(model);
    for (const SettingRow& row : rows_) {
        SettingChoice& choice = c[row.def->id];
        choice.ticked = row.box->isChecked();
        if (row.spin) {
            row.spin->interpretText();  // a text still being typed is brought into range first
            choice.number = row.spin->value();
        } else if (row.list->currentIndex() >= 0) {
            const QVariant data = row.list->currentData();
            choice.text = data.isValid() ? data.toByteArray().toStdString() : row.list->currentText().toStdString();
        }
    }
    for (size_t i = 0; i < kTypeListCount; ++i) {
        const QListWidget* list = lists_[i];
        for (int j = 0; j < list->count(); ++j) {
            const QListWidgetItem* item = list->item(j);
            c.typeLists[i].push_back({item->data(Qt::UserRole).toByteArray().toStdString(), item->checkState() == Qt::Checked});
        }
    }
    return c;
}

void ChoiceControls::fill(const std::array<std::vector<TypeEntry>, kTypeListCount>& entries, const ItemsOf& items) {
    for (size_t i = 0; i < kTypeListCount; ++i) {
        QListWidget* list = lists_[i];
        list->clear();
        for (const TypeEntry& entry : entries[i]) {
            auto* item = new QListWidgetItem(displayText(entry.text), list);
            item->setData(Qt::UserRole, bytesOf(entry.text));
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
            item->setCheckState(entry.ticked ? Qt::Checked : Qt::Unchecked);
        }
    }
    for (const SettingRow& row : rows_) {
        if (!row.list || row.def->kind != ValueKind::CatalogueList) continue;
        row.list->clear();
        for (const ListItem& item : items(row.def->id)) row.list->addItem(displayText(item.text), bytesOf(item.text));
    }
}

void ChoiceControls::show(const pf::Choices& chosen, const pf::PatchGroup* loaded) {
    if (loaded) fill(chosen.typeLists, [loaded](SettingId id) -> const std::vector<ListItem>& { return loaded->items(id); });
    for (const SettingRow& row : rows_) {
        const SettingChoice& choice = chosen[row.def->id];
        row.box->setChecked(choice.ticked);  // unticking disables the value control
        if (row.spin && choice.ticked) row.spin->setValue(choice.number);
        else if (row.list && (choice.ticked || loaded)) selectEntry(row, choice.text);
    }
    if (loaded) return;
    for (size_t i = 0; i < kTypeListCount; ++i) {
        QListWidget* list = lists_[i];
        const std::vector<TypeEntry>& entries = chosen.typeLists[i];
        for (int j = 0; j < list->count() && j < static_cast<int>(entries.size()); ++j)
            list->item(j)->setCheckState(entries[static_cast<size_t>(j)].ticked ? Qt::Checked : Qt::Unchecked);
    }
}

void ChoiceControls::showRowsOf(const pf::DeviceModel& model) {
    for (const SettingRow& row : rows_) {
        const std::optional<bool> shown = model.shows(row.def->shownWith);
        if (!shown) continue;
        for (QWidget* w : {static_cast<QWidget*>(row.box), row.valueControl(), static_cast<QWidget*>(row.hintBar),
                           static_cast<QWidget*>(row.hint)})
            if (w) w->setVisible(*shown);
    }
}

}  // namespace pf::app
