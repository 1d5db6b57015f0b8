#pragma once

// A command's arguments read by QCommandLineParser, and the first argument that does not fit, as the
// commands' messages name it ("неизвестный аргумент «--x»").

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace korv::cli {

struct OptionSpec {
    const char* name; // without the dashes: "dir"
    bool takesValue = false;
};

class Arguments {
public:
    // Reads `args` (what follows the command's name) by `options`, with at most `positional` arguments that
    // are no options; the first argument that fits none of them, or an option whose value is missing, is
    // the refusal (its text as given).
    static Arguments parse(const QStringList& args, const QList<OptionSpec>& options, int positional = 0);

    // The argument that does not fit, when one does not.
    const std::optional<QString>& refused() const { return refused_; }

    bool isSet(const char* name) const;
    // The last value given to the option, empty when none.
    QString value(const char* name) const;
    // Every value given to the option, in order.
    QStringList values(const char* name) const;
    const QStringList& positional() const { return positional_; }

private:
    struct Given {
        QString name;
        QStringList values;
        bool set = false;
    };
    QList<Given> given_;
    QStringList positional_;
    std::optional<QString> refused_;
};

} // namespace korv::cli
