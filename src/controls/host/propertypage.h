#pragma once

// A control's property page as the container's property dialog drives it.

#include <QList>
#include <QString>

class QWidget;

namespace korv::host {

class Dispatch;
class PropertyPage;

// The property dialog as its pages see it.
class PropertyPageSite {
public:
    virtual ~PropertyPageSite() = default;
    // The page's changed flag was set or cleared; the dialog enables Apply while any page is changed.
    virtual void pageStatusChanged(PropertyPage* page) = 0;
};

// A property page of a control as the container's property dialog drives it. The page edits the first
// control of the selection through its properties, late-bound by name; the dialog hands it the
// selection, asks it to apply when OK or Apply is pressed and enables Apply while the page reports a
// change. A page's widget belongs to the dialog that shows it.
class PropertyPage {
public:
    virtual ~PropertyPage() = default;

    virtual QWidget* widget() = 0;
    virtual QString caption() const = 0;

    // Loads the page from the first selected control and ends with the changed flag cleared.
    virtual void SelectionChanged() = 0;
    // Writes the page into the first selected control. A page that finds its own texts unusable fails
    // with a ControlError whose description tells the user why, before it writes anything.
    virtual void ApplyChanges() = 0;

    void setPageSite(PropertyPageSite* site) { site_ = site; }
    void setSelectedControls(const QList<Dispatch*>& controls) {
        selected_ = controls;
        SelectionChanged();
    }
    const QList<Dispatch*>& SelectedControls() const { return selected_; }
    // The first control of the selection, the one the page edits; nullptr when nothing is selected.
    Dispatch* firstSelected() const { return selected_.isEmpty() ? nullptr : selected_.front(); }

    bool changed() const { return changed_; }
    void setChanged(bool c) {
        changed_ = c;
        if (site_ != nullptr)
            site_->pageStatusChanged(this);
    }

private:
    PropertyPageSite* site_ = nullptr;
    QList<Dispatch*> selected_;
    bool changed_ = false;
};

} // namespace korv::host
