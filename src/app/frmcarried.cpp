#include "app/frmcarried.h"

#include "app/program.h"
#include "app/screen_room.h"
#include "bookfiles/atomic_file.h"
#include "bookfiles/backups.h"
#include "common/error.h"
#include "common/log.h"
#include "totals/period.h"

#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace korv::app {

namespace {

using totals::CarriedKey;
using totals::CarriedType;

QString rowCaption(CarriedKey key) {
    QString name = totals::carriedKeyText(key);
    name[0] = name[0].toUpper();
    return totals::isTimeKey(key) ? name + QStringLiteral(" (ч:мм)") : name;
}

} // namespace

frmCarried::frmCarried(Program& program)
    : program_(program), intro_(new QLabel(this)), type_(new QComboBox(this)), table_(new QTableWidget(this)),
      status_(new QLabel(this)), remove_(new QPushButton(QStringLiteral("Удалить тип"), this)),
      save_(new QPushButton(QStringLiteral("Сохранить"), this)) {
    setObjectName(QStringLiteral("frmCarried"));
    setWindowTitle(kCarriedWindowTitle);
    intro_->setObjectName(QStringLiteral("lblIntro"));
    intro_->setWordWrap(true);
    intro_->setText(QStringLiteral("Налёт до начала ведения лётной книжки, по типам. Итоги «%1» прибавляют его к "
                                   "записям книжки. «В т.ч. ночью» — часть, налётанная ночью, остальное считается "
                                   "дневным.")
                        .arg(totals::kSinceStartText));
    type_->setObjectName(QStringLiteral("cboType"));
    type_->setMinimumContentsLength(14);
    type_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    auto* add = new QPushButton(QStringLiteral("Добавить тип…"), this);
    add->setObjectName(QStringLiteral("cmdAddType"));
    remove_->setObjectName(QStringLiteral("cmdRemoveType"));

    table_->setObjectName(QStringLiteral("tblValues"));
    table_->setColumnCount(2);
    table_->setRowCount(totals::kCarriedKeys);
    table_->setHorizontalHeaderLabels({QStringLiteral("Всего"), QStringLiteral("в т.ч. ночью")});
    QStringList rows;
    for (const CarriedKey k : totals::kAllCarriedKeys)
        rows << rowCaption(k);
    table_->setVerticalHeaderLabels(rows);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    table_->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    // Every row in view: nine lines are read at a glance, and a scroll bar would hide the last.
    table_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    table_->setMinimumHeight(table_->horizontalHeader()->sizeHint().height() +
                             totals::kCarriedKeys * (table_->fontMetrics().height() + 10) + 4);

    status_->setObjectName(QStringLiteral("lblStatus"));
    status_->setWordWrap(true);
    status_->setMinimumHeight(2 * status_->fontMetrics().lineSpacing());
    save_->setObjectName(QStringLiteral("cmdSave"));
    auto* close = new QPushButton(QStringLiteral("Закрыть"), this);
    close->setObjectName(QStringLiteral("cmdClose"));

    auto* typeRow = new QHBoxLayout;
    typeRow->addWidget(new QLabel(QStringLiteral("Тип:"), this));
    typeRow->addWidget(type_, 1);
    typeRow->addWidget(add);
    typeRow->addWidget(remove_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(save_);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro_);
    layout->addLayout(typeRow);
    layout->addWidget(table_, 1);
    layout->addWidget(status_);
    layout->addLayout(buttons);
    resizeWithinScreen(this, {560, sizeHint().height()});

    connect(type_, &QComboBox::activated, this, [this](int index) {
        if (const auto refused = takeTable()) {
            // The type stays until what was typed for it can be kept.
            type_->setCurrentIndex(shown_);
            setStatus(*refused, true);
            return;
        }
        showType(index);
    });
    connect(add, &QPushButton::clicked, this, &frmCarried::cmdAddType_Click);
    connect(remove_, &QPushButton::clicked, this, &frmCarried::cmdRemoveType_Click);
    connect(save_, &QPushButton::clicked, this, &frmCarried::cmdSave_Click);
    connect(close, &QPushButton::clicked, this, &QWidget::hide);
}

QString frmCarried::filePath() const { return totals::carriedPath(program_.bookDir()); }

void frmCarried::showAndRead(const QWidget* over) {
    readFile();
    showOver(this, over);
}

void frmCarried::readFile() {
    types_.clear();
    try {
        const totals::CarriedFlying file = totals::readCarriedFlying(filePath());
        types_ = file.types;
        setStatus(file.found ? QStringLiteral("Файл %1 в папке лётной книжки.").arg(totals::kCarriedFileName)
                             : QStringLiteral("Файла %1 ещё нет: налёта до книжки нет. Добавьте тип и его налёт.")
                                   .arg(totals::kCarriedFileName),
                  false);
    } catch (const Error& e) {
        log::error(QStringLiteral("the flying before the logbook"), e);
        // What the pilot wrote by hand is not thrown away unasked: he corrects it, or saves anew knowingly.
        setStatus(e.description() + QStringLiteral(" Сохранение запишет файл заново (прежний останется как .bak)."),
                  true);
    }
    type_->clear();
    for (const CarriedType& t : types_)
        type_->addItem(t.type);
    shown_ = -1;
    showType(types_.isEmpty() ? -1 : 0);
}

