// The status lamp tables and the balancing text, applied as the window applies them.
#include "statuslamps.h"
#include "telemetry.h"

#include <QHash>
#include <QtTest>

using namespace StatusLamps;

namespace {
// The lamps of the window: object name -> picture, applied in the order given.
class Panel
{
public:
    void apply(const Pictures &pictures)
    {
        for (const LampPicture &p : pictures)
            m_lamps[p.lamp] = p.picture;
    }
    QByteArray operator[](const char *lamp) const { return m_lamps.value(lamp, Off); }
    // The lamps among `names` that show `picture`.
    QList<QByteArray> showing(const char *picture, const QList<QByteArray> &names) const
    {
        QList<QByteArray> out;
        for (const QByteArray &n : names) {
            if (m_lamps.value(n, Off) == picture)
                out << n;
        }
        return out;
    }

private:
    QHash<QByteArray, QByteArray> m_lamps;
};

const QList<QByteArray> ProtectionLamps = {
    "p_chghc_mask",  "p_chght_mask",  "p_chglt_mask", "p_dsght_mask", "p_dsglt_mask",
    "p_dsghc1_mask", "p_dsghc2_mask", "p_lv_mask",    "p_hv_mask",    "p_ahv_mask",
    "p_alv_mask",    "p_pcbht_mask",  "p_vex_mask",   "p_short_mask",
};
const QList<QByteArray> AlarmLamps = { "alert_chght_mask", "alsert_chglt_mask", "alsert_dsght_mask",
                                       "alsert_dsglt_mask" };

QList<QByteArray> lampsOf(const Pictures &pictures)
{
    QList<QByteArray> names;
    for (const LampPicture &p : pictures)
        names << p.lamp;
    return names;
}

Panel afterAlarmWord(int word)
{
    Panel panel;
    for (int alarmCase : alarmCases(word))
        panel.apply(alarm(alarmCase));
    return panel;
}
} // namespace

class TestStatusLamps : public QObject
{
    Q_OBJECT

private slots:
    void protectionCodes();
    void protectionSequences();
    void jobCodes();
    void alarmCases();
    void alarmWords_data();
    void alarmWords();
    void systemStatus();
    void balancing_data();
    void balancing();
    void refreshOrder();
    void unreportedAlarmLamps();
};

void TestStatusLamps::protectionCodes()
{
    // Code -> the one red lamp; the order of setting is fixed whatever the code.
    const char *const red[15] = {
        nullptr,        "p_chght_mask", "p_dsght_mask", "p_chglt_mask",  "p_dsglt_mask",
        "p_hv_mask",    "p_chghc_mask", "p_lv_mask",    "p_dsghc1_mask", "p_dsghc2_mask",
        "p_pcbht_mask", "p_short_mask", "p_vex_mask",   "p_ahv_mask",    "p_alv_mask",
    };
    for (int code = 0; code <= 14; ++code) {
        const Pictures pictures = protection(code);
        QCOMPARE(lampsOf(pictures), ProtectionLamps);
        Panel panel;
        panel.apply(pictures);
        const QList<QByteArray> expectedRed =
            red[code] ? QList<QByteArray>{ red[code] } : QList<QByteArray>{};
        QCOMPARE(panel.showing(Error, ProtectionLamps), expectedRed);
        QCOMPARE(panel.showing(Pass, ProtectionLamps).size(), 14 - expectedRed.size());
    }
    for (int code : { 15, 16, 255, -1, std::numeric_limits<int>::min() })
        QVERIFY(protection(code).isEmpty());
}

void TestStatusLamps::protectionSequences()
{
    Panel panel;
    panel.apply(protection(5));
    panel.apply(protection(7));
    QCOMPARE(panel.showing(Error, ProtectionLamps), QList<QByteArray>{ "p_lv_mask" });
    QCOMPARE(panel["p_hv_mask"], QByteArray(Pass));

    panel.apply(protection(3));
    panel.apply(protection(15)); // touches nothing: the earlier protection stays shown
    QCOMPARE(panel.showing(Error, ProtectionLamps), QList<QByteArray>{ "p_chglt_mask" });

    Panel fresh;
    fresh.apply(protection(15));
    QCOMPARE(fresh.showing(Off, ProtectionLamps).size(), 14);
}

