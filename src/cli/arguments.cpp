#include "cli/arguments.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

namespace korv::cli {

namespace {

const OptionSpec* specNamed(const QList<OptionSpec>& options, QStringView name) {
    for (const OptionSpec& o : options)
        if (name == QLatin1String(o.name))
            return &o;
    return nullptr;
}

// The first argument that fits no option, lacks its value, or is one positional argument too many. The
// parser says only what went wrong in English words; the messages quote the argument itself.
QString firstMisfit(const QStringList& args, const QList<OptionSpec>& options, int positional) {
    int positionals = 0;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a.startsWith(u"--") && a.size() > 2) {
            const QStringView name = QStringView(a).mid(2).left(a.indexOf(u'=') < 0 ? -1 : a.indexOf(u'=') - 2);
            const OptionSpec* spec = specNamed(options, name);
            if (!spec || (!spec->takesValue && a.contains(u'=')))
                return a;
            if (spec->takesValue && !a.contains(u'=') && ++i >= args.size())
                return a;
        } else if ((a.startsWith(u'-') && a.size() > 1) || ++positionals > positional) {
            return a; // no command takes short options, nor one more positional argument
        }
    }
    return args.isEmpty() ? QString() : args.back();
}

} // namespace

Arguments Arguments::parse(const QStringList& args, const QList<OptionSpec>& options, int positional) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsCompactedShortOptions);
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
    for (const OptionSpec& o : options) {
        QCommandLineOption option(QString::fromLatin1(o.name));
        if (o.takesValue)
            option.setValueName(QStringLiteral("value"));
        parser.addOption(option);
    }
    Arguments out;
    if (!parser.parse(QStringList{QStringLiteral("korvelanta-cli")} + args) ||
        parser.positionalArguments().size() > positional) {
        out.refused_ = firstMisfit(args, options, positional);
        return out;
    }
    for (const OptionSpec& o : options) {
        const QString name = QString::fromLatin1(o.name);
        out.given_ << Given{name, o.takesValue ? parser.values(name) : QStringList(), parser.isSet(name)};
    }
    out.positional_ = parser.positionalArguments();
    return out;
}

bool Arguments::isSet(const char* name) const {
    for (const Given& g : given_)
        if (g.name == QLatin1String(name))
            return g.set;
    return false;
}

QStringList Arguments::values(const char* name) const {
    for (const Given& g : given_)
        if (g.name == QLatin1String(name))
            return g.values;
    return {};
}

QString Arguments::value(const char* name) const {
    const QStringList v = values(name);
    return v.isEmpty() ? QString() : v.back();
}

} // namespace korv::cli
