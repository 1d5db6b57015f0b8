#pragma once

// The property dialog of a placed control.

#include "controls/host/control.h"
#include "controls/host/propertypage.h"

#include <QDialog>
#include <QList>

#include <functional>

class QDialogButtonBox;
class QPushButton;
class QTabWidget;

// The property dialog of a placed control: the control's own pages in the order it names them, the
// container's standard font page where it names "Font", and OK, Cancel and Apply. Apply is enabled
// while any page reports a change; OK applies the changed pages and closes, Cancel closes.
class PropertyDialog : public QDialog, public korv::host::PropertyPageSite {
    Q_OBJECT
public:
    PropertyDialog(korv::host::Control* control, QWidget* parent = nullptr);

    void pageStatusChanged(korv::host::PropertyPage* page) override;

    const QList<korv::host::PropertyPage*>& pages() const { return pages_; }
    QTabWidget* tabs() const { return tabs_; }
    QPushButton* applyButton() const;

    // ApplyChanges for every changed page, in the order of the tabs. A page that refuses stays changed
    // and becomes the current tab; its reason is shown. Returns whether every page applied.
    bool apply();
    void okClicked();

    QString lastError() const { return lastError_; }
    // Replaces the message box that shows a refusal (for scripted use and checks).
    void setErrorReporter(std::function<void(const QString& title, const QString& text)> f) { report_ = std::move(f); }

Q_SIGNALS:
    // Some page wrote into the control.
    void applied();

private:
    void currentTabChanged(int index);

    korv::host::Control* control_;
    QTabWidget* tabs_;
    QDialogButtonBox* buttons_;
    QList<korv::host::PropertyPage*> pages_;
    QString lastError_;
    std::function<void(const QString&, const QString&)> report_;
};