void TestStatusLamps::jobCodes()
{
    const QList<QByteArray> lamps = { "job_static_mask", "job_chg_mask", "job_dsg_mask" };
    for (int code = 0; code <= 2; ++code) {
        Panel panel;
        panel.apply(job(code));
        QCOMPARE(panel.showing(Pass, lamps), QList<QByteArray>{ lamps.at(code) });
        QCOMPARE(panel.showing(Off, lamps).size(), 2);
    }

    Panel panel;
    panel.apply(job(1));
    panel.apply(job(3)); // no job state: all grey
    QCOMPARE(panel.showing(Off, lamps).size(), 3);
    panel.apply(job(1));
    panel.apply(job(7)); // unknown: unchanged
    QCOMPARE(panel["job_chg_mask"], QByteArray(Pass));
    for (int code : { 4, 15, -1 })
        QVERIFY(job(code).isEmpty());
}

void TestStatusLamps::alarmCases()
{
    QCOMPARE(StatusLamps::alarmCases(0), QVector<int>{ 0 });
    QCOMPARE(StatusLamps::alarmCases(1), QVector<int>{ 0 });
    QCOMPARE(StatusLamps::alarmCases(0xF), (QVector<int>{ 0, 1, 2, 3 }));
    QCOMPARE(StatusLamps::alarmCases(0xA), (QVector<int>{ 1, 3 }));
    QCOMPARE(StatusLamps::alarmCases(0x1E0), (QVector<int>{ 5, 6, 7 })); // bit 8 not examined
    for (int alarmCase : { 5, 6, 7, -1 })
        QVERIFY(alarm(alarmCase).isEmpty());
    QCOMPARE(lampsOf(alarm(0)), AlarmLamps);
}

void TestStatusLamps::alarmWords_data()
{
    QTest::addColumn<int>("word");
    QTest::addColumn<QByteArray>("amber"); // empty: all four green
    QTest::newRow("0") << 0 << QByteArray();
    QTest::newRow("1") << 1 << QByteArray();
    for (int w = 2; w <= 3; ++w)
        QTest::addRow("%d", w) << w << QByteArray("alert_chght_mask");
    for (int w = 4; w <= 7; ++w)
        QTest::addRow("%d", w) << w << QByteArray("alsert_chglt_mask");
    for (int w = 8; w <= 15; ++w)
        QTest::addRow("%d", w) << w << QByteArray("alsert_dsght_mask");
    QTest::newRow("bit 4 alone") << 0x10 << QByteArray("alsert_dsglt_mask");
}

void TestStatusLamps::alarmWords()
{
    QFETCH(int, word);
    QFETCH(QByteArray, amber);
    const Panel panel = afterAlarmWord(word);
    const QList<QByteArray> expected =
        amber.isEmpty() ? QList<QByteArray>{} : QList<QByteArray>{ amber };
    QCOMPARE(panel.showing(Warning, AlarmLamps), expected);
    QCOMPARE(panel.showing(Pass, AlarmLamps).size(), 4 - expected.size());
}

void TestStatusLamps::systemStatus()
{
    const Pictures pictures = info(0);
    QCOMPARE(lampsOf(pictures),
             (QList<QByteArray>{ "statu_unp_mask", "statu_unafe_mask", "statu_unsoc_mask",
                                 "statu_uncell_mask", "statu_unconf_mask", "statu_unsave_mask" }));
    for (const LampPicture &p : pictures)
        QCOMPARE(p.picture, Pass);
    QVERIFY(info(1).isEmpty());
    QVERIFY(info(-1).isEmpty());
}

