#include "recordinganalyses.h"

#include "csvreader.h"

namespace RecordingAnalyses {

cell record(const DataLog::Row &row)
{
    // The order DataLog::toRow writes them in.
    cell r;
    const qint32 *v = row.values;
    r.id = *v++;
    r.sys_statu = *v++;
    r.job_statu = *v++;
    r.mos_statu = *v++;
    r.alrt_statu = *v++;
    r.blance_statu = *v++;
    r.soc = *v++;
    r.soh = *v++;
    r.cadc = *v++;
    r.totalv = *v++;
    r.ts[1] = *v++;
    for (int k = 2; k < 6; ++k)
        r.ts[k] = *v++;
    r.ts[0] = *v++;
    for (int &mv : r.cell)
        mv = *v++;
    return r;
}

bool analyse(CsvReader *reader, QMap<int, PackAnalysis> *packs)
{
    // A row says nothing of the cells in series: the analyses count the cells that are not 0.
    const RealTimeReply values;
    PackAnalysis *last = nullptr;
    int lastPack = -1;
    return reader->readRows([&](const DataLog::Row &row, qint64 utcMs) {
        const int pack = row.values[0];
        if (pack != lastPack || !last) {
            last = &(*packs)[pack];
            lastPack = pack;
        }
        last->takeReply(utcMs, record(row), values);
    });
}

} // namespace RecordingAnalyses
