#include "app/frmcourse.h"

#include "app/frmglavnaja.h"
#include "app/program.h"
#include "app/russian.h"
#include "app/screen_room.h"
#include "bookfiles/scratch_dir.h"
#include "common/error.h"
#include "common/log.h"
#include "logbook/book_reading.h"
#include "totals/course_page.h"
#include "totals/logbook_pages.h"
#include "totals/printing.h"
#include "totals/record_export.h"
#include "totals/selection.h"

#include <QComboBox>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace korv::app {

namespace {

using totals::PeriodOption;

// The totals form's choices and the whole logbook; the current year first chosen, as a course is a year's.
const std::array<std::pair<const char*, PeriodOption>, 6> kPeriods = {{
    {"текущий месяц", PeriodOption::CurrentMonth},
    {"прошлый месяц", PeriodOption::LastMonth},
    {"текущий год", PeriodOption::CurrentYear},
    {"прошлый год", PeriodOption::LastYear},
    {"период с … по …", PeriodOption::FreePeriod},
    {"вся лётная книжка", PeriodOption::None},
}};
constexpr int kCurrentYear = 2;

QTableWidget* courseTable(QWidget* parent, const QString& name) {
    auto* t = new QTableWidget(parent);
    t->setObjectName(name);
    t->setColumnCount(6);
    t->setHorizontalHeaderLabels({QStringLiteral("Упр."), QStringLiteral("Упражнение"), QStringLiteral("Днём"),
                                  QStringLiteral("Ночью"), QStringLiteral("Последний раз"),
                                  QStringLiteral("Списки итогов")});
    t->horizontalHeader()->setStretchLastSection(true);
    t->verticalHeader()->setVisible(false);
    t->verticalHeader()->setDefaultSectionSize(t->fontMetrics().height() + 6);
    t->setWordWrap(false);
    t->setSelectionBehavior(QAbstractItemView::SelectRows);
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    return t;
}

} // namespace

