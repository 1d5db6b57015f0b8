#include "containerwindow.h"

#include "bagtextfile.h"
#include "controls/host/controlerror.h"
#include "controls/host/createcontrol.h"
#include "controls/host/registry.h"
#include "propertydialog.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

using namespace korv::host;

namespace {
constexpr int kTwipsPerPixel = 15;
} // namespace

ContainerWindow::ContainerWindow(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(QStringLiteral("control-container"));
    auto* central = new QWidget(this);
    auto* outer = new QVBoxLayout(central);

    auto* top = new QHBoxLayout;
    progIds_ = new QComboBox(central);
    progIds_->setEditable(true);
    progIds_->addItems(Registry().registeredProgIds());
    auto* placeBtn = new QPushButton(QStringLiteral("Поместить"), central);
    auto* aboutBtn = new QPushButton(QStringLiteral("AboutBox"), central);
    propertiesBtn_ = new QPushButton(QStringLiteral("Свойства…"), central);
    propertiesBtn_->setObjectName(QStringLiteral("cmdProperties"));
    propertiesBtn_->setEnabled(false);
    auto* saveBtn = new QPushButton(QStringLiteral("Сохранить…"), central);
    auto* loadBtn = new QPushButton(QStringLiteral("Загрузить…"), central);
    auto* colorBtn = new QPushButton(QStringLiteral("Фон формы…"), central);
    top->addWidget(new QLabel(QStringLiteral("ProgID:"), central));
    top->addWidget(progIds_, 1);
    for (QPushButton* b : {placeBtn, propertiesBtn_, aboutBtn, saveBtn, loadBtn, colorBtn})
        top->addWidget(b);
    outer->addLayout(top);

    auto* sizeRow = new QHBoxLayout;
    width_ = new QSpinBox(central);
    height_ = new QSpinBox(central);
    width_->setRange(1, 2000);
    height_->setRange(1, 2000);
    width_->setValue(240);
    height_->setValue(28);
    cancelClicks_ = new QCheckBox(QStringLiteral("Clicked: Cancel = True"), central);
    sizeRow->addWidget(new QLabel(QStringLiteral("Ширина, пикселей:"), central));
    sizeRow->addWidget(width_);
    sizeRow->addWidget(new QLabel(QStringLiteral("Высота:"), central));
    sizeRow->addWidget(height_);
    sizeRow->addStretch(1);
    sizeRow->addWidget(cancelClicks_);
    outer->addLayout(sizeRow);

    auto* split = new QSplitter(Qt::Horizontal, central);
    form_ = new QWidget(split);
    form_->setObjectName(QStringLiteral("form"));
    form_->setMinimumSize(320, 200);
    form_->setAutoFillBackground(true);
    table_ = new QTableWidget(0, 3, split);
    table_->setObjectName(QStringLiteral("properties"));
    table_->setHorizontalHeaderLabels({QStringLiteral("Свойство"), QStringLiteral("Значение"), QStringLiteral("Тип")});
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->verticalHeader()->hide();
    outer->addWidget(split, 1);
    log_ = new QPlainTextEdit(central);
    log_->setReadOnly(true);
    log_->setMaximumHeight(120);
    outer->addWidget(log_);
    setCentralWidget(central);
    resize(900, 560);

    connect(placeBtn, &QPushButton::clicked, this, [this] { place(progIds_->currentText().trimmed()); });
    connect(aboutBtn, &QPushButton::clicked, this, [this] {
        if (control_ == nullptr)
            return;
        try {
            control_->invokeByName(QStringLiteral("AboutBox"));
        } catch (const std::exception& e) {
            showError(e);
        }
    });
    connect(propertiesBtn_, &QPushButton::clicked, this, &ContainerWindow::showProperties);
    connect(saveBtn, &QPushButton::clicked, this, [this] {
        const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Сохранить свойства"), {},
                                                          QStringLiteral("Свойства (*.bag *.txt)"));
        if (!path.isEmpty())
            saveTo(path);
    });
    connect(loadBtn, &QPushButton::clicked, this, [this] {
        const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Загрузить свойства"), {},
                                                          QStringLiteral("Свойства (*.bag *.txt);;Все файлы (*)"));
        if (!path.isEmpty())
            loadFrom(path);
    });
    connect(colorBtn, &QPushButton::clicked, this, &ContainerWindow::chooseFormColor);
    auto resizeControl = [this] {
        if (control_ != nullptr)
            control_->widget()->resize(width_->value(), height_->value());
    };
    connect(width_, &QSpinBox::valueChanged, this, resizeControl);
    connect(height_, &QSpinBox::valueChanged, this, resizeControl);
    connect(table_, &QTableWidget::cellChanged, this, &ContainerWindow::onCellChanged);
}

