#pragma once

// The window "Перенос записей": old records brought into the logbook from a CSV file or a sheet of another
// workbook — the columns matched to the logbook's fields, every line's fate shown before anything is
// written, then all of them added as one change that "Отменить последнее изменение" undoes.

#include "totals/record_import.h"

#include <QWidget>

#include <array>
#include <functional>
#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace korv::app {

class Program;

class frmImport : public QWidget {
    Q_OBJECT
public:
    explicit frmImport(Program& program);

    void showOverMain();
    // Reads the source at `path` (a workbook's sheet `sheet`, the first when empty) and sets the columns as
    // its header suggests; true when read.
    bool openSource(const QString& path, const QString& sheet = {});
    // Reads the logbook from a copy and shows what each line would become; true when shown.
    bool preview();
    // Adds the records the preview showed as one change; true when the logbook was changed.
    bool commit();
    // The mapping file: read into the lists, or written from them.
    bool loadMapping(const QString& path);
    bool saveMapping(const QString& path);

    const totals::Mapping& mapping() const { return mapping_; }
    const std::optional<totals::ImportPlan>& plan() const { return plan_; }

    // What the file dialogs would answer; replaceable for checks.
    std::function<QString()> askSource;
    std::function<QString()> askMappingToLoad;
    std::function<QString()> askMappingToSave;

private:
    void chooseSource();
    void showMapping();
    void mappingChanged();
    void say(const QString& text);
    void refuse(const QString& what, const QString& why);

    Program& program_;
    QLineEdit* file_;
    QComboBox* sheet_;
    QLabel* sheetLabel_;
    QLabel* source_;
    std::array<QComboBox*, totals::kImportFields> fields_{};
    QComboBox* times_;
    QPushButton* loadMap_;
    QPushButton* saveMap_;
    QPushButton* preview_;
    QPushButton* commit_;
    QTableWidget* lines_;
    QLabel* summary_;
    QLabel* status_;

    QString path_;
    std::optional<totals::ImportTable> table_;
    totals::Mapping mapping_;
    std::optional<totals::ImportPlan> plan_;
    bool filling_ = false;
};

inline const QString kImportTitle = QStringLiteral("Перенос записей");

} // namespace korv::app