frmCourse::frmCourse(Program& program)
    : program_(program), type_(new QComboBox(this)), period_(new QComboBox(this)), txtC_(new QLineEdit(this)),
      txtPo_(new QLineEdit(this)), status_(new QLabel(this)), table_(courseTable(this, QStringLiteral("tblCourse"))),
      outsideCaption_(new QLabel(QStringLiteral("Выполнено вне курса:"), this)),
      outside_(courseTable(this, QStringLiteral("tblOutside"))),
      refresh_(new QPushButton(QStringLiteral("Обновить"), this)),
      print_(new QPushButton(QStringLiteral("Печать"), this)),
      pdf_(new QPushButton(QStringLiteral("Сохранить PDF…"), this)) {
    setObjectName(QStringLiteral("frmCourse"));
    setWindowTitle(kCourseTitle);
    type_->setObjectName(QStringLiteral("cboTyp"));
    type_->setMinimumContentsLength(10);
    period_->setObjectName(QStringLiteral("cboPeriod"));
    for (const auto& [text, option] : kPeriods)
        period_->addItem(QString::fromUtf8(text), int(option));
    period_->setCurrentIndex(kCurrentYear);
    txtC_->setObjectName(QStringLiteral("txtC"));
    txtPo_->setObjectName(QStringLiteral("txtPo"));
    for (QLineEdit* e : {txtC_, txtPo_}) {
        e->setPlaceholderText(QStringLiteral("24.09.04"));
        e->setMaximumWidth(e->fontMetrics().horizontalAdvance(QStringLiteral("00.00.0000")) + 16);
        e->setEnabled(false);
    }
    status_->setObjectName(QStringLiteral("lblStatus"));
    status_->setWordWrap(true);
    outsideCaption_->setObjectName(QStringLiteral("lblOutside"));
    refresh_->setObjectName(QStringLiteral("cmdRefresh"));
    print_->setObjectName(QStringLiteral("cmdPrint"));
    pdf_->setObjectName(QStringLiteral("cmdPdf"));
    auto* show = new QPushButton(QStringLiteral("Показать"), this);
    show->setObjectName(QStringLiteral("cmdShow"));
    auto* close = new QPushButton(QStringLiteral("Закрыть"), this);
    close->setObjectName(QStringLiteral("cmdClose"));

    auto* choice = new QHBoxLayout;
    choice->addWidget(new QLabel(QStringLiteral("Тип:"), this));
    choice->addWidget(type_);
    choice->addSpacing(12);
    choice->addWidget(new QLabel(QStringLiteral("Период:"), this));
    choice->addWidget(period_);
    choice->addWidget(new QLabel(QStringLiteral("с"), this));
    choice->addWidget(txtC_);
    choice->addWidget(new QLabel(QStringLiteral("по"), this));
    choice->addWidget(txtPo_);
    choice->addWidget(show);
    choice->addStretch(1);

    auto* outsideBox = new QWidget(this);
    auto* outsideLayout = new QVBoxLayout(outsideBox);
    outsideLayout->setContentsMargins(0, 0, 0, 0);
    outsideLayout->addWidget(outsideCaption_);
    outsideLayout->addWidget(outside_, 1);
    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(table_);
    split->addWidget(outsideBox);
    split->setSizes({520, 140});
    split->setChildrenCollapsible(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(refresh_);
    buttons->addWidget(print_);
    buttons->addWidget(pdf_);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(choice);
    layout->addWidget(status_);
    layout->addWidget(split, 1);
    layout->addLayout(buttons);
    resizeWithinScreen(this, {1100, 760});

    askFile = [this] {
        return askSaveFileName(this, QStringLiteral("Сохранить выполнение курса"),
                               QDir(program_.bookDir()).filePath(QStringLiteral("Выполнение курса.pdf")),
                               QStringLiteral("Документ PDF (*.pdf)"));
    };
    connect(refresh_, &QPushButton::clicked, this, &frmCourse::readBook);
    connect(show, &QPushButton::clicked, this, &frmCourse::countProgress);
    connect(print_, &QPushButton::clicked, this, &frmCourse::printPage);
    connect(pdf_, &QPushButton::clicked, this, &frmCourse::savePdf);
    connect(close, &QPushButton::clicked, this, &QWidget::hide);
    connect(type_, &QComboBox::activated, this, &frmCourse::countProgress);
    connect(period_, &QComboBox::activated, this, [this](int index) {
        const bool free = PeriodOption(period_->itemData(index).toInt()) == PeriodOption::FreePeriod;
        txtC_->setEnabled(free);
        txtPo_->setEnabled(free);
        // The free period waits for its dates and "Показать"; the others count at once.
        if (!free)
            countProgress();
    });
    connect(txtPo_, &QLineEdit::returnPressed, this, &frmCourse::countProgress);
    enableOutputs();
}

void frmCourse::showAndRead() {
    showOver(this, &program_.mainForm());
    QTimer::singleShot(0, this, &frmCourse::readBook);
}

std::optional<totals::PeriodState> frmCourse::chosenPeriod(QString& refusal) const {
    const auto option = PeriodOption(period_->currentData().toInt());
    if (option == PeriodOption::None)
        return std::nullopt;
    totals::PeriodState state;
    if (const auto refused = totals::SetPeriod(state, option, program_.today(), txtC_->text(), txtPo_->text()))
        refusal = *refused;
    return state;
}

void frmCourse::readBook() {
    refresh_->setEnabled(false);
    status_->setText(QStringLiteral("Читается лётная книжка (копия, сама книжка не открывается). Ждите."));
    status_->repaint();
    read_ = false;
    progress_.reset();
    entries_.clear();
    course_.clear();
    try {
        for (const auto& [number, description] : program_.database().exercises())
            course_ << totals::CourseExercise{number, description};
        entries_ = logbook::readEntriesCopy(program_.host(), program_.bookPath());
    } catch (const Error& e) {
        log::error(QStringLiteral("the progress through the course"), e);
        table_->setRowCount(0);
        outside_->setRowCount(0);
        status_->setText(QStringLiteral("Выполнение курса не подсчитано: ") + e.description());
        refresh_->setEnabled(true);
        enableOutputs();
        return;
    }
    read_ = true;
    // The types of the whole logbook, in the order they first appear; the one chosen stays chosen.
    const QString chosen = type_->currentText();
    type_->clear();
    for (const totals::Entry& e : entries_) {
        const QString t = e.isRecord() ? e.record.type.trimmed() : QString();
        if (!t.isEmpty() && type_->findText(t) < 0)
            type_->addItem(t);
    }
    if (const int again = type_->findText(chosen); again >= 0)
        type_->setCurrentIndex(again);
    refresh_->setEnabled(true);
    countProgress();
}

void frmCourse::countProgress() {
    if (!read_)
        return;
    progress_.reset();
    QString refusal;
    const auto period = chosenPeriod(refusal);
    if (!refusal.isEmpty()) {
        status_->setText(refusal);
        enableOutputs();
        return;
    }
    periodText_ = totals::pagesPeriodText(period);
    if (type_->count() == 0) {
        table_->setRowCount(0);
        outside_->setRowCount(0);
        status_->setText(QStringLiteral("В лётной книжке нет записей: выполнять курс нечем."));
        enableOutputs();
        return;
    }
    try {
        progress_ = totals::courseProgress(entries_, period, type_->currentText(), course_);
    } catch (const Error& e) {
        log::error(QStringLiteral("the progress through the course"), e);
        table_->setRowCount(0);
        outside_->setRowCount(0);
        status_->setText(QStringLiteral("Выполнение курса не подсчитано: ") + e.description());
        enableOutputs();
        return;
    }
    fillTable(table_, progress_->course);
    fillTable(outside_, progress_->outside);
    outsideCaption_->setText(progress_->outside.isEmpty() ? QStringLiteral("Вне курса ничего не выполнено.")
                                                          : QStringLiteral("Выполнено вне курса:"));
    status_->setText(QStringLiteral("%1, %2. ").arg(progress_->type, periodText_) +
                     totals::courseSummaryLine(*progress_) + u'.');
    enableOutputs();
}

void frmCourse::fillTable(QTableWidget* table, const QList<totals::CourseLine>& lines) {
    table->setRowCount(int(lines.size()));
    for (int i = 0; i < lines.size(); ++i) {
        const totals::CourseLine& l = lines[i];
        const bool flown = l.records > 0;
        const QStringList cells = {QString::number(l.number),
                                   l.description,
                                   flown ? totals::flightsText(l.dayFlights) : QString(),
                                   flown ? totals::flightsText(l.nightFlights) : QString(),
                                   flown ? l.last.toString(QStringLiteral("dd.MM.yyyy")) : QStringLiteral("—"),
                                   totals::courseListsText(l.number)};
        for (int c = 0; c < cells.size(); ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            if (c == 0 || (c >= 2 && c <= 4))
                item->setTextAlignment(Qt::AlignCenter);
            if (flown)
                item->setToolTip(QStringLiteral("Последняя запись в строке %1 лётной книжки").arg(l.lastRow));
            else
                item->setForeground(palette().color(QPalette::Disabled, QPalette::Text));
            table->setItem(i, c, item);
        }
    }
    table->resizeColumnsToContents();
}

void frmCourse::enableOutputs() {
    print_->setEnabled(progress_.has_value());
    pdf_->setEnabled(progress_.has_value());
}

bool frmCourse::makePage(const QString& pdfPath) {
    if (!progress_)
        return false;
    status_->setText(QStringLiteral("Страница готовится в LibreOffice Calc. Ждите."));
    status_->repaint();
    try {
        totals::writeCoursePdf(program_.host(), *progress_, periodText_, pdfPath);
        return true;
    } catch (const Error& e) {
        log::error(QStringLiteral("the page of the course"), e);
        program_.dialogs().message(kCourseTitle, QStringLiteral("Страница не сделана: ") + e.description(),
                                   Dialogs::Icon::Warning);
        status_->setText(QStringLiteral("Страница не сделана."));
        return false;
    }
}

bool frmCourse::printPage() {
    const logbook::files::ScratchDir scratch;
    const QString rendered = scratch.filePath(QStringLiteral("Выполнение курса.pdf"));
    if (!makePage(rendered))
        return false;
    const totals::CoursePrinted printed = totals::printCourse(rendered, program_.bookPath());
    if (printed.printed) {
        status_->setText(QStringLiteral("Страница отправлена на печать."));
        return true;
    }
    const QString text =
        QStringLiteral("Страница не отпечатана") +
        (printed.detail.isEmpty() ? QString() : QStringLiteral(" (") + printed.detail + u')') +
        (printed.kept.isEmpty() ? QStringLiteral(".") : QStringLiteral("; она сохранена в ") + printed.kept + u'.');
    program_.dialogs().message(kCourseTitle, text, Dialogs::Icon::Warning);
    status_->setText(text);
    return false;
}

bool frmCourse::savePdf() {
    const QString file = askFile ? askFile() : QString();
    if (file.isEmpty())
        return false;
    if (const QString why = totals::pdfTargetRefusal(file, program_.bookPath()); !why.isEmpty()) {
        program_.dialogs().message(kCourseTitle, QStringLiteral("Страница не сохранена: ") + why,
                                   Dialogs::Icon::Warning);
        return false;
    }
    if (!makePage(file))
        return false;
    status_->setText(QStringLiteral("Страница сохранена: ") + file);
    return true;
}

} // namespace korv::app