void frmCarried::showType(int index) {
    shown_ = index;
    type_->setCurrentIndex(index);
    table_->setEnabled(index >= 0);
    remove_->setEnabled(index >= 0);
    for (int r = 0; r < totals::kCarriedKeys; ++r) {
        const CarriedKey k = totals::kAllCarriedKeys[std::size_t(r)];
        const totals::CarriedValue v = index >= 0 ? types_[index][k] : totals::CarriedValue{};
        for (int c = 0; c < 2; ++c) {
            const auto& value = c == 0 ? v.whole : v.night;
            auto* item = new QTableWidgetItem(value ? totals::carriedValueText(k, *value) : QString());
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            table_->setItem(r, c, item);
        }
    }
}

std::optional<QString> frmCarried::takeTable() {
    if (shown_ < 0)
        return std::nullopt;
    CarriedType& t = types_[shown_];
    for (int r = 0; r < totals::kCarriedKeys; ++r) {
        const CarriedKey k = totals::kAllCarriedKeys[std::size_t(r)];
        for (int c = 0; c < 2; ++c) {
            const QString text = table_->item(r, c) ? table_->item(r, c)->text().trimmed() : QString();
            std::optional<long long> value;
            if (!text.isEmpty()) {
                value = totals::carriedValueOf(k, text);
                if (!value) {
                    table_->setCurrentCell(r, c);
                    return QStringLiteral("%1, «%2»%3: «%4» — %5")
                        .arg(t.type, totals::carriedKeyText(k), c == 1 ? QStringLiteral(" ночью") : QString(),
                             text.left(32),
                             totals::isTimeKey(k)
                                 ? QStringLiteral("не время; время пишется часами и минутами: 310:25")
                                 : QStringLiteral("не целое число от 0 до %1").arg(totals::kMostCarriedCount));
                }
            }
            (c == 0 ? t[k].whole : t[k].night) = value;
        }
        if (t[k].whole && t[k].night && *t[k].night > *t[k].whole) {
            table_->setCurrentCell(r, 1);
            return QStringLiteral("%1: «%2» ночью больше, чем всего.").arg(t.type, totals::carriedKeyText(k));
        }
    }
    return std::nullopt;
}

void frmCarried::cmdAddType_Click() {
    if (const auto refused = takeTable()) {
        setStatus(*refused, true);
        return;
    }
    const auto name =
        program_.dialogs().inputText(kCarriedWindowTitle, QStringLiteral("Тип самолёта (как в "
                                                                         "лётной книжке, например Л-39):"));
    if (!name)
        return;
    const QString type = name->simplified();
    if (type.isEmpty() || type.contains(u'[') || type.contains(u']') ||
        type.compare(QStringLiteral("все типы"), Qt::CaseInsensitive) == 0) {
        setStatus(QStringLiteral("«%1» — не тип самолёта.").arg(type.left(32)), true);
        return;
    }
    for (int i = 0; i < types_.size(); ++i) {
        if (types_[i].type == type) {
            showType(i);
            return;
        }
    }
    types_.append(CarriedType{type, {}});
    type_->addItem(type);
    showType(int(types_.size()) - 1);
    setStatus(QStringLiteral("Тип %1 добавлен; запишите его налёт и сохраните.").arg(type), false);
}

void frmCarried::cmdRemoveType_Click() {
    if (shown_ < 0)
        return;
    const QString type = types_[shown_].type;
    if (!program_.dialogs().question(
            kCarriedWindowTitle, QStringLiteral("Удалить налёт до книжки на типе %1?").arg(type), Dialogs::Answer::No))
        return;
    types_.removeAt(shown_);
    type_->removeItem(shown_);
    shown_ = -1;
    showType(types_.isEmpty() ? -1 : 0);
    setStatus(QStringLiteral("Тип %1 удалён; файл изменится при сохранении.").arg(type), false);
}

bool frmCarried::cmdSave_Click() {
    if (const auto refused = takeTable()) {
        setStatus(QStringLiteral("Не сохранено: ") + *refused, true);
        return false;
    }
    const QString text = totals::carriedFlyingText(types_);
    const QString path = filePath();
    try {
        // What the totals will read is what was shown: read back before anything is replaced.
        totals::parseCarriedFlying(text);
        // The earlier file, perhaps with the pilot's own comments, stays beside the new one.
        QString kept;
        if (QFileInfo(path).isFile()) {
            kept = path + QStringLiteral(".bak");
            logbook::backups::copyFile(path, kept, logbook::ReplacePolicy::Replace);
        }
        logbook::AtomicReplacement replacement(path, logbook::ReplacePolicy::Replace);
        QFile out(replacement.temporaryPath());
        const QByteArray bytes = text.toUtf8();
        if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size())
            throw Error(Error::FileAccess, QStringLiteral("Файл не записан: ") + path);
        out.close();
        replacement.commit();
        setStatus(QStringLiteral("Сохранено: %1%2.")
                      .arg(path, kept.isEmpty() ? QString() : QStringLiteral(" (прежний — %1)").arg(kept)),
                  false);
        return true;
    } catch (const Error& e) {
        log::error(QStringLiteral("the flying before the logbook"), e);
        setStatus(QStringLiteral("Не сохранено: ") + e.description(), true);
        return false;
    }
}

void frmCarried::setStatus(const QString& text, bool refused) {
    status_->setText(text);
    QPalette p = status_->palette();
    p.setColor(QPalette::WindowText, refused ? QColor(0xb0, 0, 0) : palette().color(QPalette::WindowText));
    status_->setPalette(p);
}

} // namespace korv::app
