// Parameter read-back (the parameter block reply) and the parameter table with its input check.
#include "parameterblock.h"
#include "parametertable.h"

#include <QHash>
#include <QRegularExpression>
#include <QtTest>

namespace {
// The parameter block by offset, as the board lays it out (197 digits).
struct Slot
{
    int offset;
    int width;
    const char *widget;
};
const Slot Block[] = {
    { 0, 4, "data_version" },       { 4, 1, "data_chgr" },          { 5, 1, "data_load" },
    { 6, 4, "conf_cax" },           { 10, 4, "conf_vpgine" },       { 14, 4, "conf_sleepev" },
    { 18, 4, "conf_lenstatu" },     { 22, 4, "conf_week" },         { 26, 4, "conf_dataget" },
    { 30, 4, "conf_chgc" },         { 34, 4, "conf_chgct" },        { 38, 4, "conf_dsgc1" },
    { 42, 4, "conf_dsgc2" },        { 46, 4, "conf_dsgc1t" },       { 50, 4, "conf_dsgc2t" },
    { 54, 4, "conf_lv" },           { 58, 4, "conf_lvre" },         { 62, 4, "conf_lvt" },
    { 66, 4, "conf_hv" },           { 70, 4, "conf_hvre" },         { 74, 4, "conf_hvt" },
    { 78, 4, "conf_chght" },        { 82, 4, "conf_chghtre" },      { 86, 4, "conf_chglt" },
    { 90, 4, "conf_chgltre" },      { 94, 4, "conf_dsght" },        { 98, 4, "conf_dsghtre" },
    { 102, 4, "conf_dsglt" },       { 106, 4, "conf_dsgltre" },     { 110, 4, "conf_blancev" },
    { 114, 4, "conf_blancevx" },    { 118, 4, "conf_totalcell" },   { 122, 4, "conf_design" },
    { 126, 4, "conf_rs" },          { 130, 4, "conf_short" },       { 134, 4, "conf_shorttime" },
    { 138, 4, "conf_vxp" },         { 142, 4, "conf_avhp_2" },      { 146, 4, "conf_avhpre_2" },
    { 150, 4, "conf_avlp_2" },      { 154, 4, "conf_avlpre_2" },    { 158, 1, "sw_avhp" },
    { 159, 1, "sw_avlp" },          { 160, 1, "sw_buzzer" },        { 161, 1, "sw_chgmos" },
    { 162, 1, "sw_chgcp" },         { 163, 1, "sw_chghtp" },        { 164, 1, "sw_chgltp" },
    { 165, 1, "conf_debug" },       { 166, 1, "data_sw" },          { 167, 1, "sw_dsgcp1" },
    { 168, 1, "sw_dsgcp2" },        { 169, 1, "sw_dsghtp" },        { 170, 1, "sw_dsgltp" },
    { 171, 1, "sw_dsgmos" },        { 172, 1, "sw_sleep" },         { 173, 1, "sw_vhp" },
    { 174, 1, "sw_vlp" },           { 175, 1, "sw_vxp" },           { 176, 1, "sw_clen" },
    { 177, 2, "conf_getmod" },      { 179, 2, "conf_clen" },        { 181, 4, "conf_chght_alert" },
    { 185, 4, "conf_chglt_alert" }, { 189, 4, "conf_dsght_alert" }, { 193, 4, "conf_dsglt_alert" },
};

// A block with the field at each slot holding a value of its own: the slot's offset + 100 for
// wide fields, 1 for switches at even offsets and 0 at odd ones.
QByteArray sampleBlock()
{
    QByteArray b(197, '?');
    for (const Slot &s : Block) {
        const int value = s.width == 1 ? (s.offset % 2 == 0 ? 1 : 0) : s.offset + 100;
        const QByteArray text =
            QByteArray::number(value, 16).toUpper().rightJustified(s.width, '0');
        b.replace(s.offset, s.width, text.right(s.width));
    }
    return b;
}

QHash<QByteArray, ParameterBlock::Field> byWidget(const QVector<ParameterBlock::Field> &fields)
{
    QHash<QByteArray, ParameterBlock::Field> out;
    for (const ParameterBlock::Field &f : fields)
        out.insert(f.widget, f);
    return out;
}

QString textOf(const QByteArray &block, const char *widget)
{
    return byWidget(ParameterBlock::decode("01", block)).value(widget).text;
}

QByteArray withField(const char *widget, const QByteArray &digits)
{
    QByteArray b = sampleBlock();
    for (const Slot &s : Block) {
        if (qstrcmp(s.widget, widget) == 0)
            b.replace(s.offset, s.width, digits);
    }
    return b;
}
} // namespace

