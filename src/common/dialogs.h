#pragma once

// The dialogs service every message box and input box goes through.

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace korv {

// Every message box and the input box go through this service: the desktop program shows real
// dialogs, the CLI and the tests record them and give prepared answers.
class Dialogs {
public:
    enum class Icon { None, Information, Warning, Critical, Question };

    virtual ~Dialogs() = default;
    virtual void message(const QString& title, const QString& text, Icon icon) = 0;
    // A Yes/No question; true for Yes.
    virtual bool question(const QString& title, const QString& text) = 0;
    // An input box; no value when it was cancelled.
    virtual std::optional<QString> inputText(const QString& title, const QString& prompt) = 0;
    // One item chosen from a list, the first offered at the start; its index, no value when cancelled.
    virtual std::optional<int> choice(const QString& title, const QString& prompt, const QStringList& items) = 0;
};

// Records every message and answers questions and input boxes from prepared values.
class RecordingDialogs : public Dialogs {
public:
    struct Message {
        QString title;
        QString text;
        Icon icon;
    };

    void message(const QString& title, const QString& text, Icon icon) override {
        messages.append({title, text, icon});
    }
    bool question(const QString& title, const QString& text) override {
        messages.append({title, text, Icon::Question});
        return answerYes;
    }
    std::optional<QString> inputText(const QString& title, const QString& prompt) override {
        messages.append({title, prompt, Icon::None});
        return inputAnswer;
    }
    std::optional<int> choice(const QString& title, const QString& prompt, const QStringList& items) override {
        messages.append({title, prompt, Icon::Question});
        if (choiceAnswer && (*choiceAnswer < 0 || *choiceAnswer >= items.size()))
            return std::nullopt;
        return choiceAnswer;
    }

    QList<Message> messages;
    bool answerYes = true;
    std::optional<QString> inputAnswer;
    std::optional<int> choiceAnswer; // cancelled when none
};

} // namespace korv
