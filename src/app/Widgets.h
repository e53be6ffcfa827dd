#pragma once

#include <QColor>
#include <QLabel>
#include <QPixmap>
#include <QStyledItemDelegate>
#include <QVector>

#include <string_view>

namespace pf::app {

// The window's colours: the blue of the prompt and the links, and the steel grey of the date,
// the summary and the pictures' words.
inline const QColor kPromptBlue(0x1f, 0x3f, 0xbf);
inline const QColor kSteelGrey(0x5c, 0x6f, 0x8c);

// A text of the core as Qt text, read as UTF-8.
inline QString qs(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// The 8-bit text of a catalogue or a patch group (names, values, header lines): shown as UTF-8
// where it is valid UTF-8, else byte for byte.
QString displayText(std::string_view bytes);

// A label that reports a left click (the status prompt, the Home pictures, the date panel).
class ClickableLabel : public QLabel {
    Q_OBJECT
public:
    explicit ClickableLabel(QWidget* parent = nullptr);
signals:
    void clicked();
protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

// A picture that shows one of a list of pictures at a time and steps through them.
class PictureStepper : public ClickableLabel {
    Q_OBJECT
public:
    explicit PictureStepper(QWidget* parent = nullptr);
    void setPictures(QVector<QPixmap> pictures, QStringList names);
    int index() const { return index_; }
    QString currentName() const;
    void step();  // 0 -> 1 -> 2 -> 0
private:
    void showCurrent();
    QVector<QPixmap> pictures_;
    QStringList names_;
    int index_ = 0;
};

// Draws the entries of a check list; a click anywhere on an entry, its name as well as its
// box, ticks or unticks it.
class CheckListDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
protected:
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;
};

}  // namespace pf::app
