#include "app/SpinEdit.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLocale>

namespace pf::app {

bool isSpinText(const QString& text) {
    for (QChar c : text)
        if (!(c >= u'0' && c <= u'9') && c != u'+' && c != u'-') return false;
    return true;
}

SpinEdit::SpinEdit(QWidget* parent) : QSpinBox(parent) {
    setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    setSingleStep(1);
    setAccelerated(false);
    setFixedHeight(21);
    QLocale ascii = QLocale::c();
    ascii.setNumberOptions(QLocale::OmitGroupSeparator);
    setLocale(ascii);
}

int SpinEdit::boundedValue(const QString& text) const {
    const QString t = text.trimmed();
    // Digits with at most one leading sign; long digit runs are clamped rather than overflowing.
    qsizetype i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == u'+' || t[i] == u'-')) negative = t[i++] == u'-';
    if (i == t.size()) return minimum();
    long long value = 0;
    for (; i < t.size(); ++i) {
        if (t[i] < u'0' || t[i] > u'9') return minimum();
        value = value * 10 + (t[i].unicode() - u'0');
        if (value > 1'000'000'000LL) value = 1'000'000'000LL;
    }
    if (negative) value = -value;
    return static_cast<int>(std::clamp<long long>(value, minimum(), maximum()));
}

QValidator::State SpinEdit::validate(QString& input, int&) const {
    if (!isSpinText(input)) return QValidator::Invalid;
    const QString t = input.trimmed();
    bool ok = false;
    const int v = t.toInt(&ok);
    if (ok && v >= minimum() && v <= maximum() && boundedValue(t) == v) return QValidator::Acceptable;
    return QValidator::Intermediate;
}

void SpinEdit::fixup(QString& input) const { input = QString::number(boundedValue(input)); }

int SpinEdit::valueFromText(const QString& text) const { return boundedValue(text); }

QString SpinEdit::textFromValue(int value) const { return QString::number(value); }

void SpinEdit::keyPressEvent(QKeyEvent* event) {
    const QString text = event->text();
    bool printable = false;
    for (QChar c : text) printable = printable || c.isPrint();
    const bool shortcut = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (printable && !shortcut && !isSpinText(text)) {
        QApplication::beep();
        emit keyRefused();
        event->accept();
        return;
    }
    QSpinBox::keyPressEvent(event);
}

}  // namespace pf::app
