#pragma once

// frmSplash, the splash shown while the program starts.

#include <QWidget>

#include <memory>

namespace Ui {
class frmSplash;
}

namespace korv::app {

// The splash: the program's title, version and maker while the program starts. A key or a click
// closes it at once.
class frmSplash : public QWidget {
    Q_OBJECT
public:
    frmSplash();
    ~frmSplash() override;

    Ui::frmSplash& ui() { return *ui_; }

    void Form_Load();
    void Form_KeyPress();
    void Frame1_Click();

Q_SIGNALS:
    // The pilot closed the splash early.
    void dismissed();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::unique_ptr<Ui::frmSplash> ui_;
};

} // namespace korv::app
