#include "app/frmpages.h"

#include "app/program.h"
#include "app/russian.h"
#include "bookfiles/scratch_dir.h"
#include "common/error.h"
#include "common/log.h"
#include "totals/logbook_pages.h"
#include "totals/printing.h"
#include "totals/totals_run.h"

#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QVBoxLayout>

namespace korv::app {

frmPages::frmPages(Program& program)
    : program_(program), curMonth_(new QRadioButton(QStringLiteral("текущий месяц"), this)),
      lastMonth_(new QRadioButton(QStringLiteral("истекший месяц"), this)),
      curYear_(new QRadioButton(QStringLiteral("текущий год"), this)),
      lastYear_(new QRadioButton(QStringLiteral("истекший год"), this)),
      period_(new QRadioButton(QStringLiteral("период с"), this)),
      all_(new QRadioButton(QStringLiteral("вся лётная книжка"), this)), txtC_(new QLineEdit(this)),
      txtPo_(new QLineEdit(this)), status_(new QLabel(this)), print_(new QPushButton(QStringLiteral("Печать"), this)),
      pdf_(new QPushButton(QStringLiteral("Сохранить PDF…"), this)) {
    setObjectName(QStringLiteral("frmPages"));
    setWindowTitle(kPagesTitle);
    curMonth_->setObjectName(QStringLiteral("optCurMonth"));
    lastMonth_->setObjectName(QStringLiteral("optLastMonth"));
    curYear_->setObjectName(QStringLiteral("optCurYear"));
    lastYear_->setObjectName(QStringLiteral("optLastYear"));
    period_->setObjectName(QStringLiteral("optPeriod"));
    all_->setObjectName(QStringLiteral("optAll"));
    txtC_->setObjectName(QStringLiteral("txtC"));
    txtPo_->setObjectName(QStringLiteral("txtPo"));
    status_->setObjectName(QStringLiteral("lblStatus"));
    status_->setWordWrap(true);
    print_->setObjectName(QStringLiteral("cmdPrint"));
    pdf_->setObjectName(QStringLiteral("cmdPdf"));
    curMonth_->setChecked(true);
    for (QLineEdit* date : {txtC_, txtPo_}) {
        date->setMaxLength(10);
        date->setPlaceholderText(QStringLiteral("24.09.04"));
        date->setFixedWidth(date->fontMetrics().horizontalAdvance(QStringLiteral("00.00.0000")) + 16);
        connect(date, &QLineEdit::textEdited, this, [this] { period_->setChecked(true); });
    }
    auto* cancel = new QPushButton(QStringLiteral("Отмена"), this);
    cancel->setObjectName(QStringLiteral("cmdCancel"));

    auto* choices = new QGridLayout;
    choices->addWidget(curMonth_, 0, 0);
    choices->addWidget(lastMonth_, 1, 0);
    choices->addWidget(curYear_, 2, 0);
    choices->addWidget(lastYear_, 3, 0);
    auto* free = new QHBoxLayout;
    free->addWidget(period_);
    free->addWidget(txtC_);
    free->addWidget(new QLabel(QStringLiteral("по"), this));
    free->addWidget(txtPo_);
    free->addStretch(1);
    choices->addLayout(free, 4, 0);
    choices->addWidget(all_, 5, 0);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(print_);
    buttons->addWidget(pdf_);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Страницы лётной книжки за:"), this));
    layout->addLayout(choices);
    layout->addWidget(status_);
    layout->addLayout(buttons);

    askFile = [this] {
        return askSaveFileName(this, QStringLiteral("Сохранить страницы лётной книжки"),
                               QDir(program_.bookDir()).filePath(QStringLiteral("Страницы.pdf")),
                               QStringLiteral("Документ PDF (*.pdf)"));
    };
    connect(print_, &QPushButton::clicked, this, &frmPages::printPages);
    connect(pdf_, &QPushButton::clicked, this, &frmPages::savePdf);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

std::optional<totals::PeriodState> frmPages::chosenPeriod(QString& refusal) const {
    refusal.clear();
    if (all_->isChecked())
        return std::nullopt;
    using totals::PeriodOption;
    const PeriodOption option = curMonth_->isChecked()    ? PeriodOption::CurrentMonth
                                : lastMonth_->isChecked() ? PeriodOption::LastMonth
                                : curYear_->isChecked()   ? PeriodOption::CurrentYear
                                : lastYear_->isChecked()  ? PeriodOption::LastYear
                                                          : PeriodOption::FreePeriod;
    totals::PeriodState state;
    if (const auto refused = totals::SetPeriod(state, option, program_.today(), txtC_->text(), txtPo_->text()))
        refusal = *refused;
    return state;
}

bool frmPages::makePages(const QString& pdfPath) {
    QString refusal;
    const auto period = chosenPeriod(refusal);
    if (!refusal.isEmpty()) {
        program_.dialogs().message(totals::kPeriodTitle, refusal, Dialogs::Icon::Warning);
        return false;
    }
    print_->setEnabled(false);
    pdf_->setEnabled(false);
    status_->setText(QStringLiteral("Готовятся страницы (из копии лётной книжки). Ждите."));
    status_->repaint();
    const auto done = [this] {
        print_->setEnabled(true);
        pdf_->setEnabled(true);
    };
    try {
        const totals::PagesOutcome outcome =
            totals::writeLogbookPages(program_.host(), program_.bookPath(), period, pdfPath);
        done();
        if (outcome.end == totals::PagesEnd::EmptyLogbook) {
            status_->clear();
            program_.dialogs().message(totals::text::kEmptyTitle, totals::text::kEmpty, Dialogs::Icon::Information);
            return false;
        }
        if (outcome.end == totals::PagesEnd::NoRecords) {
            status_->clear();
            program_.dialogs().message(totals::text::kNoRecordsTitle, totals::text::kNoRecords,
                                       Dialogs::Icon::Information);
            return false;
        }
        status_->setText(QStringLiteral("Записей на страницах: %1.").arg(outcome.records));
        return true;
    } catch (const Error& e) {
        done();
        log::error(QStringLiteral("the logbook's pages"), e);
        status_->setText(QStringLiteral("Страницы не сделаны."));
        program_.dialogs().message(kPagesTitle, QStringLiteral("Страницы не сделаны: ") + e.description(),
                                   Dialogs::Icon::Warning);
        return false;
    }
}

bool frmPages::printPages() {
    logbook::files::ScratchDir scratch;
    const QString rendered = scratch.filePath(QStringLiteral("Страницы лётной книжки.pdf"));
    if (!makePages(rendered))
        return false;
    const totals::PagesPrinted printed = totals::printPages(rendered, program_.bookPath());
    if (printed.printed) {
        status_->setText(status_->text() + QStringLiteral(" Отправлены на печать."));
        return true;
    }
    log::error(QStringLiteral("the logbook's pages"), Error(Error::FileAccess, printed.detail));
    program_.dialogs().message(
        totals::text::kPrinterTitle,
        printed.kept.isEmpty() ? QStringLiteral("Страницы не отпечатаны.")
                               : QStringLiteral("Страницы не отпечатаны. Они сохранены в файле %1.").arg(printed.kept),
        Dialogs::Icon::Warning);
    return false;
}

bool frmPages::savePdf() {
    const QString file = askFile ? askFile() : QString();
    if (file.isEmpty())
        return false;
    if (const QString why = totals::pdfTargetRefusal(file, program_.bookPath()); !why.isEmpty()) {
        program_.dialogs().message(kPagesTitle, QStringLiteral("Страницы не сохранены: ") + why,
                                   Dialogs::Icon::Warning);
        return false;
    }
    if (!makePages(file))
        return false;
    status_->setText(status_->text() + QStringLiteral(" Сохранены в ") + file + u'.');
    return true;
}

} // namespace korv::app
