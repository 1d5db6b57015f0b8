#pragma once

// Qt's own texts in Russian.

#include <QString>

#include <memory>

class QFileDialog;
class QWidget;

namespace korv::app {

// Qt's own texts (the buttons of message boxes, the input box, context menus, the file dialog) in Russian
// whatever the machine's locale: qtbase_ru from Qt's translations directory, the few texts it leaves in
// English ("OK", "Folder") given here, and Russian as the default locale. Returns false when the
// translation file is missing (those texts then stay English, but for the ones given here).
bool installRussianTranslations();

// A size of a file as the pilot reads it: "512 Б", "1,5 КБ", "2,3 МБ", "1,1 ГБ".
QString russianFileSize(qint64 bytes);

// The program's own file dialog for saving: Qt's, the same on every desktop, its folder list with Russian
// types and sizes. Nothing is shown; the caller opens it.
std::unique_ptr<QFileDialog> makeSaveDialog(QWidget* parent, const QString& title, const QString& path,
                                            const QString& filter);

// The file the pilot chose in that dialog; empty when he cancelled.
QString askSaveFileName(QWidget* parent, const QString& title, const QString& path, const QString& filter);

// The file the pilot chose to open in the same dialog (an existing file); empty when he cancelled.
QString askOpenFileName(QWidget* parent, const QString& title, const QString& path, const QString& filter);

} // namespace korv::app
