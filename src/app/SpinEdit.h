#pragma once

#include <QSpinBox>

namespace pf::app {

// A whole-number spin edit. Typing accepts digits, "+" and "-" only (anything else beeps and is
// refused); a typed value may lie outside the range or be empty while the user types, and is
// brought into range (empty: the minimum) when the control loses the focus or when
// interpretText() is called. Buttons, arrow keys and the wheel step 1, Page Up/Down 10.
// Whatever the user's locale, the text is plain ASCII decimal: local digits, group separators
// or a locale's own minus sign would not read back as the same number, and the value is what
// goes into the file.
class SpinEdit : public QSpinBox {
    Q_OBJECT
public:
    explicit SpinEdit(QWidget* parent = nullptr);

    // The value the text stands for, brought into range; an empty or unreadable text gives
    // the minimum.
    int boundedValue(const QString& text) const;

signals:
    // A typed character was refused (and the beep sounded).
    void keyRefused();

protected:
    QValidator::State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;
    int valueFromText(const QString& text) const override;
    QString textFromValue(int value) const override;
    void keyPressEvent(QKeyEvent* event) override;
};

// Whether every character is a digit, "+" or "-".
bool isSpinText(const QString& text);

}  // namespace pf::app
