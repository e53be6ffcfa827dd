#include "app/Widgets.h"

#include <QMouseEvent>

namespace pf::app {

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

}  // namespace pf::app
