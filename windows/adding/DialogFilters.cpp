#include "DialogFilters.h"

#include <QString>

namespace tavora {

QStringList QtNameFilters(std::string_view filter) {
    const QStringList parts =
        QString::fromUtf8(filter.data(), static_cast<qsizetype>(filter.size())).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& p : patterns) p = p.trimmed();
        patterns.removeAll(QString());
        if (description.isEmpty() || patterns.isEmpty()) continue;
        const QString joined = patterns.join(QLatin1Char(' '));
        // Qt reads the patterns from the last parentheses of the text.
        if (description.endsWith(QLatin1Char(')')) && description.contains(QLatin1Char('('))) {
            const qsizetype open = description.lastIndexOf(QLatin1Char('('));
            const QString shown = description.mid(open + 1, description.size() - open - 2).replace(';', ' ');
            if (shown.simplified() == joined) {
                filters << description;
                continue;
            }
        }
        filters << description + QStringLiteral(" (") + joined + QLatin1Char(')');
    }
    return filters;
}

}  // namespace tavora
