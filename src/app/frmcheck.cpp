#include "app/frmcheck.h"

#include "app/frmbackups.h"
#include "app/frmglavnaja.h"
#include "app/program.h"
#include "app/screen_room.h"
#include "bookfiles/backups.h"
#include "bookfiles/file_system.h"
#include "common/error.h"
#include "common/log.h"
#include "flight/input_form.h"
#include "logbook/book_names.h"
#include "logbook/book_reading.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace korv::app {

frmCheck::frmCheck(Program& program)
    : program_(program), status_(new QLabel(this)), progress_(new QProgressBar(this)), table_(new QTableWidget(this)),
      counts_(new QLabel(this)), again_(new QPushButton(QStringLiteral("Проверить снова"), this)),
      restoreBefore_(new QPushButton(this)) {
    setObjectName(QStringLiteral("frmCheck"));
    setWindowTitle(kCheckTitle);
    status_->setObjectName(QStringLiteral("lblStatus"));
    progress_->setObjectName(QStringLiteral("prgCheck"));
    progress_->setRange(0, logbook::kCheckSteps);
    progress_->setTextVisible(false);
    table_->setObjectName(QStringLiteral("tblFindings"));
    table_->setColumnCount(4);
    table_->setHorizontalHeaderLabels(
        {QStringLiteral("Строка"), QStringLiteral("Столбец"), QStringLiteral("Вид"), QStringLiteral("Что не так")});
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->verticalHeader()->setVisible(false);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setWordWrap(true);
    table_->setToolTip(QStringLiteral("Двойной щелчок показывает ячейку в лётной книжке"));
    counts_->setObjectName(QStringLiteral("lblCounts"));
    again_->setObjectName(QStringLiteral("cmdAgain"));
    restoreBefore_->setObjectName(QStringLiteral("cmdRestoreBefore"));
    restoreBefore_->hide();
    status_->setWordWrap(true);
    auto* close = new QPushButton(QStringLiteral("Закрыть"), this);
    close->setObjectName(QStringLiteral("cmdClose"));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(counts_, 1);
    buttons->addWidget(restoreBefore_);
    buttons->addWidget(again_);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(status_);
    layout->addWidget(progress_);
    layout->addWidget(table_, 1);
    layout->addLayout(buttons);
    resizeWithinScreen(this, {900, 520});

    connect(again_, &QPushButton::clicked, this, &frmCheck::runCheck);
    connect(restoreBefore_, &QPushButton::clicked, this, &frmCheck::offerBackup);
    connect(close, &QPushButton::clicked, this, &QWidget::hide);
    connect(table_, &QTableWidget::cellDoubleClicked, this, [this](int row, int) { showFinding(row); });
}

void frmCheck::showAndCheck() {
    showOver(this, &program_.mainForm());
    QTimer::singleShot(0, this, &frmCheck::runCheck);
}

void frmCheck::runCheck() {
    again_->setEnabled(false);
    restoreBefore_->hide();
    status_->setMinimumHeight(0);
    offered_.clear();
    table_->setRowCount(0);
    counts_->clear();
    findings_.clear();
    progress_->setValue(0);
    progress_->show();
    const auto progress = [this](const QString& status, int step) {
        status_->setText(status);
        progress_->setValue(step);
        status_->repaint();
        progress_->repaint();
    };
    try {
        logbook::CheckReference reference;
        reference.aircraftTypes = flight::kAircraftTypes;
        reference.exercises = program_.database().exerciseNumbers();
        findings_ = logbook::checkLogbook(program_.host(), program_.bookPath(), reference, progress);
    } catch (const Error& e) {
        log::error(QStringLiteral("the check of the logbook"), e);
        status_->setText(QStringLiteral("Лётная книжка не проверена: ") + e.description());
        progress_->setValue(0);
        again_->setEnabled(true);
        return;
    }
    int errors = 0;
    table_->setRowCount(int(findings_.size()));
    for (int i = 0; i < findings_.size(); ++i) {
        const logbook::Finding& f = findings_[i];
        const bool error = f.severity == logbook::Severity::Error;
        errors += error ? 1 : 0;
        const QStringList cells = {QString::number(f.row), f.columnLetter(), logbook::severityText(f.severity), f.text};
        for (int c = 0; c < cells.size(); ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            if (error)
                item->setForeground(QColor(0xb0, 0, 0));
            table_->setItem(i, c, item);
        }
    }
    table_->resizeColumnsToContents();
    table_->resizeRowsToContents();
    progress_->hide();
    status_->setText(QStringLiteral("Лётная книжка ") + program_.bookPath());
    // A sheet sorted in Calc cannot be mended cell by cell: the backup from before the sorting is offered.
    if (std::any_of(findings_.begin(), findings_.end(), [](const logbook::Finding& f) { return f.sortedSheet; })) {
        const QString real = logbook::files::realPath(program_.bookPath());
        const QDateTime saved = QFileInfo(real).lastModified();
        if (const auto b = logbook::backups::newestBefore(logbook::backups::list(real), saved)) {
            offered_ = b->name;
            const QString when = b->time.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
            offeredWhy_ = QStringLiteral("Лист «Лист1» сохранён отсортированным %1. Резервная копия от %2 сделана до "
                                         "этого; того, что вносилось в книжку после %2, в ней нет — после "
                                         "восстановления внесите это заново.")
                              .arg(saved.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")), when);
            restoreBefore_->setText(QStringLiteral("Копия от %1…").arg(when));
            restoreBefore_->setToolTip(offeredWhy_);
            restoreBefore_->show();
            status_->setText(offeredWhy_);
            fitToText(status_);
        }
    }
    counts_->setText(findings_.isEmpty()
                         ? QStringLiteral("Ошибок не найдено")
                         : QStringLiteral("Ошибок: %1, предупреждений: %2").arg(errors).arg(findings_.size() - errors));
    again_->setEnabled(true);
}

void frmCheck::offerBackup() {
    if (offered_.isEmpty())
        return;
    hide();
    program_.backupsForm().showAndSelect(offered_, offeredWhy_);
}

void frmCheck::showFinding(int index) {
    if (index < 0 || index >= findings_.size())
        return;
    const logbook::Finding& f = findings_[index];
    hide();
    if (!program_.viewLogbook(logbook::kSheet1, &program_.mainForm(), f.columnLetter() + QString::number(f.row)))
        show();
}

} // namespace korv::app
