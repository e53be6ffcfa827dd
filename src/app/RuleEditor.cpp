#include "app/RuleEditor.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QVBoxLayout>

#include "app/Widgets.h"

namespace pf::app {

RuleEditor::RuleEditor(const QString& caption, const QString& text, const QString& examples, Reader read, Taker take,
                       QWidget* parent)
    : QFrame(parent, Qt::Popup), read_(std::move(read)), take_(std::move(take)) {
    setObjectName(QStringLiteral("ruleeditor"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFrameShape(QFrame::StyledPanel);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 4, 6, 6);
    layout->setSpacing(3);
    auto* title = new QLabel(tr("%1 =").arg(caption), this);
    layout->addWidget(title);
    field_ = new QLineEdit(text, this);
    field_->setObjectName(QStringLiteral("ruletext"));
    field_->setAccessibleName(tr("Value or rule of %1").arg(caption));
    field_->installEventFilter(this);
    layout->addWidget(field_);
    auto* hint = new QLabel(examples, this);
    hint->setStyleSheet(QStringLiteral("color: %1;").arg(kSteelGrey.name()));
    layout->addWidget(hint);
    message_ = new QLabel(this);
    message_->setObjectName(QStringLiteral("rulemessage"));
    message_->setWordWrap(true);
    message_->setStyleSheet(QStringLiteral("color: %1;").arg(kWarningAmber.name()));
    message_->hide();
    layout->addWidget(message_);
    // Room for a rule with its condition, and for the examples.
    const int width = std::max(hint->sizeHint().width(), fontMetrics().horizontalAdvance(QLatin1Char('0')) * 28);
    field_->setMinimumWidth(width);
    message_->setFixedWidth(width);
}

void RuleEditor::openUnder(const QWidget* anchor) {
    adjustSize();
    QPoint at = anchor->mapToGlobal(QPoint(0, anchor->height()));
    // Within the window where it fits, else within the screen.
    const QWidget* window = anchor->window();
    const int windowRight = window->mapToGlobal(QPoint(window->width(), 0)).x();
    if (width() <= window->width()) at.setX(std::min(at.x(), windowRight - width()));
    if (const QScreen* screen = anchor->screen()) {
        const QRect room = screen->availableGeometry();
        at.setX(std::clamp(at.x(), room.left(), std::max(room.left(), room.right() - width())));
        if (at.y() + height() > room.bottom()) at.setY(anchor->mapToGlobal(QPoint(0, 0)).y() - height());
    }
    move(at);
    show();
    field_->setFocus();
    field_->selectAll();
}

bool RuleEditor::eventFilter(QObject* watched, QEvent* event) {
    if (watched == field_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            take();
            return true;
        }
        if (key == Qt::Key_Escape) {
            close();
            return true;
        }
    }
    return QFrame::eventFilter(watched, event);
}

void RuleEditor::take() {
    auto read = read_(field_->text().trimmed().toStdString());
    if (const auto* message = std::get_if<std::string>(&read)) {
        message_->setText(qs(*message));
        message_->show();
        adjustSize();
        return;
    }
    take_(std::get<pf::SettingChoice>(read));
    close();
}

}  // namespace pf::app
