#pragma once

// The dialogs service as Qt message boxes and input box.

#include "app/dialogs.h"

#include <memory>

class QInputDialog;
class QMessageBox;
class QWidget;

namespace korv::app {

// The message boxes and the input box of the program, as Qt dialogs over the active form. The boxes
// are built by the make* functions so that tests can look at them without running them.
class QtDialogs : public Dialogs {
public:
    void message(const QString& title, const QString& text, Icon icon) override;
    bool question(const QString& title, const QString& text, Answer offered = Answer::Yes) override;
    std::optional<QString> inputText(const QString& title, const QString& prompt) override;
    std::optional<int> choice(const QString& title, const QString& prompt, const QStringList& items) override;

    static std::unique_ptr<QMessageBox> makeMessageBox(const QString& title, const QString& text, Icon icon,
                                                       QWidget* parent = nullptr);
    // Yes and No, the offered one the default (Enter).
    static std::unique_ptr<QMessageBox> makeQuestionBox(const QString& title, const QString& text,
                                                        QWidget* parent = nullptr, Answer offered = Answer::Yes);
    // A prompt, an empty line, OK and Cancel.
    static std::unique_ptr<QInputDialog> makeInputBox(const QString& title, const QString& prompt,
                                                      QWidget* parent = nullptr);
    // A prompt, a list to pick from (the first item chosen), OK and Cancel.
    static std::unique_ptr<QInputDialog> makeChoiceBox(const QString& title, const QString& prompt,
                                                       const QStringList& items, QWidget* parent = nullptr);

private:
    static QWidget* owner();
};

} // namespace korv::app
