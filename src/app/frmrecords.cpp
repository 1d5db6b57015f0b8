#include "app/frmrecords.h"

#include "app/frmglavnaja.h"
#include "app/frmsmu.h"
#include "app/program.h"
#include "app/screen_room.h"
#include "app/undo_change.h"
#include "common/error.h"
#include "common/log.h"
#include "flight/input_form.h"
#include "flight/record_form.h"
#include "logbook/book_names.h"
#include "logbook/book_reading.h"
#include "logbook/logbook_change.h"

#include <QAbstractTableModel>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

namespace korv::app {

namespace {

// The table's columns: the record's row, then fields of exportFields by their place there.
struct Column {
    const char* caption;
    int field; // -1: the row
    bool number;
};
const std::array kColumns{
    Column{"Строка", -1, true},
    Column{"Дата", totals::kDateField, false},
    Column{"Тип", totals::kTypeField, false},
    Column{"Д/Н", totals::kDayNightField, false},
    Column{"Место", totals::kSeatField, false},
    Column{"Упражнение", totals::kExerciseField, false},
    Column{"Пол.", totals::kFlightsField, true},
    Column{"Налёт", totals::kTotalField, true},
    Column{"Шторка", totals::kHoodField, true},
    Column{"СМУ", totals::kSmuField, true},
    Column{"Облака", totals::kCloudsField, true},
    Column{"Зах.", totals::kApproachesField, true},
    Column{"Пос.", totals::kLandingsField, true},
    Column{"УМП", totals::kUmpField, true},
};

const QStringList kPeriods = {QStringLiteral("все записи"),     QStringLiteral("текущий месяц"),
                              QStringLiteral("истекший месяц"), QStringLiteral("текущий год"),
                              QStringLiteral("истекший год"),   QStringLiteral("период с … по …")};
const std::array kPeriodOptions{totals::PeriodOption::None,      totals::PeriodOption::CurrentMonth,
                                totals::PeriodOption::LastMonth, totals::PeriodOption::CurrentYear,
                                totals::PeriodOption::LastYear,  totals::PeriodOption::FreePeriod};

const QString kAllTypes = QStringLiteral("все типы");

} // namespace

// The records listed: their fields made once, when listed, so that scrolling through thousands costs nothing.
class RecordsModel : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    void setRecords(const totals::RecordList& list) {
        beginResetModel();
        rows_.clear();
        rows_.reserve(list.records.size());
        for (qsizetype i = 0; i < list.records.size(); ++i) {
            const QStringList& f = list.fields[i];
            QStringList row;
            row.reserve(int(kColumns.size()));
            for (const Column& c : kColumns)
                row << (c.field < 0 ? QString::number(list.records[i].sheetRow()) : f.value(c.field).simplified());
            rows_ << row;
        }
        endResetModel();
    }

    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : int(rows_.size()); }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : int(kColumns.size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid())
            return {};
        if (role == Qt::DisplayRole ||
            (role == Qt::ToolTipRole && kColumns[index.column()].field == totals::kExerciseField))
            return rows_[index.row()][index.column()];
        if (role == Qt::TextAlignmentRole && kColumns[index.column()].number)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
            return QString::fromUtf8(kColumns[section].caption);
        return {};
    }

private:
    QList<QStringList> rows_;
};

