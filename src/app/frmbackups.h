#pragma once

// The window "Резервные копии": the backups the program keeps of the logbook, newest first, and putting one
// back as the logbook.

#include "bookfiles/backups.h"

#include <QWidget>

class QLabel;
class QPushButton;
class QTableWidget;

namespace korv::app {

class Program;

// Lists the backups when shown (their records read from each file) and restores the chosen one behind a
// question that names both files. The restore keeps the logbook it replaces as a backup first and is
// refused, with nothing changed, while another program holds the logbook.
class frmBackups : public QWidget {
    Q_OBJECT
public:
    explicit frmBackups(Program& program);

    void showAndList();
    // Shows the window with the backup named `name` chosen (the one the check offers), saying why.
    void showAndSelect(const QString& name, const QString& why);
    // Lists the backups now.
    void listBackups();
    // Restores the backup of table row `index` when the pilot says yes; true when it was restored.
    bool restore(int index);

    const QList<logbook::backups::Backup>& backups() const { return backups_; }

private:
    Program& program_;
    QLabel* status_;
    QTableWidget* table_;
    QPushButton* restore_;
    QList<logbook::backups::Backup> backups_;
};

inline const QString kBackupsTitle = QStringLiteral("Резервные копии лётной книжки");

} // namespace korv::app