class TestParameters : public QObject
{
    Q_OBJECT

private slots:
    void blockFillsEveryWidget();
    void blockOrder();
    void blockConversions();
    void shortBlock();
    void tableRows();
    void boundsOfEveryRow();
    void valueToSend();
    void notANumber();
    void localeDecides();
    void messages();
    void deviceCommands();
    void unusedRows();
};

void TestParameters::blockFillsEveryWidget()
{
    const QByteArray block = sampleBlock();
    QCOMPARE(block.size(), 197);
    QVERIFY(!block.contains('?')); // the slots cover the block
    const QVector<ParameterBlock::Field> fields = ParameterBlock::decode("0A", block);
    QCOMPARE(fields.size(), int(std::size(Block)) + 1);
    const auto f = byWidget(fields);
    QCOMPARE(f.size(), fields.size()); // each widget once

    QCOMPARE(f["conf_dnum"].text, QString("10"));
    for (const Slot &s : Block) {
        const ParameterBlock::Field field = f.value(s.widget);
        QVERIFY2(field.widget, s.widget);
        if (QByteArray(s.widget).startsWith("sw_")) {
            QCOMPARE(field.kind, ParameterBlock::Field::Switch);
            QCOMPARE(field.on, s.offset % 2 == 0);
            continue;
        }
        QCOMPARE(field.kind, ParameterBlock::Field::Text);
        const int raw = s.width == 1 ? (s.offset % 2 == 0 ? 1 : 0)
            : s.width == 2           ? (s.offset + 100) & 0xFF
                                     : s.offset + 100;
        int shown = raw;
        const QByteArray name = s.widget;
        if (name == "conf_cax")
            shown = raw - 100;
        else if (name == "conf_lenstatu")
            shown = raw / 2;
        else if (QRegularExpression("^conf_(chg|dsg)(ht|lt)(re|_alert)?$").match(name).hasMatch())
            shown = raw - 40;
        QCOMPARE(field.text, QString::number(shown));
    }
}

void TestParameters::blockOrder()
{
    const QVector<ParameterBlock::Field> fields = ParameterBlock::decode("01", sampleBlock());
    QCOMPARE(QByteArray(fields.at(0).widget), QByteArray("conf_dnum"));
    // Rightmost first: the widgets come in descending offset order.
    for (int i = 1; i < fields.size(); ++i)
        QCOMPARE(QByteArray(fields.at(i).widget),
                 QByteArray(Block[std::size(Block) - std::size_t(i)].widget));
}