frmRecords::frmRecords(Program& program)
    : program_(program), status_(new QLabel(this)), period_(new QComboBox(this)), from_(new QLineEdit(this)),
      to_(new QLineEdit(this)), type_(new QComboBox(this)), exercise_(new QLineEdit(this)),
      table_(new QTableView(this)), model_(new RecordsModel(this)), sums_(new QLabel(this)),
      show_(new QPushButton(QStringLiteral("Показать в Calc"), this)),
      correct_(new QPushButton(QStringLiteral("Исправить…"), this)),
      remove_(new QPushButton(QStringLiteral("Удалить…"), this)) {
    setObjectName(QStringLiteral("frmRecords"));
    setWindowTitle(kRecordsTitle);
    status_->setObjectName(QStringLiteral("lblStatus"));
    status_->setWordWrap(true);
    period_->setObjectName(QStringLiteral("cboPeriod"));
    period_->addItems(kPeriods);
    for (auto [box, name] : {std::pair{from_, "txtC"}, std::pair{to_, "txtPo"}}) {
        box->setObjectName(QString::fromLatin1(name));
        box->setPlaceholderText(QStringLiteral("дд.мм.гг"));
        box->setMaximumWidth(box->fontMetrics().horizontalAdvance(QStringLiteral("00.00.0000")) + 16);
        box->setEnabled(false);
    }
    type_->setObjectName(QStringLiteral("cboType"));
    type_->addItem(kAllTypes);
    type_->addItems(flight::kAircraftTypes);
    exercise_->setObjectName(QStringLiteral("txtExercise"));
    exercise_->setPlaceholderText(QStringLiteral("текст в упражнении"));
    exercise_->setClearButtonEnabled(true);
    table_->setObjectName(QStringLiteral("tblRecords"));
    table_->setModel(model_);
    table_->verticalHeader()->setVisible(false);
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
    table_->horizontalHeader()->setStretchLastSection(false);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setWordWrap(false);
    // The widths from the first rows and those in view: measuring every one of thousands takes longer than
    // the logbook's reading.
    table_->horizontalHeader()->setResizeContentsPrecision(200);
    sums_->setObjectName(QStringLiteral("lblSums"));
    sums_->setWordWrap(true);
    show_->setObjectName(QStringLiteral("cmdShow"));
    correct_->setObjectName(QStringLiteral("cmdCorrect"));
    remove_->setObjectName(QStringLiteral("cmdRemove"));
    auto* undo = new QPushButton(QStringLiteral("Отменить последнее изменение…"), this);
    undo->setObjectName(QStringLiteral("cmdUndo"));
    auto* refresh = new QPushButton(QStringLiteral("Обновить"), this);
    refresh->setObjectName(QStringLiteral("cmdRefresh"));
    auto* close = new QPushButton(QStringLiteral("Закрыть"), this);
    close->setObjectName(QStringLiteral("cmdClose"));

    auto* filter = new QHBoxLayout;
    filter->addWidget(new QLabel(QStringLiteral("Период:"), this));
    filter->addWidget(period_);
    filter->addWidget(new QLabel(QStringLiteral("с"), this));
    filter->addWidget(from_);
    filter->addWidget(new QLabel(QStringLiteral("по"), this));
    filter->addWidget(to_);
    filter->addSpacing(12);
    filter->addWidget(new QLabel(QStringLiteral("Тип:"), this));
    filter->addWidget(type_);
    filter->addSpacing(12);
    filter->addWidget(new QLabel(QStringLiteral("Упражнение:"), this));
    filter->addWidget(exercise_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(show_);
    buttons->addWidget(correct_);
    buttons->addWidget(remove_);
    buttons->addStretch(1);
    buttons->addWidget(undo);
    buttons->addWidget(refresh);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filter);
    layout->addWidget(status_);
    layout->addWidget(table_, 1);
    layout->addWidget(sums_);
    layout->addLayout(buttons);
    resizeWithinScreen(this, {1100, 620});

    connect(period_, &QComboBox::currentIndexChanged, this, [this](int index) {
        const bool free = kPeriodOptions[index] == totals::PeriodOption::FreePeriod;
        from_->setEnabled(free);
        to_->setEnabled(free);
        if (!free || (!from_->text().isEmpty() && !to_->text().isEmpty()))
            applyFilter();
        else
            from_->setFocus();
    });
    connect(from_, &QLineEdit::editingFinished, this, &frmRecords::applyFilter);
    connect(to_, &QLineEdit::editingFinished, this, &frmRecords::applyFilter);
    connect(type_, &QComboBox::currentIndexChanged, this, &frmRecords::applyFilter);
    connect(exercise_, &QLineEdit::textChanged, this, &frmRecords::applyFilter);
    connect(table_, &QTableView::doubleClicked, this, [this](const QModelIndex& i) { showInCalc(i.row()); });
    connect(table_->selectionModel(), &QItemSelectionModel::selectionChanged, this, &frmRecords::updateButtons);
    connect(show_, &QPushButton::clicked, this, [this] { showInCalc(currentIndex()); });
    connect(correct_, &QPushButton::clicked, this, [this] { correct(currentIndex()); });
    connect(remove_, &QPushButton::clicked, this, [this] { remove(currentIndex()); });
    connect(undo, &QPushButton::clicked, this, &frmRecords::undo);
    connect(refresh, &QPushButton::clicked, this, &frmRecords::readLogbook);
    connect(close, &QPushButton::clicked, this, &QWidget::hide);
    updateButtons();
}

frmRecords::~frmRecords() = default;

void frmRecords::showAndRead() {
    showOver(this, &program_.mainForm());
    QTimer::singleShot(0, this, &frmRecords::readLogbook);
}

void frmRecords::setStatus(const QString& text) {
    status_->setText(text);
    status_->setVisible(!text.isEmpty());
}

void frmRecords::readLogbook() {
    setStatus(QStringLiteral("Читается лётная книжка. Ждите."));
    status_->repaint();
    QList<logbook::Entry> entries;
    try {
        // A sheet out of step (a row inserted or deleted by hand) is refused naming the row: its records would
        // be named by rows that are not theirs.
        entries = logbook::readEntriesCopy(program_.host(), program_.bookPath());
    } catch (const Error& e) {
        log::error(QStringLiteral("the records window"), e);
        entries_.clear();
        read_ = false;
        list_ = {};
        model_->setRecords({});
        sums_->clear();
        setStatus(QStringLiteral("Лётная книжка не прочитана: ") + e.description());
        updateButtons();
        return;
    }
    showEntries(entries);
}

