// A value typed into a parameter row, as the window sends it: read and checked against the row's
// range, and when accepted, made into a write frame for the board address. Every accepted value
// lies in the row's range, and the board reads the frame back as a valid write of that value to
// that address and code.
#include "frame.h"
#include "parametertable.h"
#include "requestparser.h"

#include <QLocale>
#include <QString>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fuzzer/FuzzedDataProvider.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QLocale locales[] = { QLocale::c(), QLocale(QLocale::German),
                                       QLocale(QLocale::Chinese, QLocale::China) };
    FuzzedDataProvider in(data, size);
    const QVector<ParameterTable::Row> &rows = ParameterTable::rows();
    const ParameterTable::Row &row = rows[in.ConsumeIntegralInRange<int>(0, rows.size() - 1)];
    const int address = in.ConsumeIntegralInRange<int>(0, 99);
    const QLocale &locale = locales[in.ConsumeIntegralInRange<int>(0, 2)];
    const std::string typed = in.ConsumeRemainingBytesAsString();
    const QString text = QString::fromUtf8(typed.data(), int(typed.size()));

    const ParameterTable::Check check = ParameterTable::checkInput(text, row, locale);
    if (check.outcome != ParameterTable::Check::Accepted)
        return 0;
    if (!(check.typed >= row.min && check.typed <= row.max) || !std::isfinite(check.typed))
        std::abort();
    const QByteArray frame =
        Frame::writeFrame(Frame::withAddress(row.prefix, address), check.value);
    const Request request = parseRequest(frame);
    const int code = QByteArray(row.prefix).mid(4, 2).toInt(nullptr, 16);
    if (request.kind != Request::Write || !request.crcMatches || request.address != address
        || request.code != code || request.value != check.value)
        std::abort();
    return 0;
}