void TestParameters::blockConversions()
{
    QCOMPARE(textOf(withField("conf_chght", "0032"), "conf_chght"), QString("10"));
    QCOMPARE(textOf(withField("conf_chght", "0000"), "conf_chght"), QString("-40"));
    QCOMPARE(textOf(withField("conf_dsglt_alert", "0014"), "conf_dsglt_alert"), QString("-20"));
    QCOMPARE(textOf(withField("conf_cax", "0064"), "conf_cax"), QString("0"));
    QCOMPARE(textOf(withField("conf_cax", "0000"), "conf_cax"), QString("-100"));
    QCOMPARE(textOf(withField("conf_cax", "FFFB"), "conf_cax"),
             QString("65431")); // 65531 - 100, not -105
    QCOMPARE(textOf(withField("conf_lenstatu", "0007"), "conf_lenstatu"), QString("3"));
    QCOMPARE(textOf(withField("conf_lv", "0bb8"), "conf_lv"), QString("3000"));
    QCOMPARE(textOf(withField("conf_lv", "xyz!"), "conf_lv"), QString("0"));

    const QList<QPair<QByteArray, bool>> digits = {
        { "1", true }, { "0", false }, { "2", false }, { "F", false }, { "g", false }
    };
    for (const auto &d : digits) {
        const auto f = byWidget(ParameterBlock::decode("01", withField("sw_buzzer", d.first)));
        QVERIFY2(f["sw_buzzer"].on == d.second, d.first.constData());
    }
}

void TestParameters::shortBlock()
{
    // Only the last 12 digits: the four alarm temperatures decode, everything left of them
    // reads 0 and is shown converted.
    const QByteArray block = sampleBlock().right(16);
    const auto f = byWidget(ParameterBlock::decode("01", block));
    QCOMPARE(f["conf_dsglt_alert"].text, QString::number(193 + 100 - 40));
    QCOMPARE(f["conf_chght_alert"].text, QString::number(181 + 100 - 40));
    QCOMPARE(f["conf_clen"].text, QString("0"));
    QCOMPARE(f["conf_chght"].text, QString("-40"));
    QCOMPARE(f["conf_cax"].text, QString("-100"));
    QCOMPARE(f["data_version"].text, QString("0"));
    QVERIFY(!f["sw_avhp"].on);

    // Surplus characters at the left are ignored.
    const auto longer = ParameterBlock::decode("01", "1234" + sampleBlock());
    const auto normal = ParameterBlock::decode("01", sampleBlock());
    for (int i = 0; i < normal.size(); ++i) {
        QCOMPARE(longer.at(i).text, normal.at(i).text);
        QCOMPARE(longer.at(i).on, normal.at(i).on);
    }
}

void TestParameters::tableRows()
{
    const QVector<ParameterTable::Row> &rows = ParameterTable::rows();
    QCOMPARE(rows.size(), 44);
    const QRegularExpression prefix("^:W\\+\\+[0-9A-F]{2}\\+$");
    QSet<QString> edits, slotNames;
    for (const ParameterTable::Row &row : rows) {
        QVERIFY2(prefix.match(row.prefix).hasMatch(), row.prefix);
        QVERIFY(row.min < row.max);
        QVERIFY(row.offset == 0 || row.offset == 40);
        // The button of "conf_x" is "conf_x_btn"; "conf_x_2" has "conf_x_btn_2".
        QString edit = row.lineEdit;
        const QString button = edit.endsWith("_2") ? edit.chopped(2) + "_btn_2" : edit + "_btn";
        QCOMPARE(QString(row.slot), "on_" + button + "_clicked");
        edits << row.lineEdit;
        slotNames << row.slot;
        QCOMPARE(ParameterTable::findByLineEdit(row.lineEdit), &row);
        QCOMPARE(ParameterTable::findBySlot(row.slot), &row);
    }
    QCOMPARE(edits.size(), rows.size());
    QCOMPARE(slotNames.size(), rows.size());
    QVERIFY(!ParameterTable::findByLineEdit("conf_clen")); // read-only, no write
    QVERIFY(!ParameterTable::findBySlot("on_conf_read_clicked"));

    const ParameterTable::Row *twin = ParameterTable::findByLineEdit("conf_dsgltre");
    QCOMPARE(twin->max, 10); // not 20 like its threshold
    QCOMPARE(QByteArray(twin->prefix), QByteArray(":W++13+"));
    QCOMPARE(ParameterTable::findByLineEdit("conf_getmod")->max, 65000);
    QCOMPARE(ParameterTable::findByLineEdit("conf_chglt_alert")->min, -30);
    QCOMPARE(QByteArray(ParameterTable::findByLineEdit("conf_initafe")->prefix),
             QByteArray(":W++4F+"));
}

