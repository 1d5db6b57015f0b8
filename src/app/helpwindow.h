#pragma once

// The help window and its topics by context number.

#include <QString>
#include <QWidget>

class QTextBrowser;

namespace korv::app {

// The program's help window: the help document Help/Korvelanta.HLP (HTML) with its topics addressed by
// context number, the anchor "ctx-<number>". Every help request of the program opens context 23.
class HelpWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int kHelpContext = 23;

    explicit HelpWindow(QString helpFile, QWidget* parent = nullptr);

    // Shows the window at the topic of that context number. A missing help file is said in the
    // window itself, in Russian, with its path.
    void showTopic(int context);

    const QString& helpFile() const { return helpFile_; }
    int currentContext() const { return context_; }
    QTextBrowser* browser() const { return browser_; }

    static QString anchorOf(int context) { return QStringLiteral("ctx-") + QString::number(context); }

private:
    QString helpFile_;
    QTextBrowser* browser_;
    int context_ = 0;
};

} // namespace korv::app
