#pragma once

#include <QFrame>
#include <functional>
#include <string>
#include <variant>

#include "engine/Choices.h"

class QLabel;
class QLineEdit;

namespace pf::app {

// A small box under a setting's rule button in which its value or rule is typed as a recipe
// line gives it: "60", "add -5", "scale 90%", "limit 30..60", any of them followed by
// " if 81..150", or for a list "Hall if Room, Spring". Enter takes the text when it reads and
// closes the box; otherwise the box says why not and stays. Esc, or a click elsewhere, leaves
// everything as it was. An empty text is the value shown, without a rule.
class RuleEditor : public QFrame {
    Q_OBJECT
public:
    using Reader = std::function<std::variant<pf::SettingChoice, std::string>(const std::string&)>;
    using Taker = std::function<void(const pf::SettingChoice&)>;
    // `caption` names the setting, `text` is its value or rule now, `examples` what it takes.
    RuleEditor(const QString& caption, const QString& text, const QString& examples, Reader read, Taker take, QWidget* parent);

    // Opens under `anchor`, the text selected.
    void openUnder(const QWidget* anchor);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void take();

    QLineEdit* field_ = nullptr;
    QLabel* message_ = nullptr;
    Reader read_;
    Taker take_;
};

}  // namespace pf::app
