#include "statuslamps.h"

#include "telemetry.h"

#include <iterator>

namespace StatusLamps {

namespace {
// The protection lamps in the order they are set; the code of each is its index in ByCode.
const char *const ProtectionOrder[] = {
    "p_chghc_mask",  "p_chght_mask",  "p_chglt_mask", "p_dsght_mask", "p_dsglt_mask",
    "p_dsghc1_mask", "p_dsghc2_mask", "p_lv_mask",    "p_hv_mask",    "p_ahv_mask",
    "p_alv_mask",    "p_pcbht_mask",  "p_vex_mask",   "p_short_mask",
};

// Protection code -> the one red lamp (code 0: none).
const char *const ByCode[15] = {
    nullptr,        "p_chght_mask", "p_dsght_mask", "p_chglt_mask",  "p_dsglt_mask",
    "p_hv_mask",    "p_chghc_mask", "p_lv_mask",    "p_dsghc1_mask", "p_dsghc2_mask",
    "p_pcbht_mask", "p_short_mask", "p_vex_mask",   "p_ahv_mask",    "p_alv_mask",
};

const char *const JobLamps[3] = { "job_static_mask", "job_chg_mask", "job_dsg_mask" };

// Alarm case 1 .. 4 lights lamp case - 1 amber.
const char *const AlarmLamps[4] = { "alert_chght_mask", "alsert_chglt_mask", "alsert_dsght_mask",
                                    "alsert_dsglt_mask" };

// The other five lamps of the alarm group: low charge, the two over-currents and the ambient
// temperatures. The alarm word has no bit for them.
const char *const UnreportedAlarmLamps[5] = { "alsert_dsglt_mask_6", "alsert_dsglt_mask_2",
                                              "alsert_dsglt_mask_3", "alsert_dsglt_mask_5",
                                              "alsert_dsglt_mask_4" };

const char *const InfoLamps[6] = { "statu_unp_mask",    "statu_unafe_mask",  "statu_unsoc_mask",
                                   "statu_uncell_mask", "statu_unconf_mask", "statu_unsave_mask" };
} // namespace

Pictures protection(int code)
{
    Pictures pictures;
    if (code < 0 || code > 14)
        return pictures;
    const char *red = ByCode[code];
    pictures.reserve(14);
    for (const char *lamp : ProtectionOrder)
        pictures.append(LampPicture{ lamp, red && qstrcmp(red, lamp) == 0 ? Error : Pass });
    return pictures;
}

Pictures job(int code)
{
    Pictures pictures;
    if (code < 0 || code > 3)
        return pictures;
    for (int i = 0; i < 3; ++i)
        pictures.append(LampPicture{ JobLamps[i], i == code ? Pass : Off });
    return pictures;
}

Pictures alarm(int alarmCase)
{
    Pictures pictures;
    if (alarmCase < 0 || alarmCase > 4)
        return pictures;
    for (int i = 0; i < 4; ++i)
        pictures.append(LampPicture{ AlarmLamps[i], i + 1 == alarmCase ? Warning : Pass });
    return pictures;
}

QVector<int> alarmCases(int word)
{
    if (word == 0)
        return { 0 };
    QVector<int> cases;
    for (int bit = 0; bit < 8; ++bit) {
        if (word & (1 << bit))
            cases.append(bit);
    }
    return cases;
}

Pictures info(int code)
{
    Pictures pictures;
    if (code != 0)
        return pictures;
    for (const char *lamp : InfoLamps)
        pictures.append(LampPicture{ lamp, Pass });
    return pictures;
}

Balance balance(int word)
{
    if (word == 0)
        return { "blance_fun_mask", Off, QStringLiteral("NULL"), false };
    QString text = QStringLiteral("Cell");
    for (int n = 0; n < 16; ++n) {
        if (word & (1 << n))
            text += QLatin1Char('#') + QString::number(n + 1) + QLatin1Char(' ');
    }
    return { "blance_fun_mask", Pass, text, true };
}

const QVector<const char *> &unreportedAlarms()
{
    static const QVector<const char *> lamps(std::begin(UnreportedAlarmLamps),
                                             std::end(UnreportedAlarmLamps));
    return lamps;
}

Pictures refresh(const cell &afe)
{
    Pictures pictures = info(0);
    pictures += protection(afe.sys_statu);
    pictures += job(afe.job_statu);
    for (int alarmCase : alarmCases(afe.alrt_statu))
        pictures += alarm(alarmCase);
    const Balance b = balance(afe.blance_statu);
    pictures.append(LampPicture{ b.lamp, b.picture });
    return pictures;
}

} // namespace StatusLamps
