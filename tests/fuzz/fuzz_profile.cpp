// A profile file from outside: read and checked. An accepted profile holds only rows a profile
// may hold, every value within its row's range and each goes out as the row's own check would
// send it, no two of its values contradict each other; what it writes back reads back the same.
#include "parameterprofile.h"
#include "thresholdpairs.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), int(size));
    const ParameterProfile::ReadResult result = ParameterProfile::read(bytes);
    if (!result.ok) {
        if (result.error.isEmpty() || !result.profile.values.isEmpty())
            std::abort();
        return 0;
    }
    for (auto it = result.profile.values.constBegin(); it != result.profile.values.constEnd();
         ++it) {
        const ParameterTable::Row *row = ParameterProfile::findRow(it.key());
        uint16_t wire = 0;
        if (!row || it.value() < row->min || it.value() > row->max
            || !ParameterProfile::wireValue(*row, it.value(), &wire))
            std::abort();
    }
    if (!ThresholdPairs::check({}, result.profile.values).isEmpty())
        std::abort();
    const ParameterProfile::ReadResult again =
        ParameterProfile::read(ParameterProfile::toJson(result.profile));
    if (!again.ok || again.profile.values != result.profile.values)
        std::abort();
    return 0;
}
