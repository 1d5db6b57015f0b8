#include "app/qtdialogs.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>

namespace korv::app {

namespace {

QMessageBox::Icon qtIcon(Dialogs::Icon icon) {
    switch (icon) {
    case Dialogs::Icon::Information:
        return QMessageBox::Information;
    case Dialogs::Icon::Warning:
        return QMessageBox::Warning;
    case Dialogs::Icon::Critical:
        return QMessageBox::Critical;
    case Dialogs::Icon::Question:
        return QMessageBox::Question;
    case Dialogs::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

QWidget* QtDialogs::owner() {
    // The boxes belong to the form the pilot works in; with every form hidden (the date question
    // before the input form shows) they stand alone.
    QWidget* w = QApplication::activeWindow();
    return w != nullptr && w->isVisible() ? w : nullptr;
}

std::unique_ptr<QMessageBox> QtDialogs::makeMessageBox(const QString& title, const QString& text, Icon icon,
                                                       QWidget* parent) {
    auto box = std::make_unique<QMessageBox>(qtIcon(icon), title, text, QMessageBox::Ok, parent);
    box->setTextFormat(Qt::PlainText);
    return box;
}

std::unique_ptr<QMessageBox> QtDialogs::makeQuestionBox(const QString& title, const QString& text, QWidget* parent,
                                                        Answer offered) {
    auto box =
        std::make_unique<QMessageBox>(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No, parent);
    box->setTextFormat(Qt::PlainText);
    box->setDefaultButton(offered == Answer::No ? QMessageBox::No : QMessageBox::Yes);
    return box;
}

std::unique_ptr<QInputDialog> QtDialogs::makeInputBox(const QString& title, const QString& prompt, QWidget* parent) {
    auto box = std::make_unique<QInputDialog>(parent);
    box->setInputMode(QInputDialog::TextInput);
    box->setWindowTitle(title);
    box->setLabelText(prompt);
    box->setTextValue(QString());
    return box;
}

std::unique_ptr<QInputDialog> QtDialogs::makeChoiceBox(const QString& title, const QString& prompt,
                                                       const QStringList& items, QWidget* parent) {
    auto box = std::make_unique<QInputDialog>(parent);
    box->setInputMode(QInputDialog::TextInput);
    box->setWindowTitle(title);
    box->setLabelText(prompt);
    box->setComboBoxItems(items);
    box->setComboBoxEditable(false);
    if (!items.isEmpty())
        box->setTextValue(items.front());
    return box;
}

void QtDialogs::message(const QString& title, const QString& text, Icon icon) {
    makeMessageBox(title, text, icon, owner())->exec();
}

bool QtDialogs::question(const QString& title, const QString& text, Answer offered) {
    return makeQuestionBox(title, text, owner(), offered)->exec() == QMessageBox::Yes;
}

std::optional<QString> QtDialogs::inputText(const QString& title, const QString& prompt) {
    auto box = makeInputBox(title, prompt, owner());
    if (box->exec() != QDialog::Accepted)
        return std::nullopt;
    return box->textValue();
}

std::optional<int> QtDialogs::choice(const QString& title, const QString& prompt, const QStringList& items) {
    auto box = makeChoiceBox(title, prompt, items, owner());
    if (box->exec() != QDialog::Accepted)
        return std::nullopt;
    const auto chosen = items.indexOf(box->textValue());
    return chosen < 0 ? std::nullopt : std::optional<int>(int(chosen));
}

} // namespace korv::app
