#include "app/frmimport.h"

#include "app/frmglavnaja.h"
#include "app/program.h"
#include "app/russian.h"
#include "app/screen_room.h"
#include "common/error.h"
#include "common/log.h"
#include "flight/flight_record.h"
#include "logbook/book_reading.h"
#include "totals/monthly_hours.h"
#include "totals/record_transfer.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace korv::app {

namespace {

// The mapping file the window offers, beside the logbook.
const QString kMappingFile = QStringLiteral("Korvelanta-перенос.ini");
// The waiting cursor while the office works, put back however the work ends.
struct BusyCursor {
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

bool isCsv(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == u"csv" || suffix == u"txt";
}

} // namespace

frmImport::frmImport(Program& program)
    : program_(program), file_(new QLineEdit(this)), sheet_(new QComboBox(this)),
      sheetLabel_(new QLabel(QStringLiteral("Лист:"), this)), source_(new QLabel(this)), times_(new QComboBox(this)),
      loadMap_(new QPushButton(QStringLiteral("Загрузить соответствие…"), this)),
      saveMap_(new QPushButton(QStringLiteral("Сохранить соответствие…"), this)),
      preview_(new QPushButton(QStringLiteral("Просмотр"), this)),
      commit_(new QPushButton(QStringLiteral("Перенести"), this)), lines_(new QTableWidget(this)),
      summary_(new QLabel(this)), status_(new QLabel(this)) {
    setObjectName(QStringLiteral("frmImport"));
    setWindowTitle(kImportTitle);
    file_->setObjectName(QStringLiteral("txtFile"));
    file_->setReadOnly(true);
    file_->setPlaceholderText(QStringLiteral("CSV (UTF-8 или Windows-1251) или книга .xls, .xlsx, .ods"));
    auto* choose = new QPushButton(QStringLiteral("Выбрать файл…"), this);
    choose->setObjectName(QStringLiteral("cmdChoose"));
    sheet_->setObjectName(QStringLiteral("cboSheet"));
    sheet_->setVisible(false);
    sheetLabel_->setVisible(false);
    source_->setObjectName(QStringLiteral("lblSource"));
    source_->setWordWrap(true);

    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(new QLabel(QStringLiteral("Файл:"), this));
    fileRow->addWidget(file_, 1);
    fileRow->addWidget(choose);
    fileRow->addWidget(sheetLabel_);
    fileRow->addWidget(sheet_);

    // The fields in two columns of ten, so that the window fits a low screen.
    auto* columns = new QGroupBox(QStringLiteral("Какой столбец файла какое поле лётной книжки"), this);
    auto* grid = new QGridLayout(columns);
    grid->setVerticalSpacing(2);
    for (int i = 0; i < totals::kImportFields; ++i) {
        auto* combo = new QComboBox(columns);
        combo->setObjectName(QStringLiteral("cboField%1").arg(i));
        combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        combo->setMinimumContentsLength(16);
        fields_[std::size_t(i)] = combo;
        const int row = i % 10;
        const int col = (i / 10) * 2;
        grid->addWidget(new QLabel(totals::fieldName(totals::ImportField(i)) + u':', columns), row, col);
        grid->addWidget(combo, row, col + 1);
        connect(combo, &QComboBox::currentIndexChanged, this, &frmImport::mappingChanged);
    }
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    times_->setObjectName(QStringLiteral("cboTimes"));
    times_->addItems({QStringLiteral("1.25 — это 1:25 (ч.мм)"), QStringLiteral("1.25 — это 1:15 (часы с долями)")});
    connect(times_, &QComboBox::currentIndexChanged, this, &frmImport::mappingChanged);
    auto* mapRow = new QHBoxLayout;
    mapRow->addWidget(new QLabel(QStringLiteral("Время с точкой:"), columns));
    mapRow->addWidget(times_);
    mapRow->addStretch(1);
    loadMap_->setObjectName(QStringLiteral("cmdLoadMapping"));
    saveMap_->setObjectName(QStringLiteral("cmdSaveMapping"));
    mapRow->addWidget(loadMap_);
    mapRow->addWidget(saveMap_);
    grid->addLayout(mapRow, 10, 0, 1, 4);

    lines_->setObjectName(QStringLiteral("tblLines"));
    lines_->setColumnCount(7);
    lines_->setHorizontalHeaderLabels({QStringLiteral("Строка"), QStringLiteral("Что будет"), QStringLiteral("Дата"),
                                       QStringLiteral("Тип"), QStringLiteral("Налёт"), QStringLiteral("Упражнение"),
                                       QStringLiteral("Пояснение")});
    lines_->horizontalHeader()->setStretchLastSection(true);
    lines_->verticalHeader()->setVisible(false);
    lines_->verticalHeader()->setDefaultSectionSize(lines_->fontMetrics().height() + 6);
    lines_->setSelectionBehavior(QAbstractItemView::SelectRows);
    lines_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    summary_->setObjectName(QStringLiteral("lblSummary"));
    summary_->setWordWrap(true);
    status_->setObjectName(QStringLiteral("lblStatus"));
    status_->setWordWrap(true);

    preview_->setObjectName(QStringLiteral("cmdPreview"));
    commit_->setObjectName(QStringLiteral("cmdImport"));
    auto* close = new QPushButton(QStringLiteral("Закрыть"), this);
    close->setObjectName(QStringLiteral("cmdClose"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(status_, 1);
    buttons->addWidget(preview_);
    buttons->addWidget(commit_);
    buttons->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fileRow);
    layout->addWidget(source_);
    layout->addWidget(columns);
    layout->addWidget(lines_, 1);
    layout->addWidget(summary_);
    layout->addLayout(buttons);
    resizeWithinScreen(this, {980, 690});

    askSource = [this] {
        return askOpenFileName(this, QStringLiteral("Файл со старыми записями"), program_.bookDir(),
                               QStringLiteral("Записи (*.csv *.txt *.xls *.xlsx *.ods);;Все файлы (*)"));
    };
    askMappingToLoad = [this] {
        return askOpenFileName(this, QStringLiteral("Файл соответствия столбцов"),
                               QDir(program_.bookDir()).filePath(kMappingFile),
                               QStringLiteral("Соответствие (*.ini);;Все файлы (*)"));
    };
    askMappingToSave = [this] {
        return askSaveFileName(this, QStringLiteral("Сохранить соответствие столбцов"),
                               QDir(program_.bookDir()).filePath(kMappingFile), QStringLiteral("Соответствие (*.ini)"));
    };
    status_->setText(QStringLiteral("Выберите файл со старыми записями. Лётная книжка не изменится, пока вы не "
                                    "нажмёте «Перенести»."));
    connect(choose, &QPushButton::clicked, this, &frmImport::chooseSource);
    connect(sheet_, &QComboBox::activated, this, [this] { openSource(path_, sheet_->currentText()); });
    connect(loadMap_, &QPushButton::clicked, this, [this] {
        if (const QString f = askMappingToLoad(); !f.isEmpty())
            loadMapping(f);
    });
    connect(saveMap_, &QPushButton::clicked, this, [this] {
        if (const QString f = askMappingToSave(); !f.isEmpty())
            saveMapping(f);
    });
    connect(preview_, &QPushButton::clicked, this, &frmImport::preview);
    connect(commit_, &QPushButton::clicked, this, &frmImport::commit);
    connect(close, &QPushButton::clicked, this, &QWidget::hide);
    showMapping();
}

void frmImport::showOverMain() { showOver(this, &program_.mainForm()); }

void frmImport::say(const QString& text) {
    status_->setText(text);
    status_->repaint();
}

void frmImport::refuse(const QString& what, const QString& why) {
    const QString said = what + u' ' + why;
    say(said);
    program_.dialogs().message(kImportTitle, said, Dialogs::Icon::Warning);
}

void frmImport::chooseSource() {
    if (const QString path = askSource ? askSource() : QString(); !path.isEmpty())
        openSource(path);
}

bool frmImport::openSource(const QString& path, const QString& sheet) {
    say(QStringLiteral("Читается файл. Ждите."));
    try {
        BusyCursor busy;
        totals::ImportTable table =
            isCsv(path) ? totals::readCsvFile(path) : totals::readWorkbookTable(program_.host(), path, sheet);
        path_ = path;
        table_ = std::move(table);
    } catch (const Error& e) {
        log::error(QStringLiteral("the import window: reading ") + path, e);
        refuse(QStringLiteral("Файл не прочитан."), e.description());
        return false;
    }
    file_->setText(QDir::toNativeSeparators(path));
    filling_ = true;
    sheet_->clear();
    sheet_->addItems(table_->sheetNames);
    sheet_->setCurrentText(table_->sheetName);
    filling_ = false;
    sheet_->setVisible(!table_->sheetNames.isEmpty());
    sheetLabel_->setVisible(!table_->sheetNames.isEmpty());
    mapping_ = totals::guessMapping(table_->header);
    mapping_.times = totals::guessTimeStyle(*table_, mapping_);
    source_->setText(QStringLiteral("%1; строк с записями: %2. %3")
                         .arg(table_->description())
                         .arg(table_->rows.size())
                         .arg(mapping_.ownExport ? QStringLiteral("Это выгрузка самой программы: столбцы узнаны.")
                                                 : QStringLiteral("Столбцы угаданы по заголовку: проверьте их.")));
    showMapping();
    say(QStringLiteral("Проверьте столбцы и нажмите «Просмотр»: в лётной книжке пока ничего не изменено."));
    return true;
}

void frmImport::showMapping() {
    filling_ = true;
    const QStringList header = table_ ? table_->header : QStringList();
    for (int i = 0; i < totals::kImportFields; ++i) {
        QComboBox* combo = fields_[std::size_t(i)];
        combo->clear();
        combo->addItem(QStringLiteral("— нет —"));
        for (int c = 0; c < header.size(); ++c)
            combo->addItem(header[c].isEmpty() ? QStringLiteral("(столбец %1)").arg(c + 1) : header[c]);
        combo->setCurrentIndex(mapping_.column[std::size_t(i)] + 1);
        combo->setEnabled(table_.has_value());
    }
    times_->setCurrentIndex(mapping_.times == totals::TimeStyle::DecimalHours ? 1 : 0);
    times_->setEnabled(table_.has_value());
    filling_ = false;
    loadMap_->setEnabled(table_.has_value());
    saveMap_->setEnabled(table_.has_value());
    preview_->setEnabled(table_.has_value());
    plan_.reset();
    lines_->setRowCount(0);
    summary_->clear();
    commit_->setEnabled(false);
}

void frmImport::mappingChanged() {
    if (filling_)
        return;
    for (int i = 0; i < totals::kImportFields; ++i)
        mapping_.column[std::size_t(i)] = fields_[std::size_t(i)]->currentIndex() - 1;
    mapping_.times = times_->currentIndex() == 1 ? totals::TimeStyle::DecimalHours : totals::TimeStyle::HoursDotMinutes;
    mapping_.timesGiven = true;
    // What was previewed is no longer what would be added.
    plan_.reset();
    commit_->setEnabled(false);
    if (lines_->rowCount() > 0)
        say(QStringLiteral("Столбцы изменены: нажмите «Просмотр» ещё раз."));
}

bool frmImport::loadMapping(const QString& path) {
    if (!table_)
        return false;
    try {
        totals::Mapping m = totals::readMappingFileAt(path, table_->header);
        if (!m.timesGiven)
            m.times = totals::guessTimeStyle(*table_, m);
        mapping_ = m;
    } catch (const Error& e) {
        refuse(QStringLiteral("Соответствие не загружено."), e.description());
        return false;
    }
    showMapping();
    say(QStringLiteral("Соответствие загружено из %1.").arg(QFileInfo(path).fileName()));
    return true;
}

bool frmImport::saveMapping(const QString& path) {
    if (!table_)
        return false;
    try {
        totals::writeMappingFile(path, mapping_, table_->header);
    } catch (const Error& e) {
        refuse(QStringLiteral("Соответствие не сохранено."), e.description());
        return false;
    }
    say(QStringLiteral("Соответствие сохранено: %1.").arg(QDir::toNativeSeparators(path)));
    return true;
}

bool frmImport::preview() {
    if (!table_)
        return false;
    say(QStringLiteral("Читается лётная книжка. Ждите."));
    try {
        BusyCursor busy;
        const logbook::Logbook book = logbook::readLogbookCopy(program_.host(), program_.bookPath()).book;
        plan_ = totals::planImport(*table_, mapping_, book,
                                   [this](long long n) { return flight::ownExerciseText(program_.database(), n); });
    } catch (const Error& e) {
        log::error(QStringLiteral("the import window: preview"), e);
        plan_.reset();
        refuse(QStringLiteral("Просмотр не сделан."), e.description());
        return false;
    }
    lines_->setRowCount(int(plan_->lines.size()));
    for (int r = 0; r < plan_->lines.size(); ++r) {
        const totals::ImportLine& l = plan_->lines[r];
        QStringList cells{QString::number(l.line), totals::fateName(l.fate)};
        if (l.fate == totals::Fate::Added || l.fate == totals::Fate::Same) {
            const logbook::Record rec = logbook::readRecord(l.cells);
            cells << rec.date.toString(QStringLiteral("dd.MM.yyyy")) << rec.type << totals::hoursText(rec.total.minutes)
                  << rec.exercise;
        } else {
            // The line as the file has it, so that the pilot finds it there.
            const QVariantList& row = table_->rows.value(r);
            for (const totals::ImportField f : {totals::ImportField::Date, totals::ImportField::Type,
                                                totals::ImportField::Total, totals::ImportField::Exercise}) {
                const int c = mapping_[f];
                cells << (c < 0 ? QString() : logbook::cellText(logbook::cellAt(row, c)).trimmed());
            }
        }
        cells << l.reason;
        for (int c = 0; c < cells.size(); ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            if (l.fate == totals::Fate::Refused)
                item->setForeground(QColor(0xA0, 0, 0));
            if (c == 6)
                item->setToolTip(l.reason);
            lines_->setItem(r, c, item);
        }
    }
    lines_->resizeColumnsToContents();
    lines_->setColumnWidth(5, std::min(lines_->columnWidth(5), 260));
    summary_->setText(plan_->summary());
    const int added = plan_->count(totals::Fate::Added);
    commit_->setEnabled(!plan_->refused() && added > 0);
    if (plan_->refused())
        say(QStringLiteral("Строк с отказом: %1 — перенос возможен, только когда их нет. Исправьте файл или "
                           "столбцы и нажмите «Просмотр» снова.")
                .arg(plan_->count(totals::Fate::Refused)));
    else if (added == 0)
        say(QStringLiteral("Добавлять нечего: все записи файла уже есть в лётной книжке."));
    else
        say(QStringLiteral("Ничего ещё не записано. «Перенести» добавит записей: %1.").arg(added));
    fitToText(status_);
    return true;
}

bool frmImport::commit() {
    if (!table_ || !plan_ || plan_->refused())
        return false;
    const QList<logbook::PairCells> expected = plan_->records();
    say(QStringLiteral("Записи переносятся в лётную книжку. Ждите."));
    try {
        BusyCursor busy;
        logbook::ChangeSettings settings = program_.changeSettings(status_);
        const totals::ImportOutcome outcome =
            program_.askingAboutLocks(settings, [&](const logbook::ChangeSettings& s) {
                return totals::importRecords(
                    program_.host(), program_.bookPath(), *table_, mapping_,
                    [this](long long n) { return flight::ownExerciseText(program_.database(), n); }, expected, s);
            });
        QString said = QStringLiteral("Перенесено записей: %1. Отменить перенос целиком: «Режим работы» → "
                                      "«Отменить последнее изменение…».")
                           .arg(outcome.plan.count(totals::Fate::Added));
        if (outcome.note)
            said += u' ' + *outcome.note;
        plan_.reset();
        commit_->setEnabled(false);
        say(said);
        program_.dialogs().message(kImportTitle, said, Dialogs::Icon::Information);
        return true;
    } catch (const Error& e) {
        log::error(QStringLiteral("the import window: import"), e);
        refuse(QStringLiteral("Записи не перенесены, лётная книжка не изменена."), e.description());
        return false;
    }
}

} // namespace korv::app
