#pragma once

// The container window that places one control.

#include "controls/host/control.h"
#include "controls/host/site.h"

#include <QMainWindow>

class QCheckBox;
class QComboBox;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;

// A form-designer stand-in: places one registered control by ProgID on a form, lists its properties
// for editing by name, shows its property dialog, calls AboutBox and saves or loads the control's
// property bag as a text file.
class ContainerWindow : public QMainWindow, public korv::host::ControlSite {
    Q_OBJECT
public:
    explicit ContainerWindow(QWidget* parent = nullptr);
    ~ContainerWindow() override;

    // ControlSite
    std::optional<QFont> ambientFont() const override;
    std::optional<korv::host::OleColor> ambientBackColor() const override;
    void propertyChanged(const QString& name) override;
    void fireEvent(korv::host::DispId id, const QString& name, QVariantList& args) override;

    bool place(const QString& progId);
    bool saveTo(const QString& path);
    bool loadFrom(const QString& path);
    bool putProperty(const QString& name, const QString& text);
    // The property dialog with the control's pages, modal.
    void showProperties();
    korv::host::Control* control() const { return control_; }
    bool isModified() const { return modified_; }
    QString lastError() const { return lastError_; }
    // Errors go to the log only, without a message box (for scripted use and checks).
    void setQuiet(bool q) { quiet_ = q; }

private:
    void removeControl();
    void refreshTable();
    void onCellChanged(int row, int column);
    bool applyEdit(const QString& name, const QString& text);
    void showError(const std::exception& e);
    void log(const QString& line);
    void setModified(bool m);
    void chooseFormColor();

    QComboBox* progIds_;
    QWidget* form_;
    QTableWidget* table_;
    QPlainTextEdit* log_;
    QCheckBox* cancelClicks_;
    QPushButton* propertiesBtn_;
    QSpinBox* width_;
    QSpinBox* height_;
    korv::host::Control* control_ = nullptr;
    korv::host::OleColor formBack_ = 0x8000000F;
    bool filling_ = false;
    bool quiet_ = false;
    QString lastError_;
    bool modified_ = false;
};
