#include "cli/form_json.h"

#include "common/program_files.h"
#include "flight/input_fields.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QTextStream>

namespace korv::cli {

using flight::FieldKind;
using flight::InputField;
using flight::InputForm;

namespace {

// A key or value as a message may quote it: a short prefix, never the whole of a hostile input.
QString quoted(const QString& text) {
    constexpr int kShown = 32;
    QString shown = text.left(kShown);
    shown.replace(QChar(0), QStringLiteral("\\0"));
    return text.size() > kShown ? shown + QStringLiteral("…") : shown;
}

QString readForm(const QJsonObject& o, int index, InputForm& form) {
    const QString where = QStringLiteral("объект %1: ").arg(index + 1);
    for (auto it = o.begin(); it != o.end(); ++it) {
        const InputField* f = flight::fieldNamed(it.key());
        if (!f)
            return where + QStringLiteral("неизвестное поле «%1»").arg(quoted(it.key()));
        if (f->kind == FieldKind::Option) {
            if (!it.value().isBool())
                return where + QStringLiteral("значение «%1» должно быть true или false").arg(it.key());
            form.*f->option = it.value().toBool();
            continue;
        }
        if (!it.value().isString())
            return where + QStringLiteral("значение «%1» должно быть строкой").arg(it.key());
        const QString text = it.value().toString();
        // A NUL would be cut off or kept by the parts downstream as they please.
        if (text.contains(QChar(0)))
            return where + QStringLiteral("значение «%1» содержит символ NUL").arg(it.key());
        form.*f->text = text;
    }
    for (const InputField& a : flight::kInputFields) {
        for (const InputField& b : flight::kInputFields) {
            if (&a < &b && a.kind == FieldKind::Option && a.group == b.group && form.*a.option && form.*b.option)
                return where +
                       QStringLiteral("выбраны сразу «%1» и «%2»").arg(QLatin1String(a.name), QLatin1String(b.name));
        }
    }
    return {};
}

QJsonObject box(const flight::ResultBox& b) {
    return QJsonObject{{QStringLiteral("text"), b.text}, {QStringLiteral("visible"), b.visible}};
}

} // namespace

FormInput parseFormInput(const QByteArray& json) {
    FormInput in;
    QJsonParseError pe;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &pe);
    if (pe.error != QJsonParseError::NoError) {
        in.error = QStringLiteral("вход не JSON: %1 (позиция %2)").arg(pe.errorString()).arg(pe.offset);
        return in;
    }
    QJsonArray objects;
    if (doc.isObject())
        objects.append(doc.object());
    else
        objects = doc.array();
    for (int i = 0; i < objects.size(); ++i) {
        if (!objects[i].isObject()) {
            in.error = QStringLiteral("объект %1: ожидался объект формы").arg(i + 1);
            return in;
        }
        InputForm form;
        in.error = readForm(objects[i].toObject(), i, form);
        if (!in.error.isEmpty())
            return in;
        in.forms.append(form);
    }
    return in;
}

AppliedInputs applyInputs(const InputForm& from, InputForm& to) {
    AppliedInputs applied;
    for (const InputField& f : flight::kInputFields) {
        if (f.kind == FieldKind::Option) {
            if (to.*f.option != from.*f.option) {
                applied.changed = true;
                // A click that chooses the option runs the refresh; unchoosing is no click.
                applied.refresh = applied.refresh || (from.*f.option && f.refreshes);
            }
            to.*f.option = from.*f.option;
        } else if (to.*f.text != from.*f.text) {
            applied.changed = true;
            applied.refresh = applied.refresh || f.refreshes;
            to.*f.text = from.*f.text;
        }
    }
    return applied;
}

QJsonObject resultObject(const InputForm& form, const QJsonArray& messages) {
    return QJsonObject{
        {QStringLiteral("cmdOK"), QJsonObject{{QStringLiteral("enabled"), form.cmdOKEnabled}}},
        {QStringLiteral("cmdWrite"), QJsonObject{{QStringLiteral("enabled"), form.cmdWriteEnabled}}},
        {QStringLiteral("txtZakKab"), box(form.txtZakKab)},
        {QStringLiteral("txtObl"), box(form.txtObl)},
        {QStringLiteral("txtSMU"), box(form.txtSMU)},
        {QStringLiteral("txtUMP"), box(form.txtUMP)},
        {QStringLiteral("txtBal"), form.txtBal},
        {QStringLiteral("txtPos"), form.txtPos},
        {QStringLiteral("messages"), messages},
    };
}

std::optional<FormInput> readFormInput(const QString& command) {
    QTextStream err(stderr);
    QFile in;
    if (!in.open(stdin, QIODevice::ReadOnly)) {
        err << "korvelanta-cli " << command << ": не удалось прочитать стандартный ввод\n";
        return std::nullopt;
    }
    FormInput input = parseFormInput(in.readAll());
    if (!input.error.isEmpty()) {
        err << "korvelanta-cli " << command << ": " << input.error << '\n';
        return std::nullopt;
    }
    return input;
}

Notices pressCalculate(flight::ShiftSession& session, const InputForm& form) {
    const AppliedInputs applied = applyInputs(form, session.form);
    if (applied.changed)
        session.inputChanged();
    if (applied.refresh)
        session.RefreshInputState();
    return session.cmdOK_Click();
}

QJsonArray messagesJson(const Notices& notices) {
    QJsonArray out;
    for (const Notice& m : notices)
        out.append(QJsonObject{{QStringLiteral("title"), m.title}, {QStringLiteral("text"), m.text}});
    return out;
}

QString defaultDatabasePath() { return programFiles().referenceDatabase(); }

} // namespace korv::cli