void TestParameters::boundsOfEveryRow()
{
    const QLocale c = QLocale::c();
    for (const ParameterTable::Row &row : ParameterTable::rows()) {
        using C = ParameterTable::Check;
        const auto check = [&](int typed) {
            return ParameterTable::checkInput(QString::number(typed), row, c);
        };
        QCOMPARE(check(row.min).outcome, C::Accepted);
        QCOMPARE(check(row.max).outcome, C::Accepted);
        QCOMPARE(check(row.min - 1).outcome, C::OutOfRange);
        QCOMPARE(check(row.max + 1).outcome, C::OutOfRange);
        QCOMPARE(check(row.min).value, uint16_t(row.min + row.offset));
        QCOMPARE(check(row.max).value, uint16_t(row.max + row.offset));
        // Bounds are inclusive as numbers, not as whole numbers.
        QCOMPARE(ParameterTable::checkInput(QString::number(row.max + 0.5), row, c).outcome,
                 C::OutOfRange);
    }
    // The recovery twin of the discharge low-temperature threshold has the narrower range.
    const ParameterTable::Row &threshold = *ParameterTable::findByLineEdit("conf_dsglt");
    const ParameterTable::Row &recovery = *ParameterTable::findByLineEdit("conf_dsgltre");
    QCOMPARE(ParameterTable::checkInput("15", threshold, c).outcome,
             ParameterTable::Check::Accepted);
    QCOMPARE(ParameterTable::checkInput("15", recovery, c).outcome,
             ParameterTable::Check::OutOfRange);
}

void TestParameters::valueToSend()
{
    const QLocale c = QLocale::c();
    const auto sent = [&](const char *edit, const char *typed) {
        const ParameterTable::Check check =
            ParameterTable::checkInput(typed, *ParameterTable::findByLineEdit(edit), c);
        return check.outcome == ParameterTable::Check::Accepted ? int(check.value) : -1;
    };
    QCOMPARE(sent("conf_totalcell", "3.9"), 3); // truncated, not rounded
    QCOMPARE(sent("conf_cax", "-0.5"), 0); // toward zero
    QCOMPARE(sent("conf_cax", "-5"), 0xFFFB); // two's complement
    QCOMPARE(sent("conf_cax", "-100"), 0xFF9C);
    QCOMPARE(sent("conf_chglt", "-20"), 20); // degrees + 40
    QCOMPARE(sent("conf_chght", "45"), 85);
    QCOMPARE(sent("conf_chght", "45.99"), 85);
    QCOMPARE(sent("conf_dsglt", "-39.5"), 0);
    QCOMPARE(sent("conf_getmod", "65000"), 65000);
    QCOMPARE(sent("conf_reset", "65500"), 65500);
    QCOMPARE(sent("conf_chgc", " 12 "), 12); // surrounding blanks are allowed
    QCOMPARE(sent("conf_chgc", "1e2"), 100);
}

void TestParameters::notANumber()
{
    const ParameterTable::Row &row = *ParameterTable::findByLineEdit("conf_chgc");
    for (const char *text :
         { "", " ", "abc", "12a", "0x10", "1..2", "nan", "inf", "-inf", "1e400" }) {
        const ParameterTable::Check check = ParameterTable::checkInput(text, row, QLocale::c());
        QVERIFY2(check.outcome == ParameterTable::Check::NotANumber, text);
        QCOMPARE(check.value, uint16_t(0));
    }
}

