#include "totals/kept_lines.h"

namespace korv::totals {

QList<KeptLine> keptLines(const QString& text) {
    QList<KeptLine> out;
    const QStringList lines = text.split(u'\n');
    for (int i = 0; i < lines.size(); ++i) {
        QString line = lines[i].trimmed();
        if (i == 0 && line.startsWith(QChar(0xFEFF)))
            line = line.mid(1).trimmed();
        if (line.isEmpty() || line.startsWith(u'#') || line.startsWith(u';'))
            continue;
        out << KeptLine{i + 1, line};
    }
    return out;
}

std::optional<QString> headingOf(const QString& line) {
    if (!line.startsWith(u'['))
        return std::nullopt;
    if (!line.endsWith(u']') || line.size() < 3)
        return QString();
    return line.mid(1, line.size() - 2).simplified();
}

QString folded(const QString& text) {
    QString s = text.simplified().toLower();
    s.replace(u'ё', u'е');
    return s;
}

} // namespace korv::totals
