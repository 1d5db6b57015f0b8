#include "app/helpwindow.h"

#include "app/screen_room.h"
#include "app/twips.h"

#include <QFileInfo>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace korv::app {

HelpWindow::HelpWindow(QString helpFile, QWidget* parent)
    : QWidget(parent, Qt::Window), helpFile_(std::move(helpFile)), browser_(new QTextBrowser(this)) {
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Справка — Лётная книжка"));
    browser_->setObjectName(QStringLiteral("txtHelp"));
    browser_->setOpenExternalLinks(true);
    auto* layout = new QVBoxLayout(this);
    auto* contents = new QPushButton(QStringLiteral("Содержание"), this);
    contents->setObjectName(QStringLiteral("cmdContents"));
    contents->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    layout->addWidget(contents);
    layout->addWidget(browser_, 1);
    connect(contents, &QPushButton::clicked, this, [this] { showTopic(kHelpContext); });
    resizeWithinScreen(this, twipsToPixels(9600, 9000, this));
}

void HelpWindow::showTopic(int context) {
    context_ = context;
    if (!QFileInfo::exists(helpFile_)) {
        browser_->setHtml(QStringLiteral("<h3>Справка недоступна</h3><p>Не найден файл справки:</p><p><tt>") +
                          helpFile_.toHtmlEscaped() +
                          QStringLiteral("</tt></p><p>Переустановите программу или восстановите файл.</p>"));
    } else {
        QUrl url = QUrl::fromLocalFile(QFileInfo(helpFile_).absoluteFilePath());
        url.setFragment(anchorOf(context));
        // The file does not end in .html: say what it is, so that it is read as HTML.
        browser_->setSource(url, QTextDocument::HtmlResource);
        browser_->scrollToAnchor(anchorOf(context));
    }
    show();
    raise();
    activateWindow();
}

} // namespace korv::app