void TestParameters::localeDecides()
{
    const ParameterTable::Row &cells = *ParameterTable::findByLineEdit("conf_totalcell");
    const ParameterTable::Row &design = *ParameterTable::findByLineEdit("conf_design");
    const QLocale german(QLocale::German, QLocale::Germany);
    const ParameterTable::Check comma = ParameterTable::checkInput("3,5", cells, german);
    QCOMPARE(comma.outcome, ParameterTable::Check::Accepted);
    QCOMPARE(comma.typed, 3.5);
    QCOMPARE(comma.value, uint16_t(3));
    // A text with a group separator is refused in every language: read as a thousand in one and
    // as one in another, it is most likely a thousand either way.
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    const QLocale chinese(QLocale::Chinese, QLocale::China);
    const QLocale swiss(QLocale::German, QLocale::Switzerland); // groups with an apostrophe
    for (const QLocale &locale : { QLocale::c(), english, german, chinese, swiss }) {
        for (const char *text : { "1.000", "1,000", "-1.000", "1.000,5", "1,000.5", "12,345" }) {
            const ParameterTable::Check check = ParameterTable::checkInput(text, design, locale);
            QVERIFY2(check.outcome == ParameterTable::Check::NotANumber,
                     qPrintable(locale.name() + ' ' + text));
        }
        QCOMPARE(ParameterTable::checkInput(QString("1") + locale.groupSeparator() + "000", design,
                                            locale)
                     .outcome,
                 ParameterTable::Check::NotANumber);
    }
    // Decimals keep their rules: one or two digits after the separator are a fraction.
    QCOMPARE(ParameterTable::checkInput("3.25", cells, english).value, uint16_t(3));
    QCOMPARE(ParameterTable::checkInput("3,25", cells, german).value, uint16_t(3));
    QCOMPARE(ParameterTable::checkInput("1000", design, german).value, uint16_t(1000));
    QCOMPARE(ParameterTable::checkInput("3,5", cells, QLocale::c()).outcome,
             ParameterTable::Check::NotANumber);

    // Without a locale argument the user's default locale reads the text.
    const QLocale saved;
    QLocale::setDefault(german);
    QCOMPARE(ParameterTable::checkInput("3,9", cells).value, uint16_t(3));
    QLocale::setDefault(saved);
}

void TestParameters::messages()
{
    QCOMPARE(ParameterTable::notANumberText(), QString("输入的值无效 ！"));
    QCOMPARE(ParameterTable::outOfRangeText(1500, 3200),
             QString("输入的参数超过 [1500 - 3200] 的范围。"));
    QCOMPARE(ParameterTable::outOfRangeText(-40, 10),
             QString("输入的参数超过 [-40 - 10] 的范围。"));
    QCOMPARE(ParameterTable::notANumberTitle(), QString("Error"));
    QCOMPARE(ParameterTable::outOfRangeTitle(), QString("Warning"));
}

void TestParameters::deviceCommands()
{
    const QVector<ParameterTable::Command> &commands = ParameterTable::commands();
    QCOMPARE(commands.size(), 4);
    QStringList prefixes;
    for (const ParameterTable::Command &c : commands) {
        QCOMPARE(c.value, uint16_t(90));
        QCOMPARE(QString(c.slot), QString("on_%1_clicked").arg(c.button));
        prefixes << c.prefix;
    }
    QCOMPARE(prefixes, (QStringList{ ":W++4f+", ":W++50+", ":W++53+", ":W++48+" }));
}

QTEST_GUILESS_MAIN(TestParameters)
void TestParameters::unusedRows()
{
    // The rows the form disables hold nothing of the board: no field of its parameter block and
    // no write. (The window tells the user so on each of them.)
    const auto block = byWidget(ParameterBlock::decode("01", sampleBlock()));
    QSet<QByteArray> fields;
    for (const char *field : ParameterTable::unusedRows()) {
        QVERIFY2(!block.contains(field), field);
        QVERIFY2(!ParameterTable::findByLineEdit(field), field);
        fields << field;
    }
    QCOMPARE(fields.size(), 10);
    // The alarm thresholds the board does hold are not among them.
    for (const char *field : { "conf_chght_alert", "conf_dsglt_alert" })
        QVERIFY2(!fields.contains(field) && block.contains(field), field);
}

#include "tst_parameters.moc"
