#include "app/ChoiceControls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QListWidget>

#include "app/SpinEdit.h"
#include "app/Widgets.h"
#include "engine/Rules.h"

namespace pf::app {

namespace {

QByteArray bytesOf(const std::string& s) { return QByteArray(s.data(), static_cast<qsizetype>(s.size())); }

// The item of a drop-down list that a choice's text names: by the catalogue's bytes, or by a
// fixed list's text.
void selectEntry(const SettingRow& row, const std::string& text) {
    row.list->setCurrentIndex(row.def->kind == ValueKind::CatalogueList ? row.list->findData(bytesOf(text))
                                                                        : row.list->findText(qs(text)));
}

// The text of a list's selected item: the catalogue's bytes, or a fixed list's text; empty for
// none.
std::string selectedText(const SettingRow& row) {
    if (row.list->currentIndex() < 0) return {};
    const QVariant data = row.list->currentData();
    return data.isValid() ? data.toByteArray().toStdString() : row.list->currentText().toStdString();
}

// A field's patterns: separated by commas, blanks around them dropped.
std::vector<std::string> patternsIn(const QLineEdit* field) {
    std::vector<std::string> patterns;
    for (const QString& p : field->text().split(u',', Qt::SkipEmptyParts))
        if (!p.trimmed().isEmpty()) patterns.push_back(p.trimmed().toStdString());
    return patterns;
}

}  // namespace

ChoiceControls::ChoiceControls(const std::array<SettingRow, kSettingCount>& rows, const TypeLists& lists, const PatchFields& patches)
    : rows_(rows), lists_(lists), patches_(patches) {
    // A condition's words name the value shown.
    for (const SettingRow& row : rows_) {
        if (row.spin) QObject::connect(row.spin, &QSpinBox::valueChanged, row.rule, [this, &row] { describeRule(row); });
        else QObject::connect(row.list, &QComboBox::currentIndexChanged, row.rule, [this, &row] { describeRule(row); });
        describeRule(row);
    }
}

pf::Choices ChoiceControls::read(std::string_view model) const {
    pf::Choices c;
    c.model = std::string(model);
    for (const SettingRow& row : rows_) {
        SettingChoice& choice = c[row.def->id];
        choice.ticked = row.box->isChecked();
        choice.rule = row.rule->rule();
        if (row.spin) {
            row.spin->interpretText();  // a text still being typed is brought into range first
            choice.number = row.spin->value();
        } else {
            choice.text = selectedText(row);
        }
    }
    for (size_t i = 0; i < kTypeListCount; ++i) {
        const QListWidget* list = lists_[i];
        for (int j = 0; j < list->count(); ++j) {
            const QListWidgetItem* item = list->item(j);
            c.typeLists[i].push_back({item->data(Qt::UserRole).toByteArray().toStdString(), item->checkState() == Qt::Checked});
        }
    }
    for (size_t i = 0; i < kSectionCount; ++i) c.patches[i] = patternsIn(patches_[i]);
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
        if (row.spin && choice.ticked && choice.rule.form == ValueRule::Form::Set) row.spin->setValue(choice.number);
        else if (row.list && (choice.ticked || loaded)) selectEntry(row, choice.text);
        showRule(row, choice.rule);
    }
    for (size_t i = 0; i < kSectionCount; ++i) {
        QStringList patterns;
        for (const std::string& p : chosen.patches[i]) patterns << qs(p);
        patches_[i]->setText(patterns.join(QStringLiteral(", ")));
    }
    if (loaded) return;
    for (size_t i = 0; i < kTypeListCount; ++i) {
        QListWidget* list = lists_[i];
        const std::vector<TypeEntry>& entries = chosen.typeLists[i];
        for (int j = 0; j < list->count() && j < static_cast<int>(entries.size()); ++j)
            list->item(j)->setCheckState(entries[static_cast<size_t>(j)].ticked ? Qt::Checked : Qt::Unchecked);
    }
}

void ChoiceControls::setChoice(SettingId id, const SettingChoice& chosen) {
    const SettingRow& row = rows_[static_cast<size_t>(id)];
    if (row.spin && chosen.rule.form == ValueRule::Form::Set) row.spin->setValue(chosen.number);
    else if (row.list) selectEntry(row, chosen.text);
    showRule(row, chosen.rule);
}

void ChoiceControls::showRule(const SettingRow& row, const ValueRule& rule) {
    row.rule->setRule(rule);
    describeRule(row);
}

void ChoiceControls::describeRule(const SettingRow& row) const {
    const ValueRule& rule = row.rule->rule();
    QString tip;
    if (rule.plain()) {
        tip = QCoreApplication::translate("Settings", "The value shown, in every module. Click or Space: a rule (add, scale, limit, if)");
    } else {
        SettingChoice choice;
        choice.rule = rule;
        if (row.spin) choice.number = row.spin->value();
        else choice.text = selectedText(row);
        tip = qs(pf::shownRule(row.def->id, choice));
    }
    row.rule->setToolTip(tip);
    row.rule->setAccessibleDescription(tip);
}

void ChoiceControls::showRowsOf(const pf::DeviceModel& model) {
    for (const SettingRow& row : rows_) {
        const std::optional<bool> shown = model.shows(row.def->shownWith);
        if (!shown) continue;
        for (QWidget* w : {static_cast<QWidget*>(row.box), row.valueControl(), static_cast<QWidget*>(row.cell), static_cast<QWidget*>(row.hintBar),
                           static_cast<QWidget*>(row.hint)})
            if (w) w->setVisible(*shown);
    }
}

}  // namespace pf::app