ContainerWindow::~ContainerWindow() { removeControl(); }

std::optional<QFont> ContainerWindow::ambientFont() const { return form_->font(); }

std::optional<OleColor> ContainerWindow::ambientBackColor() const { return formBack_; }

void ContainerWindow::propertyChanged(const QString& name) {
    log(QStringLiteral("PropertyChanged \"") + name + QLatin1Char('"'));
    setModified(true);
}

void ContainerWindow::fireEvent(DispId id, const QString& name, QVariantList& args) {
    QStringList shown;
    for (const QVariant& a : args)
        shown << container::valueToText(a);
    log(QStringLiteral("Событие ") + name + QStringLiteral(" (") + QString::number(id) + QStringLiteral("): ") +
        shown.join(QStringLiteral(", ")));
    // The last by-reference argument of Clicked is Cancel.
    if (name == QLatin1String("Clicked") && args.size() == 2 && cancelClicks_->isChecked())
        args[1] = true;
}

void ContainerWindow::log(const QString& line) { log_->appendPlainText(line); }

void ContainerWindow::setModified(bool m) {
    modified_ = m;
    setWindowTitle(QStringLiteral("control-container") + (m ? QStringLiteral(" *") : QString()));
}

void ContainerWindow::showError(const std::exception& e) {
    QString text = QString::fromUtf8(e.what());
    if (const auto* ce = dynamic_cast<const ControlError*>(&e))
        text = QString::number(ce->number()) + QStringLiteral(": ") + ce->description();
    lastError_ = text;
    log(QStringLiteral("Ошибка ") + text);
    if (!quiet_)
        QMessageBox::critical(this, QStringLiteral("Ошибка"), text);
}

void ContainerWindow::removeControl() {
    if (control_ == nullptr)
        return;
    delete control_->widget();
    control_ = nullptr;
    table_->setRowCount(0);
}

bool ContainerWindow::place(const QString& progId) {
    removeControl();
    try {
        control_ = CreateControl(progId, this, form_);
        control_->initProperties();
        QWidget* w = control_->widget();
        w->move(12, 12);
        w->resize(width_->value(), height_->value());
        w->show();
        progIds_->setCurrentText(progId);
        log(QStringLiteral("Поставлен ") + progId);
        refreshTable();
        setModified(false);
        return true;
    } catch (const std::exception& e) {
        control_ = nullptr;
        showError(e);
        return false;
    }
}

bool ContainerWindow::saveTo(const QString& path) {
    if (control_ == nullptr)
        return false;
    try {
        MemoryPropertyBag bag;
        bag.set(container::kProgIdEntry, control_->progId());
        bag.set(container::kExtentXEntry, QVariant::fromValue<int>(control_->widget()->width() * kTwipsPerPixel));
        bag.set(container::kExtentYEntry, QVariant::fromValue<int>(control_->widget()->height() * kTwipsPerPixel));
        control_->writeProperties(bag);
        container::saveBagFile(path, bag);
        log(QStringLiteral("Сохранено в ") + path);
        setModified(false);
        return true;
    } catch (const std::exception& e) {
        showError(e);
        return false;
    }
}

bool ContainerWindow::loadFrom(const QString& path) {
    try {
        const MemoryPropertyBag bag = container::loadBagFile(path);
        const QString progId = bag.value(container::kProgIdEntry).toString();
        removeControl();
        control_ = CreateControl(progId, this, form_);
        QWidget* w = control_->widget();
        w->move(12, 12);
        const int wx = bag.value(container::kExtentXEntry).toInt() / kTwipsPerPixel;
        const int hy = bag.value(container::kExtentYEntry).toInt() / kTwipsPerPixel;
        if (wx > 0 && hy > 0) {
            const QSignalBlocker b1(width_), b2(height_);
            width_->setValue(wx);
            height_->setValue(hy);
        }
        w->resize(width_->value(), height_->value());
        control_->readProperties(bag);
        w->show();
        progIds_->setCurrentText(progId);
        log(QStringLiteral("Загружено из ") + path);
        refreshTable();
        setModified(false);
        return true;
    } catch (const std::exception& e) {
        showError(e);
        refreshTable();
        return false;
    }
}

