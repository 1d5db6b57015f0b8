#pragma once

// A dialogs service for tests that records every box and answers from scripts.

#include "app/dialogs.h"

#include <QList>
#include <QStringList>

#include <functional>
#include <optional>

// Records every box the program shows and answers from scripted queues: questions take the next
// answer (the one the question offers when none is left), input boxes the next text (cancelled when none is left).
class ScriptedDialogs : public korv::Dialogs {
public:
    struct Box {
        QString kind; // "message", "question", "input", "choice"
        QString title;
        QString text;
        Icon icon;
        Answer offered = Answer::Yes; // of a question
    };

    void message(const QString& title, const QString& text, Icon icon) override {
        boxes.append({QStringLiteral("message"), title, text, icon});
        if (onMessage)
            onMessage();
    }
    bool question(const QString& title, const QString& text, Answer offered = Answer::Yes) override {
        boxes.append({QStringLiteral("question"), title, text, Icon::Question, offered});
        if (onQuestion)
            onQuestion();
        return answers.isEmpty() ? offered == Answer::Yes : answers.takeFirst();
    }
    std::optional<QString> inputText(const QString& title, const QString& prompt) override {
        boxes.append({QStringLiteral("input"), title, prompt, Icon::None});
        return inputs.isEmpty() ? std::nullopt : inputs.takeFirst();
    }

    std::optional<int> choice(const QString& title, const QString& prompt, const QStringList& items) override {
        boxes.append({QStringLiteral("choice"), title, prompt, Icon::Question});
        offered << items;
        if (onQuestion)
            onQuestion();
        return choices.isEmpty() ? std::nullopt : choices.takeFirst();
    }

    QStringList titles() const {
        QStringList t;
        for (const Box& b : boxes)
            t << b.title;
        return t;
    }

    QList<Box> boxes;
    QList<bool> answers;
    QList<std::optional<QString>> inputs;
    QList<std::optional<int>> choices; // cancelled when none is left
    QList<QStringList> offered;        // the items of every choice box
    // Run while a message or a question is up, to see the forms as the pilot sees them then.
    std::function<void()> onMessage;
    std::function<void()> onQuestion;
};
