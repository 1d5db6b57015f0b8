#include "app/frmsmu.h"

#include "app/icon.h"
#include "app/program.h"
#include "app/screen_room.h"
#include "common/flightdate.h"
#include "flight/input_fields.h"
#include "ui_frmsmu.h"

#include <QCloseEvent>
#include <QFocusEvent>
#include <QIcon>

namespace korv::app {

using flight::InputForm;

namespace {

// The date box's blink: a light red under the dark text, so that the date stays readable in both phases.
const QColor kBlinkRed(255, 150, 150);

// A text box as wide as its longest text in digits, with room for the frame.
void fitToChars(QLineEdit* box, int chars) {
    const QFontMetrics fm(box->font());
    box->setFixedWidth(fm.horizontalAdvance(QLatin1Char('0')) * chars + fm.height());
}

void keepPlaceWhenHidden(QWidget* w) {
    QSizePolicy p = w->sizePolicy();
    p.setRetainSizeWhenHidden(true);
    w->setSizePolicy(p);
}

} // namespace

frmSMU::frmSMU(Program& program, Purpose purpose)
    : QWidget(nullptr), program_(program), purpose_(purpose), ui_(std::make_unique<Ui::frmSMU>()),
      session_(program.database()), writer_(program.host(), program.database(), program.bookPath()) {
    ui_->setupUi(this);
    writer_.settings = program.changeSettings(ui_->lblOgid);
    setWindowIcon(programIcon());
    layOutBoxes();
    bindWidgets();

    QFont waiting = ui_->lblOgid->font();
    waiting.setBold(true);
    waiting.setPointSize(12);
    ui_->lblOgid->setFont(waiting);
    // The larger font needs its line: the layout was made for the designer's one.
    ui_->lblOgid->setMinimumHeight(QFontMetrics(waiting).lineSpacing() + 2);
    QPalette orange = ui_->lblOgid->palette();
    orange.setColor(QPalette::WindowText, QColor(255, 128, 0));
    ui_->lblOgid->setPalette(orange);
    waitingText_ = ui_->lblOgid->text();
    waitingPalette_ = orange;
    waitingFont_ = waiting;
    waitingAlignment_ = ui_->lblOgid->alignment();
    // The status line never widens the form: a text longer than its place is cut, and whole in the tip.
    ui_->lblOgid->setSizePolicy(QSizePolicy::Ignored, ui_->lblOgid->sizePolicy().verticalPolicy());
    keepPlaceWhenHidden(ui_->lblOgid);
    ui_->lblOgid->hide();
    setDateBackground(Qt::white);

    tmrAlarm_.setObjectName(QStringLiteral("tmrAlarm"));
    tmrAlarm_.setInterval(1000);
    connect(&tmrAlarm_, &QTimer::timeout, this, &frmSMU::tmrAlarm_Timer);

    ui_->cboTyp->installEventFilter(this);
    ui_->txtDate->installEventFilter(this);

    connect(ui_->cmdOK, &QPushButton::clicked, this, &frmSMU::cmdOK_Click);
    connect(ui_->cmdWrite, &QPushButton::clicked, this, &frmSMU::cmdWrite_Click);
    connect(ui_->cmdShow, &QPushButton::clicked, this, &frmSMU::cmdShow_Click);
    connect(ui_->cmdChangeDate, &QPushButton::clicked, this, &frmSMU::cmdChangeDate_Click);
    connect(ui_->cmdHelp, &QPushButton::clicked, this, &frmSMU::cmdHelp_Click);
    connect(ui_->cmdQuit, &QPushButton::clicked, this, &frmSMU::cmdQuit_Click);

    // At 120 dpi the form as designed is taller than a 1366×768 screen under a title bar.
    compactToFit(this);
    showForm();
}

frmSMU::~frmSMU() = default;

void frmSMU::layOutBoxes() {
    for (auto [box, chars] : std::initializer_list<std::pair<QLineEdit*, int>>{
             {ui_->txtTpolChas, 2}, {ui_->txtTpolMin, 2},  {ui_->txtZakKab, 4}, {ui_->txtBal, 3},
             {ui_->txtHn, 5},       {ui_->txtHv, 5},       {ui_->txtVidKm, 2},  {ui_->txtVidSm, 2},
             {ui_->txtShtorkaZ, 5}, {ui_->txtShtorkaO, 5}, {ui_->txtHpol, 5},   {ui_->txtHmin, 5},
             {ui_->txtDate, 9},     {ui_->txtPol, 2},      {ui_->txtUpr, 4},    {ui_->txtZah, 2},
             {ui_->txtPos, 2},      {ui_->txtUMP, 2},      {ui_->txtSMU, 5},    {ui_->txtObl, 5},
             {ui_->txtVzl, 2}})
        fitToChars(box, chars);
    ui_->cboTyp->setMinimumContentsLength(7);
    ui_->cboSys->setMinimumContentsLength(6);
    for (QLineEdit* box : {ui_->txtZakKab, ui_->txtUMP, ui_->txtSMU, ui_->txtObl}) {
        box->setAlignment(Qt::AlignCenter);
        keepPlaceWhenHidden(box);
    }
}

void frmSMU::bindWidgets() {
    // Every input of the form by the field table: its widget has the field's name.
    for (const flight::InputField& f : flight::kInputFields) {
        const QString name = QLatin1String(f.name);
        // What the form shows (showForm) is the form's own state, not the pilot's change; a list's text
        // follows the list even while it is filled and its choice emptied (Form_Load).
        const auto textChanged = [this, &f](const QString& text) {
            if (!showing_ || f.kind == flight::FieldKind::List)
                session_.form.*f.text = text;
            if (showing_)
                return;
            inputChanged();
            if (f.refreshes)
                RefreshInputState();
        };
        switch (f.kind) {
        case flight::FieldKind::Text: {
            auto* box = findChild<QLineEdit*>(name);
            Q_ASSERT(box);
            texts_.append({box, f.text});
            box->setText(session_.form.*f.text);
            connect(box, &QLineEdit::textChanged, this, textChanged);
            break;
        }
        case flight::FieldKind::List: {
            auto* list = findChild<QComboBox*>(name);
            Q_ASSERT(list);
            connect(list, &QComboBox::currentTextChanged, this, textChanged);
            break;
        }
        case flight::FieldKind::Option: {
            auto* option = findChild<QRadioButton*>(name);
            Q_ASSERT(option);
            connect(option, &QRadioButton::toggled, this, [this, &f](bool checked) {
                session_.form.*f.option = checked;
                if (showing_)
                    return;
                inputChanged();
                // A click that chooses the option runs the refresh; the option it unchooses does not.
                if (checked && f.refreshes)
                    RefreshInputState();
            });
            break;
        }
        }
    }
    results_ = {{ui_->txtZakKab, &InputForm::txtZakKab},
                {ui_->txtObl, &InputForm::txtObl},
                {ui_->txtSMU, &InputForm::txtSMU},
                {ui_->txtUMP, &InputForm::txtUMP}};
    // The result boxes are ordinary text boxes: what the pilot corrects there is what gets written.
    for (const ResultBinding& b : results_)
        connect(b.box, &QLineEdit::textChanged, this, [this, b](const QString& text) {
            if (!showing_)
                (session_.form.*b.field).text = text;
        });
}

void frmSMU::showForm() {
    showing_ = true;
    InputForm& f = session_.form;
    for (const TextBinding& b : texts_)
        if (b.box->text() != f.*b.field)
            b.box->setText(f.*b.field);
    for (const ResultBinding& b : results_) {
        const flight::ResultBox& r = f.*b.field;
        if (b.box->text() != r.text)
            b.box->setText(r.text);
        b.box->setVisible(r.visible);
    }
    ui_->cmdOK->setEnabled(f.cmdOKEnabled);
    ui_->cmdWrite->setEnabled(f.cmdWriteEnabled);
    showing_ = false;
}

void frmSMU::fillLists() {
    showing_ = true;
    ui_->cboTyp->addItems(flight::kAircraftTypes);
    ui_->cboTyp->setCurrentIndex(-1);
    ui_->cboSys->addItems(flight::kLandingSystems);
    ui_->cboSys->setCurrentIndex(-1);
    showing_ = false;
}

void frmSMU::Form_Load() {
    fillLists();
    AskFlightDate();
    session_.form.cmdWriteEnabled = false;
    showForm();
}

void frmSMU::showChoices() {
    const InputForm f = session_.form; // the widgets' handlers write back into it while they change
    showing_ = true;
    for (auto [list, text] : {std::pair{ui_->cboTyp, f.cboTyp}, std::pair{ui_->cboSys, f.cboSys}}) {
        const int index = list->findText(text);
        list->setCurrentIndex(index);
        if (index < 0 && list->isEditable())
            list->setEditText(text);
    }
    for (auto [option, on] : {std::pair{ui_->optDSMU, f.optDSMU}, std::pair{ui_->optNSMU, f.optNSMU},
                              std::pair{ui_->optForward, f.optForward}, std::pair{ui_->optBack, f.optBack},
                              std::pair{ui_->optPrivate, f.optPrivate}, std::pair{ui_->optTeacher, f.optTeacher},
                              std::pair{ui_->optGavno, f.optGavno}}) {
        // A group with none chosen (a seat the record does not tell) needs its buttons let go one by one.
        option->setAutoExclusive(false);
        option->setChecked(on);
        option->setAutoExclusive(true);
    }
    showing_ = false;
    session_.form = f;
}

void frmSMU::beginCorrection(const flight::RecordForm& record, const logbook::ShownRecord& shown) {
    if (ui_->cboTyp->count() == 0)
        fillLists();
    session_.form = record.form;
    showChoices();
    session_.RefreshInputState();
    session_.form.cmdWriteEnabled = false;
    showForm();
    writer_.correctShownRecord(shown);
    correctionRow_ = shown.row;
    unwritten_ = false;
    setWindowTitle(smu_text::kCorrectionTitle.arg(shown.row));
    correctionNote_ = smu_text::kNotHeld.arg(record.unknown.join(QStringLiteral(", ")));
    showCorrectionNote();
}

void frmSMU::showCorrectionNote() {
    clearStatus();
    // A note, not a warning: the form's own size, dark blue, in the status line's place, until the correction
    // is written.
    QPalette note = waitingPalette_;
    note.setColor(QPalette::WindowText, QColor(0, 0, 140));
    ui_->lblOgid->setPalette(note);
    ui_->lblOgid->setFont(font());
    ui_->lblOgid->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    ui_->lblOgid->setText(correctionNote_);
    ui_->lblOgid->setToolTip(correctionNote_);
    ui_->lblOgid->show();
}

void frmSMU::inputChanged() {
    session_.inputChanged();
    if (purpose_ == Purpose::Correction)
        showCorrectionNote();
    else
        clearStatus();
    ui_->cmdWrite->setEnabled(false);
}

void frmSMU::RefreshInputState() {
    session_.RefreshInputState();
    showForm();
}

void frmSMU::AskFlightDate() {
    const QString today = formatShortDate(program_.today());
    QString date = today;
    if (!program_.dialogs().question(smu_text::kDateTitle, smu_text::kDateQuestion)) {
        for (;;) {
            date =
                program_.dialogs().inputText(smu_text::kDateTitle, smu_text::kDatePrompt + today).value_or(QString());
            // An empty answer is the pilot changing his mind; anything else must be a day of the calendar.
            if (date.trimmed().isEmpty() || parseFlightDate(date.trimmed())) {
                date = date.trimmed();
                break;
            }
            program_.dialogs().message(smu_text::kDateTitle, smu_text::kNoDate.arg(date.left(24), today),
                                       Dialogs::Icon::Warning);
        }
    }
    session_.FlightDate = date;
    ui_->txtDate->setText(date);
    session_.PeriodMonth = date.mid(3, 2);
}

void frmSMU::cboTyp_LostFocus() {
    const bool su24 = ui_->cboTyp->currentText() == smu_text::kSu24;
    ui_->optForward->setText(su24 ? smu_text::kLeft : smu_text::kFront);
    ui_->optBack->setText(su24 ? smu_text::kRight : smu_text::kBack);
}

void frmSMU::cmdOK_Click() {
    session_.today = program_.today();
    program_.dialogs().tell(session_.cmdOK_Click());
    unwritten_ = unwritten_ || session_.form.cmdWriteEnabled;
    showForm();
}

void frmSMU::cmdWrite_Click() {
    if (!session_.form.cmdWriteEnabled)
        return;
    // The write takes a moment (Calc opens, writes and saves the logbook): the label says so at once.
    clearStatus();
    ui_->lblOgid->show();
    repaint();
    const QString date = session_.form.txtDate;
    const QString exercise = session_.form.txtUpr;
    flight::WriteOutcome outcome = writer_.cmdWrite_Click(session_);
    // Another program's lock that cannot be judged from here: the pilot may know it is closed there.
    const bool askedAgain = outcome.unsureLock && program_.closedElsewhere(*outcome.unsureLock, writer_.settings);
    if (askedAgain)
        outcome = writer_.cmdWrite_Click(session_);
    if (!outcome.unsureLock || askedAgain)
        program_.dialogs().tell(outcome.notices);
    const bool written = outcome.written.has_value();
    clearStatus(); // it may have said that another program held the logbook
    showForm();
    if (!written && purpose_ == Purpose::Correction)
        showCorrectionNote();
    if (written) {
        unwritten_ = false;
        if (purpose_ == Purpose::Correction) {
            hide();
            Q_EMIT correctionWritten(smu_text::kCorrected.arg(QString::number(correctionRow_), date, exercise)
                                         .arg(outcome.written->row)
                                         .arg(outcome.written->row + 1));
            return;
        }
        showWritten(*outcome.written, date, exercise);
        startDateBlink();
    }
}

void frmSMU::showWritten(const flight::WrittenRecord& record, const QString& date, const QString& exercise) {
    QPalette green = waitingPalette_;
    green.setColor(QPalette::WindowText, QColor(0, 110, 0));
    ui_->lblOgid->setPalette(green);
    QFont bold = font();
    bold.setBold(true);
    ui_->lblOgid->setFont(bold);
    const QString text = smu_text::kWritten.arg(date, exercise).arg(record.row).arg(record.row + 1);
    ui_->lblOgid->setText(text);
    ui_->lblOgid->setToolTip(text);
    ui_->lblOgid->show();
}

void frmSMU::clearStatus() {
    ui_->lblOgid->hide();
    ui_->lblOgid->setText(waitingText_);
    ui_->lblOgid->setPalette(waitingPalette_);
    ui_->lblOgid->setFont(waitingFont_);
    ui_->lblOgid->setAlignment(waitingAlignment_);
    ui_->lblOgid->setToolTip(QString());
}

void frmSMU::cmdShow_Click() { program_.viewLogbook(logbook::kSheet1, this); }

void frmSMU::cmdChangeDate_Click() { AskFlightDate(); }

void frmSMU::cmdHelp_Click() { program_.showHelp(); }

void frmSMU::cmdQuit_Click() {
    if (!mayLeave())
        return;
    if (purpose_ == Purpose::Correction)
        hide();
    else
        program_.endProgram();
}

bool frmSMU::mayLeave() {
    return !unwritten_ || program_.dialogs().question(smu_text::kQuitTitle, smu_text::kUnwritten, Dialogs::Answer::No);
}

void frmSMU::txtDate_GotFocus() { tmrAlarm_.stop(); }

void frmSMU::startDateBlink() {
    blinkCount_ = 0;
    tmrAlarm_.start();
}

void frmSMU::tmrAlarm_Timer() {
    if (blinkCount_ > 5)
        tmrAlarm_.stop();
    if (blinkCount_ == 0 || blinkCount_ == 2 || blinkCount_ == 4)
        setDateBackground(kBlinkRed);
    else if (blinkCount_ == 1 || blinkCount_ == 3 || blinkCount_ == 5)
        setDateBackground(Qt::white);
    ++blinkCount_;
}

void frmSMU::setDateBackground(const QColor& color) {
    QPalette p = ui_->txtDate->palette();
    p.setColor(QPalette::Base, color);
    ui_->txtDate->setPalette(p);
}

bool frmSMU::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui_->cboTyp && event->type() == QEvent::FocusOut) {
        // The list dropping down or another program taking the screen is no leaving of the box.
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason)
            cboTyp_LostFocus();
    } else if (watched == ui_->txtDate && event->type() == QEvent::FocusIn) {
        txtDate_GotFocus();
    }
    return QWidget::eventFilter(watched, event);
}

void frmSMU::closeEvent(QCloseEvent* event) {
    // Closing the form by its frame is "Выход": with the main form hidden, nothing else could end the
    // program. A shift calculated and not written keeps the form open unless the pilot lets it go.
    if (program_.hasEnded()) {
        event->accept();
        return;
    }
    if (!mayLeave()) {
        event->ignore();
        return;
    }
    event->accept();
    if (purpose_ == Purpose::NewShifts)
        program_.endProgram();
}

} // namespace korv::app
