#include "app/SettingRows.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>

#include "app/SpinEdit.h"

namespace pf::app {

QWidget* SettingRow::valueControl() const {
    if (spin) return spin;
    return list;
}

namespace {

QString qs(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

}  // namespace

SettingRow buildSettingRow(const SettingDef& def, QWidget* parent, QPoint topLeft, const RowLayout& layout) {
    SettingRow row;
    row.def = &def;

    row.box = new QCheckBox(qs(def.caption), parent);
    row.box->setObjectName(QString::fromStdString(def.checkBoxName()));
    row.box->setGeometry(topLeft.x(), topLeft.y(), layout.boxWidth, kControlHeight);

    const int valueX = topLeft.x() + layout.boxWidth + layout.gap;
    int valueWidth = 0;
    switch (def.kind) {
        case ValueKind::Spin: {
            row.spin = new SpinEdit(parent);
            row.spin->setRange(def.minimum, def.maximum);
            row.spin->setValue(def.start);
            valueWidth = layout.spinWidth;
            break;
        }
        case ValueKind::FixedList:
        case ValueKind::CatalogueList: {
            row.list = new QComboBox(parent);
            row.list->setEditable(false);  // only an item can be picked
            for (std::string_view item : def.items) row.list->addItem(qs(item));
            row.list->setCurrentIndex(-1);
            row.list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
            valueWidth = def.kind == ValueKind::FixedList ? layout.fixedListWidth : layout.catalogueListWidth;
            break;
        }
    }
    QWidget* value = row.valueControl();
    value->setObjectName(QString::fromStdString(def.valueControlName()));
    value->setGeometry(valueX, topLeft.y(), valueWidth, kControlHeight);
    value->setFixedHeight(kControlHeight);
    value->setEnabled(false);

    if (!def.hint.empty()) {
        const int barX = valueX + valueWidth + 8;
        row.hintBar = new QFrame(parent);
        row.hintBar->setObjectName(QString::fromStdString("bar" + std::string(def.stem)));
        row.hintBar->setGeometry(barX, topLeft.y() + 1, 3, kControlHeight - 2);
        row.hintBar->setStyleSheet(QStringLiteral("background-color: #1a2a80;"));
        row.hint = new QLabel(qs(def.hint), parent);
        row.hint->setObjectName(QString::fromStdString("hint" + std::string(def.stem)));
        row.hint->setGeometry(barX + 8, topLeft.y(), layout.hintWidth, kControlHeight);
        row.hint->setStyleSheet(QStringLiteral("color: #1a2a80;"));
    }
    return row;
}

}  // namespace pf::app
