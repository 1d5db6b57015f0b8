#pragma once

// frmSMU, the flight-shift input form.

#include "flight/record_form.h"
#include "flight/record_writer.h"
#include "flight/shift_calculation.h"

#include <QTimer>
#include <QWidget>

#include <memory>

class QLineEdit;
class QRadioButton;

namespace Ui {
class frmSMU;
}

namespace korv::app {

class Program;

// The flight-shift input form. Its widgets mirror the form state of the calculation (ShiftSession::form):
// every edit is copied into it as it happens, and after "Считать" and "Записать" the state is shown
// again. The waiting label and the date blink are the form's own.
class frmSMU : public QWidget {
    Q_OBJECT
public:
    // NewShifts: the program's input form, whose "Выход" ends the program. Correction: a form of the records
    // window that corrects one record and closes.
    enum class Purpose { NewShifts, Correction };

    explicit frmSMU(Program& program, Purpose purpose = Purpose::NewShifts);
    ~frmSMU() override;

    Ui::frmSMU& ui() { return *ui_; }
    flight::ShiftSession& session() { return session_; }
    QTimer& tmrAlarm() { return tmrAlarm_; }
    int blinkCount() const { return blinkCount_; }

    void Form_Load();
    // Runs on every change of the type, the flight time, the cloud amount and base, the maximum
    // altitude, the hood heights, the visibility in km, and on a click on day, night or a seat.
    void RefreshInputState();
    // Any change of an input after "Считать": "Записать" waits for the next one.
    void inputChanged();
    // Asks whether the flights were today, else for their date until a calendar date or nothing (a
    // cancelled question) is given.
    void AskFlightDate();
    void cboTyp_LostFocus();
    void cmdOK_Click();
    void cmdWrite_Click();
    void cmdShow_Click();
    void cmdChangeDate_Click();
    void cmdHelp_Click();
    void cmdQuit_Click();
    void txtDate_GotFocus();
    void tmrAlarm_Timer();

    // After a write: the date box blinks red and white three times to remind the pilot of the date.
    void startDateBlink();
    // Whether a shift was calculated and not written since ("Выход" asks before it is lost).
    bool holdsUnwrittenShift() const { return unwritten_; }

    // A correction form: the boxes filled with the record's values, "Записать" replacing the record `shown`
    // (refused when the logbook no longer holds it as shown); what the record does not hold is said.
    void beginCorrection(const flight::RecordForm& record, const logbook::ShownRecord& shown);
    Purpose purpose() const { return purpose_; }

Q_SIGNALS:
    // A correction form: the record was corrected (what the status says), and the form closed.
    void correctionWritten(const QString& said);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    struct TextBinding {
        QLineEdit* box;
        QString flight::InputForm::*field;
    };
    struct ResultBinding {
        QLineEdit* box;
        flight::ResultBox flight::InputForm::*field;
    };

    void bindWidgets();
    void fillLists();
    // The form state's options and lists onto their widgets (showForm shows the text boxes).
    void showChoices();
    void layOutBoxes();
    // The form state onto the widgets, without running the change handlers.
    void showForm();
    void setDateBackground(const QColor& color);
    // Leaving the form: true at once with nothing unwritten, else as the pilot answers (No keeps the form).
    bool mayLeave();
    // The status line says where the shift went, until the next input.
    void showWritten(const flight::WrittenRecord& record, const QString& date, const QString& exercise);
    // A correction form: what the record does not hold, in the status line until the correction is written.
    void showCorrectionNote();
    void clearStatus();

    Program& program_;
    Purpose purpose_;
    int correctionRow_ = 0; // the row a correction form corrects
    QString correctionNote_;
    std::unique_ptr<Ui::frmSMU> ui_;
    flight::ShiftSession session_;
    flight::ShiftWriter writer_;
    QTimer tmrAlarm_;
    qint16 blinkCount_ = 0;
    bool unwritten_ = false;
    QString waitingText_;
    QPalette waitingPalette_;
    QFont waitingFont_;
    Qt::Alignment waitingAlignment_;
    bool showing_ = false;
    QList<TextBinding> texts_;
    QList<ResultBinding> results_;
};

namespace smu_text {
inline const QString kDateTitle = flight::text::kDateTitle;
inline const QString kDateQuestion = QStringLiteral("Полёты выполнялись сегодня?");
inline const QString kDatePrompt = QStringLiteral("Введите дату полётов по образцу ");
inline const QString kNoDate = flight::text::kNoDate;
inline const QString kQuitTitle = QStringLiteral("Выход");
inline const QString kUnwritten = QStringLiteral("Смена не записана. Выйти без записи?");
// The status line after "Записать": the date, the exercise and the rows of the record.
inline const QString kWritten = QStringLiteral("Записано: %1, упр. %2, строки %3–%4");
inline const QString kCorrectionTitle = QStringLiteral("Исправление записи строки %1");
inline const QString kCorrected = QStringLiteral("Исправлена запись строки %1: теперь %2, упр. %3, строки %4–%5");
inline const QString kNotHeld = QStringLiteral("В записи нет: %1");
inline const QString kSu24 = QStringLiteral("Су-24");
inline const QString kFront = QStringLiteral("переднее");
inline const QString kBack = QStringLiteral("заднее");
inline const QString kLeft = QStringLiteral("левое");
inline const QString kRight = QStringLiteral("правое");
} // namespace smu_text

} // namespace korv::app
