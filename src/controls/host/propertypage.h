#pragma once

#include <QList>
#include <QString>

class QWidget;

namespace korv::host {

class Dispatch;

// A property page of a control as the container's property dialog drives it. The page edits the first
// control of the selection through its properties, late-bound by name; the dialog asks it to apply
// when OK or Apply is pressed and enables Apply while the page reports a change.
class PropertyPage {
public:
    virtual ~PropertyPage() = default;

    virtual QWidget* widget() = 0;
    virtual QString caption() const = 0;

    virtual void selectionChanged(const QList<Dispatch*>& selected) = 0;
    virtual void applyChanges() = 0;

    bool changed() const { return changed_; }
    void setChanged(bool c) { changed_ = c; }

private:
    bool changed_ = false;
};

} // namespace korv::host
