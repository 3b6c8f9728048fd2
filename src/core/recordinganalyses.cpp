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

void mosDigits(int mosStatus, RealTimeReply *values)
{
    // The word is 1 << the discharge digit, ORed with the charge digit: 2 and 3 tell both
    // digits; 1 tells the discharge MOSFET off but not the charge one. A digit the word does not
    // tell is given as one the events take for unknown (neither on nor off).
    constexpr int Unknown = -1;
    values->dischargeMos = mosStatus >= 1 && mosStatus <= 3 ? mosStatus >> 1 : Unknown;
    values->chargeMos = mosStatus == 2 || mosStatus == 3 ? mosStatus & 1 : Unknown;
}

bool analyse(CsvReader *reader, QMap<int, PackAnalysis> *packs)
{
    // A row says nothing of the cells in series: the analyses count the cells that are not 0.
    RealTimeReply values;
    PackAnalysis *last = nullptr;
    int lastPack = -1;
    return reader->readRows([&](const DataLog::Row &row, qint64 utcMs) {
        const int pack = row.values[0];
        if (pack != lastPack || !last) {
            last = &(*packs)[pack];
            lastPack = pack;
        }
        const cell r = record(row);
        mosDigits(r.mos_statu, &values);
        last->takeReply(utcMs, r, values);
    });
}

} // namespace RecordingAnalyses