void frmRecords::showEntries(const QList<logbook::Entry>& entries) {
    entries_ = entries;
    read_ = true;
    // Types of the logbook the list does not name (an old record, a type typed by hand) can be chosen too.
    for (const logbook::Entry& e : entries_)
        if (e.isRecord() && !e.record.type.trimmed().isEmpty() && type_->findText(e.record.type.trimmed()) < 0)
            type_->addItem(e.record.type.trimmed());
    setStatus({});
    applyFilter();
}

void frmRecords::applyFilter() {
    if (!read_)
        return;
    totals::RecordFilter filter;
    const totals::PeriodOption option = kPeriodOptions[period_->currentIndex()];
    if (option != totals::PeriodOption::None) {
        totals::PeriodState state;
        if (option == totals::PeriodOption::FreePeriod && (from_->text().isEmpty() || to_->text().isEmpty()))
            return; // both dates first
        if (const auto refused = totals::SetPeriod(state, option, program_.today(), from_->text(), to_->text())) {
            setStatus(*refused);
            return;
        }
        filter.period = state;
    }
    if (type_->currentIndex() > 0)
        filter.type = type_->currentText();
    filter.exerciseText = exercise_->text().trimmed();
    try {
        list_ = totals::listRecords(entries_, filter);
        model_->setRecords(list_);
    } catch (const Error& e) {
        // A record the totals would refuse: named, so that the pilot can mend it (the check says more).
        list_ = {};
        model_->setRecords({});
        sums_->clear();
        setStatus(QStringLiteral("Записи не показаны: ") + e.description());
        updateButtons();
        return;
    }
    setStatus({});
    table_->resizeColumnsToContents();
    table_->scrollToBottom(); // the newest last, as the logbook has them
    sums_->setText(totals::sumsLine(list_));
    updateButtons();
}

int frmRecords::currentIndex() const {
    const QModelIndexList rows = table_->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.front().row();
}

void frmRecords::updateButtons() {
    const bool chosen = currentIndex() >= 0;
    show_->setEnabled(chosen);
    correct_->setEnabled(chosen);
    remove_->setEnabled(chosen);
}

logbook::ShownRecord frmRecords::shownOf(int index) const {
    const logbook::Entry& e = list_.records[index];
    return {e.sheetRow(), e.cells};
}

void frmRecords::showInCalc(int index) {
    if (index < 0 || index >= list_.records.size())
        return;
    hide();
    if (!program_.viewLogbook(logbook::kSheet1, &program_.mainForm(),
                              QStringLiteral("A%1").arg(list_.records[index].sheetRow())))
        show();
}

void frmRecords::correct(int index) {
    if (index < 0 || index >= list_.records.size())
        return;
    const logbook::Entry& e = list_.records[index];
    if (!correction_) {
        correction_ = std::make_unique<frmSMU>(program_, frmSMU::Purpose::Correction);
        connect(correction_.get(), &frmSMU::correctionWritten, this, [this](const QString& said) {
            readLogbook();
            setStatus(said);
        });
    } else if (correction_->isVisible() && correction_->holdsUnwrittenShift() &&
               !program_.dialogs().question(smu_text::kQuitTitle, smu_text::kUnwritten, Dialogs::Answer::No)) {
        return;
    }
    correction_->beginCorrection(flight::formOfRecord(e.record, e.cells), shownOf(index));
    showOver(correction_.get(), this);
}

bool frmRecords::remove(int index) {
    if (index < 0 || index >= list_.records.size())
        return false;
    const logbook::Entry& e = list_.records[index];
    const QString question = QStringLiteral("Удалить запись\n%1?\n\nЗаписи ниже поднимутся на её место; заголовок "
                                            "месяца, под которым не останется записей, уйдёт тоже. Прежняя лётная "
                                            "книжка сохранится как резервная копия.")
                                 .arg(totals::recordSummary(e));
    if (!program_.dialogs().question(kRecordsTitle, question, Dialogs::Answer::No))
        return false;
    const QString said = QStringLiteral("Удалена ") + totals::recordSummary(e);
    const logbook::ShownRecord shown = shownOf(index);
    try {
        logbook::ChangeSettings settings = program_.changeSettings(status_);
        const logbook::Removal removal = program_.askingAboutLocks(settings, [&](const logbook::ChangeSettings& s) {
            return logbook::removeShownRecord(program_.host(), program_.bookPath(), shown, s);
        });
        readLogbook();
        setStatus(said);
        if (removal.note)
            program_.dialogs().message(kRecordsTitle, said + QStringLiteral(".\n") + *removal.note,
                                       Dialogs::Icon::Warning);
        return true;
    } catch (const Error& e) {
        log::error(QStringLiteral("the records window: remove"), e);
        const QString why = QStringLiteral("Запись не удалена, лётная книжка не изменена. ") + e.description();
        setStatus(why);
        program_.dialogs().message(kRecordsTitle, why, Dialogs::Icon::Warning);
        return false;
    }
}

bool frmRecords::undo() {
    const bool undone = askAndUndoLastChange(program_, status_);
    if (undone || read_)
        readLogbook();
    return undone;
}

} // namespace korv::app
