#include "app/Widgets.h"

#include <QMouseEvent>
#include <QStringDecoder>

namespace pf::app {

QString displayText(std::string_view bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (utf8.hasError()) return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
    return text;
}

ClickableLabel::ClickableLabel(QWidget* parent) : QLabel(parent) { setCursor(Qt::PointingHandCursor); }

void ClickableLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit clicked();
    QLabel::mouseReleaseEvent(event);
}

PictureStepper::PictureStepper(QWidget* parent) : ClickableLabel(parent) { setAlignment(Qt::AlignCenter); }

void PictureStepper::setPictures(QVector<QPixmap> pictures, QStringList names) {
    pictures_ = std::move(pictures);
    names_ = std::move(names);
    index_ = 0;
    showCurrent();
}

QString PictureStepper::currentName() const { return index_ < names_.size() ? names_[index_] : QString(); }

void PictureStepper::step() {
    if (pictures_.isEmpty()) return;
    index_ = (index_ + 1) % pictures_.size();
    showCurrent();
}

void PictureStepper::showCurrent() {
    if (index_ < pictures_.size()) setPixmap(pictures_[index_]);
}

bool CheckListDelegate::editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                                    const QModelIndex& index) {
    const Qt::ItemFlags flags = model->flags(index);
    if (!(flags & Qt::ItemIsUserCheckable) || !(flags & Qt::ItemIsEnabled) || !(option.state & QStyle::State_Enabled))
        return QStyledItemDelegate::editorEvent(event, model, option, index);
    if (event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton || !option.rect.contains(mouse->position().toPoint())) return false;
        const bool ticked = index.data(Qt::CheckStateRole).toInt() == Qt::Checked;
        return model->setData(index, ticked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
    }
    // The press and a double click belong to the same ticks: the view does nothing else with them.
    if (event->type() == QEvent::MouseButtonDblClick) return true;
    return QStyledItemDelegate::editorEvent(event, model, option, index);
}

}  // namespace pf::app
