#include "app/frmbackups.h"

#include "app/frmglavnaja.h"
#include "app/program.h"
#include "app/screen_room.h"
#include "bookfiles/file_system.h"
#include "common/error.h"
#include "common/log.h"
#include "logbook/book_change.h"
#include "logbook/book_reading.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace korv::app {

namespace {

QString sizeText(qint64 bytes) {
    return QLocale(QLocale::Russian).toString(double(bytes) / 1024.0, 'f', 0) + QStringLiteral(" КБ");
}

QString timeText(const QDateTime& t) { return t.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")); }

} // namespace

frmBackups::frmBackups(Program& program)
    : program_(program), status_(new QLabel(this)), table_(new QTableWidget(this)),
      restore_(new QPushButton(QStringLiteral("Восстановить…"), this)) {
    setObjectName(QStringLiteral("frmBackups"));
    setWindowTitle(kBackupsTitle);
    status_->setObjectName(QStringLiteral("lblStatus"));
    status_->setWordWrap(true);
    table_->setObjectName(QStringLiteral("tblBackups"));
    table_->setColumnCount(4);
    table_->setHorizontalHeaderLabels({QStringLiteral("Время"), QStringLiteral("Записей"), QStringLiteral("Размер"),
                                       QStringLiteral("Когда сделана")});
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->verticalHeader()->setVisible(false);
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    restore_->setObjectName(QStringLiteral("cmdRestore"));
    restore_->setEnabled(false);
    auto* refresh = new QPushButton(QStringLiteral("Обновить"), this);
    refresh->setObjectName(QStringLiteral("cmdRefresh"));
    auto* close = new QPushButton(QStringLiteral("Закрыть"), this);
    close->setObjectName(QStringLiteral("cmdClose"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(restore_);
    buttons->addWidget(refresh);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(status_);
    layout->addWidget(table_, 1);
    layout->addLayout(buttons);
    resizeWithinScreen(this, {720, 460});

    connect(refresh, &QPushButton::clicked, this, &frmBackups::listBackups);
    connect(close, &QPushButton::clicked, this, &QWidget::hide);
    connect(restore_, &QPushButton::clicked, this, [this] { restore(table_->currentRow()); });
    connect(table_, &QTableWidget::cellDoubleClicked, this, [this](int row, int) { restore(row); });
    connect(table_, &QTableWidget::itemSelectionChanged, this,
            [this] { restore_->setEnabled(table_->currentRow() >= 0 && !backups_.isEmpty()); });
}

void frmBackups::showAndList() {
    showOver(this, &program_.mainForm());
    QTimer::singleShot(0, this, &frmBackups::listBackups);
}

void frmBackups::showAndSelect(const QString& name, const QString& why) {
    showOver(this, &program_.mainForm());
    QTimer::singleShot(0, this, [this, name, why] {
        listBackups();
        for (int i = 0; i < backups_.size(); ++i)
            if (backups_[i].name == name) {
                table_->selectRow(i);
                status_->setText(why);
                fitToText(status_);
            }
    });
}

void frmBackups::listBackups() {
    const QString real = logbook::files::realPath(program_.bookPath());
    backups_ = logbook::backups::list(real);
    status_->setMinimumHeight(0);
    status_->setText(QStringLiteral("Читаются резервные копии. Ждите."));
    status_->repaint();
    table_->setRowCount(int(backups_.size()));
    for (int i = 0; i < backups_.size(); ++i) {
        const logbook::backups::Backup& b = backups_[i];
        QString records = QStringLiteral("не читается");
        try {
            records = QString::number(logbook::recordCount(program_.host(), b.path));
        } catch (const Error& e) {
            log::error(QStringLiteral("the backups window: ") + b.name, e);
        }
        const QStringList cells = {timeText(b.time), records, sizeText(b.size),
                                   b.kind == logbook::backups::Kind::RunStart
                                       ? QStringLiteral("до запуска программы")
                                       : QStringLiteral("между изменениями одного запуска")};
        for (int c = 0; c < cells.size(); ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            if (c == 1 || c == 2)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            item->setToolTip(b.name);
            table_->setItem(i, c, item);
        }
    }
    table_->resizeColumnsToContents();
    status_->setText(backups_.isEmpty()
                         ? QStringLiteral("Резервных копий нет. Они появляются в папке %1 при каждом изменении "
                                          "лётной книжки.")
                               .arg(logbook::backups::directoryOf(real))
                         : QStringLiteral("Резервные копии лётной книжки в папке %1, новые первыми.")
                               .arg(logbook::backups::directoryOf(real)));
    if (!backups_.isEmpty())
        table_->selectRow(0);
    restore_->setEnabled(!backups_.isEmpty());
}

bool frmBackups::restore(int index) {
    if (index < 0 || index >= backups_.size())
        return false;
    const logbook::backups::Backup b = backups_[index];
    const QString book = program_.bookPath();
    const QString question =
        QStringLiteral("Восстановить лётную книжку\n%1\nиз резервной копии\n%2\n(%3)?\n\nНынешняя лётная книжка "
                       "сначала будет сохранена как резервная копия.")
            .arg(book, b.path, timeText(b.time));
    if (!program_.dialogs().question(kBackupsTitle, question))
        return false;
    try {
        logbook::ChangeSettings settings = program_.changeSettings(status_);
        const QString kept = program_.askingAboutLocks(settings, [&](const logbook::ChangeSettings& s) {
            return logbook::restoreBackup(program_.host(), book, b.path, s);
        });
        QString said = QStringLiteral("Лётная книжка восстановлена из резервной копии %1.").arg(b.name);
        if (!kept.isEmpty())
            said += QStringLiteral(" Прежняя лётная книжка сохранена как %1.").arg(QFileInfo(kept).fileName());
        listBackups();
        status_->setText(said);
        program_.dialogs().message(kBackupsTitle, said, Dialogs::Icon::Information);
        return true;
    } catch (const Error& e) {
        log::error(QStringLiteral("the backups window: restore"), e);
        const QString said = QStringLiteral("Лётная книжка не восстановлена, ничего не изменено. ") + e.description();
        status_->setText(said);
        program_.dialogs().message(kBackupsTitle, said, Dialogs::Icon::Warning);
        return false;
    }
}

} // namespace korv::app
