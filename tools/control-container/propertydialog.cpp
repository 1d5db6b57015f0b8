#include "propertydialog.h"

#include "controls/host/controlerror.h"
#include "fontpage.h"

#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

using namespace korv::host;

PropertyDialog::PropertyDialog(Control* control, QWidget* parent) : QDialog(parent), control_(control) {
    const QString progId = control->progId();
    setWindowTitle(QStringLiteral("Свойства: ") + progId.section(QLatin1Char('.'), -1));
    auto* layout = new QVBoxLayout(this);
    tabs_ = new QTabWidget(this);
    layout->addWidget(tabs_);
    buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply, this);
    buttons_->button(QDialogButtonBox::Ok)->setText(QStringLiteral("ОК"));
    buttons_->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Отмена"));
    buttons_->button(QDialogButtonBox::Apply)->setText(QStringLiteral("Применить"));
    buttons_->button(QDialogButtonBox::Apply)->setEnabled(false);
    layout->addWidget(buttons_);
    report_ = [this](const QString& title, const QString& text) { QMessageBox::warning(this, title, text); };

    for (const QString& name : control->propertyPageNames()) {
        PropertyPage* page =
            name == QLatin1String("Font") ? new FontPage(tabs_) : control->createPropertyPage(name, tabs_);
        if (page == nullptr)
            continue;
        page->setPageSite(this);
        pages_ << page;
        tabs_->addTab(page->widget(), page->caption());
    }
    for (PropertyPage* page : pages_)
        page->setSelectedControls({control_});

    connect(buttons_->button(QDialogButtonBox::Ok), &QPushButton::clicked, this, &PropertyDialog::okClicked);
    connect(buttons_->button(QDialogButtonBox::Cancel), &QPushButton::clicked, this, &QDialog::reject);
    connect(buttons_->button(QDialogButtonBox::Apply), &QPushButton::clicked, this, &PropertyDialog::apply);
    connect(tabs_, &QTabWidget::currentChanged, this, &PropertyDialog::currentTabChanged);
}

QPushButton* PropertyDialog::applyButton() const { return buttons_->button(QDialogButtonBox::Apply); }

void PropertyDialog::pageStatusChanged(PropertyPage*) {
    bool any = false;
    for (const PropertyPage* p : pages_)
        any = any || p->changed();
    applyButton()->setEnabled(any);
}

// A page shown again without pending changes is loaded again: the other page may have switched the
// control's look meanwhile, and only the page of the control's own look shows its settings.
void PropertyDialog::currentTabChanged(int index) {
    for (PropertyPage* p : pages_)
        if (p->widget() == tabs_->widget(index) && !p->changed())
            p->SelectionChanged();
}

bool PropertyDialog::apply() {
    bool wrote = false;
    bool ok = true;
    for (PropertyPage* p : pages_) {
        if (!p->changed())
            continue;
        try {
            p->ApplyChanges();
            p->setChanged(false);
            wrote = true;
        } catch (const std::exception& e) {
            const auto* ce = dynamic_cast<const ControlError*>(&e);
            lastError_ = ce != nullptr ? ce->description() : QString::fromUtf8(e.what());
            tabs_->setCurrentWidget(p->widget());
            report_(p->caption(), lastError_);
            ok = false;
            break;
        }
    }
    if (wrote)
        Q_EMIT applied();
    return ok;
}

void PropertyDialog::okClicked() {
    if (apply())
        accept();
}
