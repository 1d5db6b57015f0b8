#pragma once

// f_About, the progress bar's About form.

#include <QDialog>

#include <functional>
#include <memory>

namespace Ui {
class f_About;
}
namespace tarvix {
class MailLinkBox;
}

// The About form of the control ("О контроле Tarvix Progress"), shown modally by AboutBox: the product
// line and the author's e-mail link, which lights up under the pointer and starts the mail program.
class f_About : public QDialog {
    Q_OBJECT
public:
    explicit f_About(QWidget* parent = nullptr);
    ~f_About() override;

    void Form_Load();
    void PaintMailLink(int look, tarvix::MailLinkBox* box, const QString& text);
    void Picture1_MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, int x, int y);
    void Picture1_MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void Command1_Click();
    // Asks the desktop to open the link; a refusal is reported in a warning. Returns whether it opened.
    bool ShellOpen(const QString& link);

    tarvix::MailLinkBox* Picture1() const { return picture1_; }
    // The look the link was last painted in (0, 1 or 2).
    int linkLook() const { return look_; }

    // Replaceable platform calls: the blocking wait, the desktop's URL handler (true when it opened the
    // link) and the warning box.
    void setSleep(std::function<void(int ms)> f) { sleep_ = std::move(f); }
    void setShellOpen(std::function<bool(const QString&)> f) { shellOpen_ = std::move(f); }
    void setWarning(std::function<void(const QString& title, const QString& text)> f) { warning_ = std::move(f); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::unique_ptr<Ui::f_About> ui;
    tarvix::MailLinkBox* picture1_ = nullptr;
    int look_ = 0;
    std::function<void(int)> sleep_;
    std::function<bool(const QString&)> shellOpen_;
    std::function<void(const QString&, const QString&)> warning_;
};