void ContainerWindow::refreshTable() {
    propertiesBtn_->setEnabled(control_ != nullptr && !control_->propertyPageNames().isEmpty());
    filling_ = true;
    table_->setRowCount(0);
    if (control_ != nullptr) {
        for (const MemberInfo& m : control_->members()) {
            if (m.kind != MemberInfo::Kind::Property)
                continue;
            const int row = table_->rowCount();
            table_->insertRow(row);
            auto* name = new QTableWidgetItem(m.name);
            name->setFlags(Qt::ItemIsEnabled);
            name->setToolTip(m.helpString);
            QString shown;
            try {
                const QVariant v = control_->get(m.id);
                if (v.typeId() == QMetaType::QFont)
                    shown = v.value<QFont>().toString();
                else if (v.typeId() == QMetaType::QImage)
                    shown = QStringLiteral("(%1×%2)").arg(v.value<QImage>().width()).arg(v.value<QImage>().height());
                else if (v.typeId() == QMetaType::UInt)
                    shown = QStringLiteral("&H%1").arg(v.toUInt(), 8, 16, QLatin1Char('0')).toUpper();
                else if (v.typeId() == QMetaType::Bool)
                    shown = v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
                else
                    shown = v.toString();
            } catch (const std::exception& e) {
                shown = QString::fromUtf8(e.what());
            }
            auto* value = new QTableWidgetItem(shown);
            value->setToolTip(m.byReference ? QStringLiteral("Шрифт: текст QFont; картинка: имя файла или пусто")
                                            : m.helpString);
            auto* type = new QTableWidgetItem(m.type);
            type->setFlags(Qt::ItemIsEnabled);
            table_->setItem(row, 0, name);
            table_->setItem(row, 1, value);
            table_->setItem(row, 2, type);
        }
    }
    table_->resizeColumnsToContents();
    filling_ = false;
}

void ContainerWindow::onCellChanged(int row, int column) {
    if (filling_ || control_ == nullptr || column != 1)
        return;
    applyEdit(table_->item(row, 0)->text(), table_->item(row, 1)->text());
    // The table still holds the editor that sent this change; it is rebuilt once the edit has ended.
    QMetaObject::invokeMethod(this, &ContainerWindow::refreshTable, Qt::QueuedConnection);
}

bool ContainerWindow::putProperty(const QString& name, const QString& text) {
    const bool ok = applyEdit(name, text);
    refreshTable();
    return ok;
}

bool ContainerWindow::applyEdit(const QString& name, const QString& text) {
    if (control_ == nullptr)
        return false;
    bool ok = true;
    try {
        const MemberInfo m = control_->memberInfo(control_->idOfName(name));
        // A picture is named by its file; the shown "(w×h)" puts the same picture again, and an empty
        // text removes it. Every other value goes as text and the control converts it.
        const QVariant v = (m.type == QLatin1String("Picture") && text.startsWith(QLatin1Char('(')))
                               ? control_->get(m.id)
                               : QVariant(text);
        control_->putByName(name, v);
    } catch (const std::exception& e) {
        showError(e);
        ok = false;
    }
    return ok;
}

void ContainerWindow::chooseFormColor() {
    const QColor c = QColorDialog::getColor(form_->palette().color(QPalette::Window), this);
    if (!c.isValid())
        return;
    QPalette pal = form_->palette();
    pal.setColor(QPalette::Window, c);
    form_->setPalette(pal);
    formBack_ = oleFromQColor(c);
    if (control_ != nullptr) {
        control_->ambientPropertyChanged(QStringLiteral("BackColor"));
        refreshTable();
    }
}

void ContainerWindow::showProperties() {
    if (control_ == nullptr || control_->propertyPageNames().isEmpty())
        return;
    PropertyDialog dlg(control_, this);
    connect(&dlg, &PropertyDialog::applied, this, &ContainerWindow::refreshTable);
    dlg.exec();
    // The pages may have switched the control's look at once, without Apply.
    refreshTable();
}
