#pragma once

// What the desktop is asked to open for a link.

#include <QString>
#include <QUrl>

// What the desktop is asked to open for a link, apart from any widget. A link may be a URL or any
// target the shell can open: a link with a scheme ("https:", "mailto:", "file:") is taken as it
// stands; a path, absolute or relative to the working directory, opens as a file when it exists there;
// only what is neither falls back to a guessed web address ("www.example.org" becomes
// "http://www.example.org").
namespace drovanetta {

QUrl shellUrl(const QString& link, const QString& workingDirectory);

} // namespace drovanetta
