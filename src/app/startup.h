#pragma once

// Start-up: the splash, then the main form.

#include <QObject>
#include <QPointer>

namespace korv::app {

class Program;
class frmSplash;

// Start-up of the program: the splash while the main form loads, then the main form. The splash stays
// a fixed short pause (or until the pilot presses a key or clicks it), in place of a busy delay.
class Startup : public QObject {
    Q_OBJECT
public:
    static constexpr int kSplashPauseMs = 1500;

    explicit Startup(Program& program, int pauseMs = kSplashPauseMs);
    ~Startup() override;

    void Main();
    frmSplash* splash() const;
    bool finished() const { return finished_; }

private:
    // Unloads the splash and shows the main form.
    void finish();

    Program& program_;
    int pauseMs_;
    QPointer<frmSplash> splash_;
    bool finished_ = false;
};

// The whole program: no display, a message pointing to korvelanta-cli (status 1); another copy
// running, nothing at all (status 0); otherwise the forms until the program ends.
int runKorvelanta(int argc, char** argv);

} // namespace korv::app