void TestStatusLamps::balancing_data()
{
    QTest::addColumn<int>("word");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("picture");
    QTest::newRow("none") << 0 << "NULL" << QByteArray(Off);
    QTest::newRow("0x0005") << 0x0005 << "Cell#1 #3 " << QByteArray(Pass);
    QTest::newRow("0x8001") << 0x8001 << "Cell#1 #16 " << QByteArray(Pass);
    QString all = "Cell";
    for (int n = 1; n <= 16; ++n)
        all += QString("#%1 ").arg(n);
    QTest::newRow("0xFFFF") << 0xFFFF << all << QByteArray(Pass);
    QTest::newRow("only above bit 15") << 0x10000 << "Cell" << QByteArray(Pass);
    QTest::newRow("negative") << -1 << all << QByteArray(Pass);
}

void TestStatusLamps::balancing()
{
    QFETCH(int, word);
    QFETCH(QString, text);
    QFETCH(QByteArray, picture);
    const Balance b = balance(word);
    QCOMPARE(b.text, text);
    QCOMPARE(QByteArray(b.picture), picture);
    QCOMPARE(QByteArray(b.lamp), QByteArray("blance_fun_mask"));
    QCOMPARE(b.adjustSizeFirst, word != 0);
    if (word == 0xFFFF)
        QCOMPARE(b.text.size(), 59);
}

void TestStatusLamps::refreshOrder()
{
    cell r;
    r.sys_statu = 11;
    r.job_statu = 1;
    r.alrt_statu = 0xF;
    r.blance_statu = 0x0005;
    const Pictures pictures = refresh(r);
    // system status (6), protection (14), job (3), four alarm cases (4 each), balancing lamp.
    QCOMPARE(pictures.size(), 6 + 14 + 3 + 16 + 1);
    QCOMPARE(QByteArray(pictures.at(0).lamp), QByteArray("statu_unp_mask"));
    QCOMPARE(QByteArray(pictures.at(6).lamp), QByteArray("p_chghc_mask"));
    QCOMPARE(QByteArray(pictures.at(20).lamp), QByteArray("job_static_mask"));
    QCOMPARE(QByteArray(pictures.last().lamp), QByteArray("blance_fun_mask"));

    Panel panel;
    panel.apply(pictures);
    QCOMPARE(panel["p_short_mask"], QByteArray(Error));
    QCOMPARE(panel["job_chg_mask"], QByteArray(Pass));
    QCOMPARE(panel.showing(Warning, AlarmLamps), QList<QByteArray>{ "alsert_dsght_mask" });
    QCOMPARE(panel["blance_fun_mask"], QByteArray(Pass));

    // Out-of-table codes leave their groups out entirely.
    r.sys_statu = 15;
    r.job_statu = 9;
    r.alrt_statu = 0;
    r.blance_statu = 0;
    QCOMPARE(refresh(r).size(), 6 + 4 + 1);
}

void TestStatusLamps::unreportedAlarmLamps()
{
    // Every lamp that any status value of any group sets; the unreported alarm lamps are never
    // among them, and with the four driven ones they make the nine lamps of the alarm group.
    QSet<QByteArray> driven;
    const auto add = [&driven](const Pictures &pictures) {
        for (const LampPicture &p : pictures)
            driven << p.lamp;
    };
    for (int code = -1; code <= 16; ++code) {
        add(protection(code));
        add(job(code));
        add(alarm(code));
        add(info(code));
    }
    for (int word = 0; word <= 0xFF; ++word) {
        for (int alarmCase : StatusLamps::alarmCases(word))
            add(alarm(alarmCase));
    }
    for (int bit = 0; bit < 16; ++bit)
        driven << balance(1 << bit).lamp;

    const QVector<const char *> &unreported = unreportedAlarms();
    QCOMPARE(unreported.size(), 5);
    QSet<QByteArray> alarmGroup(AlarmLamps.begin(), AlarmLamps.end());
    for (const char *lamp : unreported) {
        QVERIFY2(!driven.contains(lamp), lamp);
        alarmGroup << lamp;
    }
    QCOMPARE(alarmGroup.size(), 9);
}

QTEST_GUILESS_MAIN(TestStatusLamps)
#include "tst_statuslamps.moc"
