#include "telemetry.h"

#include "fields.h"

void initializeAFE(cell *afe)
{
    if (!afe)
        return;
    const int maxv = afe->maxv;
    const int minv = afe->minv;
    const int avgv = afe->avgv;
    *afe = cell();
    afe->maxv = maxv;
    afe->minv = minv;
    afe->avgv = avgv;
}

QString temperatureText(int centiDegrees)
{
    return QString::number(centiDegrees / 100.0, 'f', 2);
}

namespace {
// Temperatures travel offset by 40.00 degC so that they are never negative on the wire.
constexpr int TemperatureOffset = 4000;

// Cell voltages: data_cell1 .. data_cell25.
const char *const CellWidgets[25] = {
    "data_cell1",  "data_cell2",  "data_cell3",  "data_cell4",  "data_cell5",
    "data_cell6",  "data_cell7",  "data_cell8",  "data_cell9",  "data_cell10",
    "data_cell11", "data_cell12", "data_cell13", "data_cell14", "data_cell15",
    "data_cell16", "data_cell17", "data_cell18", "data_cell19", "data_cell20",
    "data_cell21", "data_cell22", "data_cell23", "data_cell24", "data_cell25",
};

// Decimal text of an int, as QString::number writes it but without its general-purpose
// formatting path; a reply has some seventy of them.
QString decimal(int value)
{
    char digits[12];
    char *end = digits + sizeof digits;
    char *p = end;
    unsigned magnitude = value < 0 ? 0u - unsigned(value) : unsigned(value);
    do {
        *--p = char('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude);
    if (value < 0)
        *--p = '-';
    return QString::fromLatin1(p, int(end - p));
}

class TextList
{
public:
    explicit TextList(QVector<WidgetText> *texts)
        : m_texts(texts)
    {
        m_texts->reserve(80);
    }
    void add(const char *widget, const QString &text)
    {
        m_texts->append(WidgetText{ widget, text });
    }
    void add(const char *widget, int value) { add(widget, decimal(value)); }
    void add(const char *first, const char *second, int value)
    {
        const QString text = decimal(value);
        add(first, text);
        add(second, text);
    }

private:
    QVector<WidgetText> *m_texts;
};
} // namespace

RealTimeReply decodeRealTime(const QByteArray &addressText, const QByteArray &dataBlock, cell *afe)
{
    cell scratch;
    if (!afe)
        afe = &scratch;
    initializeAFE(afe);

    RealTimeReply reply;
    TextList out(&reply.texts);

    reply.addressText = addressText;
    afe->id = hexToInt(addressText);
    reply.batteryNumber = afe->id;
    out.add("data_num", QString::fromLatin1(addressText));
    out.add("data_denum", afe->id);

    // Rightmost field first.
    FieldReader fields(dataBlock);
    afe->soh = fields.take(4);
    out.add("data_week", afe->soh);
    reply.damping = fields.take(4);
    out.add("data_exefity", reply.damping);
    reply.currentCompensation = fields.take(2);
    out.add("data_cax", reply.currentCompensation);
    reply.cellsInSeries = fields.take(2);
    out.add("data_totalcell", reply.cellsInSeries);
    afe->soc = fields.take(2);
    out.add("data_soc", afe->soc);
    reply.cellExtreme = fields.take(4);
    out.add("data_maxexv", reply.cellExtreme);
    reply.smallestDifference = fields.take(4);
    out.add("data_minev", reply.smallestDifference);
    reply.largestDifference = fields.take(4);
    out.add("data_maxev", "data_maxev1", reply.largestDifference);
    afe->minv = fields.take(4);
    out.add("data_minv", "data_minv2", afe->minv);
    afe->maxv = fields.take(4);
    out.add("data_maxv", "data_maxv2", afe->maxv);
    afe->avgv = fields.take(4);
    out.add("data_eve", "data_avg", afe->avgv);
    afe->totalv = fields.take(4);
    out.add("data_tatolv", "data_totalv", afe->totalv);
    afe->blance_statu = fields.take(4);
    out.add("data_blance", afe->blance_statu);
    reply.cycleCount = fields.take(4);
    out.add("data_cycle", "data_dsgceal", reply.cycleCount);
    reply.dsgvv = fields.take(8);
    out.add("data_dsgvv_2", reply.dsgvv);
    reply.chgvv = fields.take(8);
    out.add("data_chgvv_2", reply.chgvv);
    reply.newcc = fields.take(8);
    out.add("data_newcc", reply.newcc);
    // The one signed field: a discharge comes as a negative two's complement number.
    afe->cadc = fields.takeSigned(8);
    out.add("data_cadc", "data_mcadc", afe->cadc);

    // The discharge digit comes first from the right and sets a bit; the charge digit is ORed
    // in on top, so D = 0 gives 1 whatever C is.
    reply.dischargeMos = fields.take(1);
    out.add("data_dsgmos", "data_dsgmos2", reply.dischargeMos);
    reply.chargeMos = fields.take(1);
    out.add("data_chgmos", "data_chgmos2", reply.chargeMos);
    // A digit is at most 15, so the shift stays inside the word.
    afe->mos_statu = 0;
    afe->mos_statu |= int(1u << (unsigned(reply.dischargeMos) & 31u));
    afe->mos_statu |= reply.chargeMos;

    afe->job_statu = fields.take(1);
    out.add("data_job", afe->job_statu);
    afe->alrt_statu = fields.take(1);
    out.add("data_alert", afe->alrt_statu);
    afe->sys_statu = fields.take(1);
    out.add("data_project", afe->sys_statu);

    // Temperatures TS4 .. TS1, then MOSFET and environment.
    static const char *const TempWidgets[6][2] = {
        { "ets", nullptr },    { "mosts", nullptr },  { "data_ts1", "ts1" },
        { "data_ts2", "ts2" }, { "data_ts3", "ts3" }, { "data_ts4", "ts4" },
    };
    for (int i = 5; i >= 0; --i) {
        afe->ts[i] = fields.take(4) - TemperatureOffset;
        const QString text = temperatureText(afe->ts[i]);
        out.add(TempWidgets[i][0], text);
        if (TempWidgets[i][1])
            out.add(TempWidgets[i][1], text);
    }

    for (int k = 24; k >= 0; --k) {
        afe->cell[k] = fields.take(4);
        out.add(CellWidgets[k], afe->cell[k]);
    }

    out.add("data_statu", QStringLiteral("0"));
    out.add("data_len", QStringLiteral("1"));
    return reply;
}
