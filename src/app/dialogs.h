#pragma once

// The dialogs service every message box and input box of the desktop program goes through: the program
// shows real dialogs, the form tests answer from scripts. The logic below the forms never asks anything
// itself; it returns notices and says what it needs, and the forms ask here.

#include "common/notice.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace korv {

class Dialogs {
public:
    using Icon = Notice::Icon;
    // The answer a question offers first (Enter gives it).
    enum class Answer { Yes, No };

    virtual ~Dialogs() = default;
    virtual void message(const QString& title, const QString& text, Icon icon) = 0;
    // A Yes/No question; true for Yes.
    virtual bool question(const QString& title, const QString& text, Answer offered = Answer::Yes) = 0;
    // An input box; no value when it was cancelled.
    virtual std::optional<QString> inputText(const QString& title, const QString& prompt) = 0;
    // One item chosen from a list, the first offered at the start; its index, no value when cancelled.
    virtual std::optional<int> choice(const QString& title, const QString& prompt, const QStringList& items) = 0;

    // Each notice as a message box, in order.
    void tell(const Notices& notices) {
        for (const Notice& n : notices)
            message(n.title, n.text, n.icon);
    }
};

} // namespace korv
