#pragma once

#include <QColor>
#include <QGuiApplication>
#include <QLabel>
#include <QPixmap>
#include <QStyledItemDelegate>
#include <QVector>

#include <string_view>

namespace pf::app {

// The window's colours, each named once: the blue of the prompt and the links; the steel grey of
// the date, the summary and the pictures' words; the dark blue of the hints and their bars; the
// grey of a small button while disabled; a flat button's border and background under the mouse
// and while pressed; the amber of the preview's warnings; the tints of a module's heading and of
// a differing line where two patches are compared.
inline const QColor kPromptBlue(0x1f, 0x3f, 0xbf);
inline const QColor kSteelGrey(0x5c, 0x6f, 0x8c);
inline const QColor kHintBlue(0x1a, 0x2a, 0x80);
inline const QColor kDisabledGrey(0x9a, 0xa3, 0xb3);
inline const QColor kHoverBorder(0x8a, 0x9c, 0xbc);
inline const QColor kHoverFill(0xee, 0xf2, 0xf9);
inline const QColor kPressedFill(0xc9, 0xd4, 0xe6);
inline const QColor kWarningAmber(0xa0, 0x40, 0x00);
inline const QColor kHeadingFill(0xe4, 0xe9, 0xf2);
inline const QColor kDifferenceFill(0xfb, 0xec, 0xd0);

// A text of the core as Qt text, read as UTF-8.
// A busy cursor while the window works without asking anything.
struct BusyCursor {
    BusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

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
