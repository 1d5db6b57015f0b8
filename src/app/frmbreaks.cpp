#include "app/frmbreaks.h"

#include "app/frmglavnaja.h"
#include "app/program.h"
#include "app/russian.h"
#include "app/screen_room.h"
#include "chart/hours_chart.h"
#include "common/error.h"
#include "common/log.h"
#include "logbook/book_reading.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace korv::app {

namespace {

const QColor kOver(0xb0, 0, 0);
const QColor kOverBack(0xfb, 0xe3, 0xe3);
const QColor kNearBack(0xfd, 0xf1, 0xd6);

QString dateText(const QDate& d) { return d.toString(QStringLiteral("dd.MM.yyyy")); }

} // namespace

HoursChartView::HoursChartView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("picChart"));
    setMinimumSize(640, 300);
}

void HoursChartView::setHours(const totals::HoursOfMonths& hours) {
    hours_ = hours;
    update();
}

void HoursChartView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setFont(font());
    chart::paintHoursChart(p, QRectF(rect()), hours_);
}

frmBreaks::frmBreaks(Program& program)
    : program_(program), status_(new QLabel(this)), table_(new QTableWidget(this)), datesTable_(new QTableWidget(this)),
      months_(new QComboBox(this)), chart_(new HoursChartView(this)),
      refresh_(new QPushButton(QStringLiteral("Обновить"), this)),
      save_(new QPushButton(QStringLiteral("Сохранить график…"), this)) {
    setObjectName(QStringLiteral("frmBreaks"));
    setWindowTitle(kBreaksTitle);
    status_->setObjectName(QStringLiteral("lblStatus"));
    status_->setWordWrap(true);
    table_->setObjectName(QStringLiteral("tblBreaks"));
    table_->setColumnCount(8);
    table_->setHorizontalHeaderLabels({QStringLiteral("Тип"), QStringLiteral("Вид полёта"), QStringLiteral("Последний"),
                                       QStringLiteral("Дней прошло"), QStringLiteral("Предел, дней"),
                                       QStringLiteral("Осталось"), QStringLiteral("Летать до"),
                                       QStringLiteral("Состояние")});
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->verticalHeader()->setVisible(false);
    // One line a kind: nine kinds a type have to be read at a glance.
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
    table_->setWordWrap(false);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    datesTable_->setObjectName(QStringLiteral("tblDates"));
    datesTable_->setColumnCount(6);
    datesTable_->setHorizontalHeaderLabels({QStringLiteral("Срок"), QStringLiteral("Пройдено"),
                                            QStringLiteral("Действует"), QStringLiteral("До"),
                                            QStringLiteral("Осталось дней"), QStringLiteral("Состояние")});
    datesTable_->horizontalHeader()->setStretchLastSection(true);
    datesTable_->verticalHeader()->setVisible(false);
    datesTable_->verticalHeader()->setDefaultSectionSize(datesTable_->fontMetrics().height() + 6);
    datesTable_->setWordWrap(false);
    datesTable_->setSelectionBehavior(QAbstractItemView::SelectRows);
    datesTable_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    months_->setObjectName(QStringLiteral("cboMonths"));
    months_->setMinimumContentsLength(22);
    months_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    refresh_->setObjectName(QStringLiteral("cmdRefresh"));
    save_->setObjectName(QStringLiteral("cmdSaveChart"));
    auto* close = new QPushButton(QStringLiteral("Закрыть"), this);
    close->setObjectName(QStringLiteral("cmdClose"));

    auto* chartBox = new QWidget(this);
    auto* chooser = new QHBoxLayout;
    chooser->addWidget(new QLabel(QStringLiteral("Налёт по месяцам:"), chartBox));
    chooser->addWidget(months_);
    chooser->addStretch(1);
    auto* chartLayout = new QVBoxLayout(chartBox);
    chartLayout->setContentsMargins(0, 0, 0, 0);
    chartLayout->addLayout(chooser);
    chartLayout->addWidget(chart_, 1);
    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(datesTable_);
    split->addWidget(table_);
    split->addWidget(chartBox);
    // The dates are a few lines; the breaks and the chart share the rest.
    split->setSizes({120, 300, 400});
    split->setChildrenCollapsible(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(refresh_);
    buttons->addWidget(save_);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(status_);
    layout->addWidget(split, 1);
    layout->addLayout(buttons);
    resizeWithinScreen(this, {980, 860});

    askFile = [this] {
        return askSaveFileName(this, QStringLiteral("Сохранить график"),
                               QDir(program_.bookDir()).filePath(QStringLiteral("Налёт.png")),
                               QStringLiteral("Рисунок PNG (*.png);;Рисунок SVG (*.svg)"));
    };
    connect(refresh_, &QPushButton::clicked, this, &frmBreaks::readBook);
    connect(save_, &QPushButton::clicked, this, &frmBreaks::saveChart);
    connect(close, &QPushButton::clicked, this, &QWidget::hide);
    connect(months_, &QComboBox::activated, this, &frmBreaks::chooseMonths);
}

void frmBreaks::showAndRead() {
    showOver(this, &program_.mainForm());
    QTimer::singleShot(0, this, &frmBreaks::readBook);
}

void frmBreaks::readBook() {
    refresh_->setEnabled(false);
    save_->setEnabled(false);
    status_->setText(QStringLiteral("Читается лётная книжка (копия, сама книжка не открывается). Ждите."));
    status_->repaint();
    read_ = false;
    entries_.clear();
    lines_.clear();
    dates_.clear();
    QString limitsNote;
    totals::BreakLimits limits;
    try {
        limits = totals::readBreakLimits(totals::limitsPath(program_.bookDir()));
        limitsNote = limits.isEmpty() ? QStringLiteral("Пределов и сроков нет: их задаёт файл %1 в папке лётной "
                                                       "книжки (см. справку).")
                                            .arg(totals::kLimitsFileName)
                                      : QStringLiteral("Пределы и сроки из файла %1.").arg(totals::kLimitsFileName);
    } catch (const Error& e) {
        log::error(QStringLiteral("the limits of breaks in flying"), e);
        limitsNote = e.description();
    }
    // The dates need no logbook: they are shown whatever becomes of reading it.
    dates_ = totals::judgeDates(limits.dates, program_.today());
    fillDates();
    QString datesNote;
    if (!dates_.isEmpty())
        datesNote = QStringLiteral(" Сроков просрочено: %1, скоро: %2.")
                        .arg(totals::countDueState(dates_, totals::DueState::Overdue))
                        .arg(totals::countDueState(dates_, totals::DueState::Near));
    try {
        entries_ = logbook::readEntriesCopy(program_.host(), program_.bookPath());
    } catch (const Error& e) {
        log::error(QStringLiteral("the breaks in flying"), e);
        table_->setRowCount(0);
        chart_->setHours({});
        status_->setText(QStringLiteral("Перерывы и налёт не подсчитаны: ") + e.description());
        refresh_->setEnabled(true);
        return;
    }
    read_ = true;
    // A record that cannot be counted stops the breaks, which it may belong to; the chart of months it
    // lies outside is still drawn.
    try {
        lines_ = totals::judgeBreaks(totals::lastFlights(entries_), limits, program_.today());
        const int exceeded = totals::countState(lines_, totals::BreakState::Exceeded);
        const int near = totals::countState(lines_, totals::BreakState::Near);
        breaksNote_ = QStringLiteral("На %1. ").arg(dateText(program_.today())) + limitsNote;
        if (limits.hasBreakLimits())
            breaksNote_ += QStringLiteral(" Превышено: %1, истекает в ближайшие %2 дней: %3.")
                               .arg(exceeded)
                               .arg(totals::kNearDays)
                               .arg(near);
        breaksNote_ += datesNote;
    } catch (const Error& e) {
        log::error(QStringLiteral("the breaks in flying"), e);
        lines_.clear();
        breaksNote_ = QStringLiteral("Перерывы не подсчитаны: ") + e.description() + datesNote;
    }
    fillTable();
    status_->setText(breaksNote_);

    const int chosen = std::max(0, months_->currentIndex());
    const QString chosenText = months_->currentText();
    months_->clear();
    months_->addItem(QStringLiteral("последние 12 месяцев"), 0);
    const QList<int> years = totals::yearsOfRecords(entries_);
    for (const int year : years)
        months_->addItem(QStringLiteral("%1 год").arg(year), year);
    const int again = months_->findText(chosenText);
    months_->setCurrentIndex(again >= 0 ? again : std::min(chosen, months_->count() - 1));
    chooseMonths(months_->currentIndex());
    refresh_->setEnabled(true);
}

void frmBreaks::fillTable() {
    table_->setRowCount(int(lines_.size()));
    QString previous = QStringLiteral("\x01");
    for (int i = 0; i < lines_.size(); ++i) {
        const totals::BreakLine& b = lines_[i];
        const QString type = b.type.isEmpty() ? QStringLiteral("Все типы") : b.type;
        const bool judged = b.limit && b.last;
        const QStringList cells = {type == previous ? QString() : type,
                                   totals::breakKindText(b.kind),
                                   b.last ? dateText(b.last->date) : QStringLiteral("не было"),
                                   b.last ? QString::number(b.daysSince) : QString(),
                                   b.limit ? QString::number(*b.limit) : QString(),
                                   totals::daysLeftText(b),
                                   judged ? dateText(b.due) : QString(),
                                   totals::stateText(b.state)};
        previous = type;
        for (int c = 0; c < cells.size(); ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            if (c >= 3 && c <= 5)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (b.state == totals::BreakState::Exceeded) {
                item->setForeground(kOver);
                item->setBackground(kOverBack);
            } else if (b.state == totals::BreakState::Near) {
                item->setBackground(kNearBack);
            }
            if (b.last)
                item->setToolTip(QStringLiteral("Запись в строке %1 лётной книжки").arg(b.last->row));
            table_->setItem(i, c, item);
        }
    }
    table_->resizeColumnsToContents();
    // The first line that needs the pilot's eye is in view.
    for (int i = 0; i < lines_.size(); ++i) {
        if (lines_[i].state == totals::BreakState::Exceeded || lines_[i].state == totals::BreakState::Near) {
            table_->scrollToItem(table_->item(i, 0), QAbstractItemView::PositionAtTop);
            break;
        }
    }
}

void frmBreaks::fillDates() {
    datesTable_->setRowCount(int(dates_.size()));
    for (int i = 0; i < dates_.size(); ++i) {
        const totals::DueLine& l = dates_[i];
        const QStringList cells = {l.item.name,     dateText(l.item.passed),    l.item.periodText(),
                                   dateText(l.due), totals::dueDaysLeftText(l), totals::dueStateText(l.state)};
        for (int c = 0; c < cells.size(); ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            if (c == 4)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (l.state == totals::DueState::Overdue) {
                item->setForeground(kOver);
                item->setBackground(kOverBack);
            } else if (l.state == totals::DueState::Near) {
                item->setBackground(kNearBack);
            }
            item->setToolTip(QStringLiteral("Строка %1 файла %2").arg(l.item.line).arg(totals::kLimitsFileName));
            datesTable_->setItem(i, c, item);
        }
    }
    datesTable_->resizeColumnsToContents();
    // Without dates the table says where they come from rather than standing empty.
    datesTable_->setVisible(!dates_.isEmpty());
}

void frmBreaks::chooseMonths(int index) {
    if (!read_ || index < 0)
        return;
    const int year = months_->itemData(index).toInt();
    try {
        chart_->setHours(year == 0 ? totals::hoursOfLastTwelve(entries_, program_.today())
                                   : totals::hoursOfYear(entries_, year));
        status_->setText(breaksNote_);
        save_->setEnabled(true);
    } catch (const Error& e) {
        log::error(QStringLiteral("the hours chart"), e);
        chart_->setHours({});
        status_->setText(breaksNote_ + QStringLiteral("\nНалёт по месяцам не подсчитан: ") + e.description());
        save_->setEnabled(false);
    }
}

void frmBreaks::saveChart() {
    const QString file = askFile ? askFile() : QString();
    if (file.isEmpty())
        return;
    const bool svg = file.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive);
    const chart::ChartFormat format = svg ? chart::ChartFormat::Svg : chart::ChartFormat::Png;
    if (const QString why = chart::chartTargetRefusal(file, program_.bookPath(), format); !why.isEmpty()) {
        program_.dialogs().message(kBreaksTitle, QStringLiteral("График не сохранён: ") + why, Dialogs::Icon::Warning);
        return;
    }
    try {
        chart::saveHoursChart(chart_->hours(), file, format);
        status_->setText(QStringLiteral("График сохранён: ") + file);
    } catch (const Error& e) {
        log::error(QStringLiteral("the hours chart"), e);
        program_.dialogs().message(kBreaksTitle, e.description(), Dialogs::Icon::Warning);
    }
}

} // namespace korv::app
