#include "addresslist.h"

#include <QCoreApplication>
#include <QRegularExpression>

namespace AddressList {

QVector<int> parse(const QString &text, QString *error)
{
    const auto fail = [error](const QString &reason) {
        if (error)
            *error = reason;
        return QVector<int>();
    };
    static const QRegularExpression part(
        QStringLiteral("^\\s*(\\d{1,3})\\s*(?:-\\s*(\\d{1,3})\\s*)?$"));
    QVector<int> addresses;
    const QStringList parts = text.split(QLatin1Char(','));
    for (const QString &p : parts) {
        const QRegularExpressionMatch m = part.match(p);
        if (!m.hasMatch())
            return fail(QCoreApplication::translate("AddressList", "“%1”不是地址或地址范围。")
                            .arg(p.trimmed()));
        const int first = m.captured(1).toInt();
        const int last = m.captured(2).isEmpty() ? first : m.captured(2).toInt();
        if (first > last || first < Lowest || last > Highest)
            return fail(QCoreApplication::translate("AddressList", "“%1”超出地址范围 %2 - %3。")
                            .arg(p.trimmed())
                            .arg(Lowest)
                            .arg(Highest));
        for (int a = first; a <= last; ++a) {
            if (!addresses.contains(a))
                addresses.append(a);
        }
    }
    return addresses;
}

QString format(const QVector<int> &addresses)
{
    QStringList parts;
    for (int i = 0; i < addresses.size();) {
        int j = i;
        while (j + 1 < addresses.size() && addresses.at(j + 1) == addresses.at(j) + 1)
            ++j;
        if (j - i >= 2) {
            parts << QStringLiteral("%1-%2").arg(addresses.at(i)).arg(addresses.at(j));
        } else {
            for (int k = i; k <= j; ++k)
                parts << QString::number(addresses.at(k));
        }
        i = j + 1;
    }
    return parts.join(QLatin1Char(','));
}

} // namespace AddressList
