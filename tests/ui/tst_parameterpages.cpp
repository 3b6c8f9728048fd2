// The parameter pages through the window: every row's range and frame, the device commands and
// what they ask, the closed-port refusal, the focus reset, the read-back and how it judges each
// write. The port is a pseudo-terminal nobody reads; the poll period is long, so queued frames
// stay in the queue to be checked, and the tests run the poll ticks themselves on their clock.
#include "boardsession.h"
#include "mainwindow.h"
#include "messages.h"
#include "namedchild.h"
#include "parameterblock.h"
#include "switchbutton.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTranslator>
#include <QtTest>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <memory>

namespace {

const char Neutral[] = "QLineEdit { border: none; border-bottom: 2px solid white; }";
const char Red[] =
    "QLineEdit { background-color: red; border: none; border-bottom: 2px solid white; }";
const char Yellow[] =
    "QLineEdit { background-color: yellow; border: none; border-bottom: 2px solid white; }";
const char Unconfirmed[] =
    "QLineEdit { font-style: italic; border: none; border-bottom: 2px dashed #f0a000; }";
const char Kept[] = "QLineEdit { color: #ff5050; border: none; border-bottom: 2px solid #ff5050; }";
const QByteArray ReadBack = ":Y+01+52=?~";

// The writable rows as the board documents them, kept apart from the program's own table:
// field, command code, min, max, offset. The button is the field's name + "_btn" (before a
// trailing "_2").
struct Row
{
    const char *field;
    const char *code;
    int min, max, offset;
};
const Row Rows[] = {
    { "conf_chgc", "00", 1, 500, 0 },          { "conf_chgct", "01", 100, 30000, 0 },
    { "conf_dsgc1", "02", 1, 1000, 0 },        { "conf_dsgc2", "03", 1, 1000, 0 },
    { "conf_dsgc1t", "04", 100, 30000, 0 },    { "conf_dsgc2t", "05", 100, 2000, 0 },
    { "conf_lv", "06", 1500, 3200, 0 },        { "conf_lvre", "07", 1500, 3200, 0 },
    { "conf_lvt", "08", 100, 5000, 0 },        { "conf_hv", "09", 1500, 5000, 0 },
    { "conf_hvre", "0A", 1500, 5000, 0 },      { "conf_hvt", "0B", 100, 10000, 0 },
    { "conf_chght", "0C", 0, 100, 40 },        { "conf_chghtre", "0D", 0, 100, 40 },
    { "conf_chglt", "0E", -20, 10, 40 },       { "conf_chgltre", "0F", -20, 10, 40 },
    { "conf_dsght", "10", 0, 100, 40 },        { "conf_dsghtre", "11", 0, 100, 40 },
    { "conf_dsglt", "12", -40, 20, 40 },       { "conf_dsgltre", "13", -40, 10, 40 },
    { "conf_blancev", "14", 1500, 5000, 0 },   { "conf_blancevx", "15", 10, 1000, 0 },
    { "conf_totalcell", "16", 3, 25, 0 },      { "conf_design", "17", 1, 1000, 0 },
    { "conf_rs", "18", 65, 10000, 0 },         { "conf_short", "19", 0, 5000, 0 },
    { "conf_shorttime", "1A", 0, 5000, 0 },    { "conf_dnum", "1D", 0, 5000, 0 },
    { "conf_vxp", "1F", 400, 1200, 0 },        { "conf_avlp_2", "20", 300, 10000, 0 },
    { "conf_avlpre_2", "21", 300, 10000, 0 },  { "conf_avhp_2", "22", 300, 10000, 0 },
    { "conf_avhpre_2", "23", 300, 10000, 0 },  { "conf_cax", "24", -100, 100, 0 },
    { "conf_chght_alert", "26", 0, 100, 40 },  { "conf_chglt_alert", "28", -30, 10, 40 },
    { "conf_vpgine", "2C", 0, 5000, 0 },       { "conf_dsght_alert", "3F", 0, 100, 40 },
    { "conf_dsglt_alert", "41", -40, 20, 40 }, { "conf_getmod", "46", 0, 65000, 0 },
    { "conf_reset", "53", 0, 65500, 0 },       { "conf_initafe", "4F", 0, 65500, 0 },
    { "conf_initsoc", "50", 0, 65500, 0 },     { "conf_debug", "4A", 0, 65500, 0 },
};

QByteArray slotOf(const QByteArray &field)
{
    return field.endsWith("_2") ? "on_" + field.chopped(2) + "_btn_2_clicked"
                                : "on_" + field + "_btn_clicked";
}

// CRC-16/MODBUS bit by bit, independent of the program's table-driven one.
quint16 modbusCrc(const QByteArray &bytes)
{
    quint16 crc = 0xFFFF;
    for (char byte : bytes) {
        crc ^= quint8(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1;
    }
    return crc;
}

QByteArray frame(const char *address, const char *code, quint16 value)
{
    const QByteArray data = QByteArray::number(value, 16);
    QByteArray f = QByteArray(":W+") + address + '+' + code + "+0" + QByteArray::number(data.size())
        + '+' + data + '+';
    return f + QByteArray::number(modbusCrc(f), 16).rightJustified(4, '0') + '~';
}

QByteArray reply(const char *address, const QByteArray &block)
{
    const QByteArray span = QByteArray(":Y+") + address + "+52+" + block;
    return span + '+' + QByteArray::number(modbusCrc(span), 16).toUpper().rightJustified(4, '0')
        + "~\r\n";
}

QImage shown(const QLabel *label)
{
    return label->pixmap(Qt::ReturnByValue).toImage();
}

// The line of the window under test.
BoardSession *line = nullptr;

QList<QByteArray> takeQueue()
{
    QList<QByteArray> frames(line->sendQueuebak.begin(), line->sendQueuebak.end());
    line->sendQueuebak.clear();
    line->sendQueuebuff.clear();
    return frames;
}

// The queued writes, without the read-backs queued behind them.
QList<QByteArray> takeWrites()
{
    QList<QByteArray> frames = takeQueue();
    frames.erase(std::remove_if(frames.begin(), frames.end(),
                                [](const QByteArray &f) { return f.endsWith("+52=?~"); }),
                 frames.end());
    return frames;
}

// A parameter block with these four-digit fields set (offset in the block, value), zero elsewhere.
QByteArray blockWith(const QList<QPair<int, int>> &fields)
{
    QByteArray block(197, '0');
    for (const auto &f : fields)
        block.replace(f.first, 4,
                      QByteArray::number(f.second, 16).toUpper().rightJustified(4, '0'));
    return block;
}

} // namespace

class TestParameterPages : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();

    // First, while no field was written or typed into.
    void notANumberAndFocusReset();
    void everyRowKeepsItsRange_data();
    void everyRowKeepsItsRange();
    void typedValueToFrame();
    void deviceCommands();
    void publicSlotsByName();
    void readBack();
    void keyboard();
    void writeJudgedByTheReadBack_data();
    void writeJudgedByTheReadBack();
    void failedWriteStaysNamed();
    void readBackRetriedThenReported();
    void typedValuesAreNotTheBoards();
    void contradictingWriteAsksFirst();
    void rangesInEveryLanguage();
    void closedPortSendsNothing();

private:
    template<typename T>
    T *child(const char *name)
    {
        return namedChild<T>(window.get(), name);
    }
    // Presses the button of a field's row; the Debug page's buttons are disabled, so those slots
    // are invoked by name, the row's only way in.
    void press(const char *field)
    {
        const QByteArray slot = slotOf(field);
        auto *button = child<QPushButton>(slot.mid(3).chopped(8).constData());
        if (button->isEnabled())
            button->click();
        else
            QVERIFY(QMetaObject::invokeMethod(window.get(), slot.constData()));
    }
    // One poll tick at a clock a second on: the line is idle, the head frame goes out.
    void tick()
    {
        now += 1000;
        QVERIFY(QMetaObject::invokeMethod(window.get(), "sendRequest"));
    }
    // The words of a field's mark: the first line of its tool tip, above the field's range.
    QString markOf(const char *field)
    {
        return child<QLineEdit>(field)->toolTip().section(QLatin1Char('\n'), 0, 0);
    }
    // A refused value: nothing queued, the field marked, one box whose first line is text; the
    // lines below it (the field and its range) are given back.
    QString checkRefused(const char *field, const char *style, Messages::Kind kind,
                         const QString &title, const QString &text)
    {
        [&] {
            QCOMPARE(takeQueue(), QList<QByteArray>());
            QCOMPARE(child<QLineEdit>(field)->styleSheet(), QLatin1String(style));
            QCOMPARE(recorder->entries().size(), 1);
            QCOMPARE(recorder->entries().at(0).kind, kind);
            QCOMPARE(recorder->entries().at(0).title, title);
            QCOMPARE(recorder->entries().at(0).text.section(QLatin1Char('\n'), 0, 0), text);
        }();
        const QString detail = recorder->entries().value(0).text.section(QLatin1Char('\n'), 1);
        recorder->clear();
        return detail;
    }
    // Reads the board's values as the one-key read does: the request goes out, the block
    // answers it.
    void readBoard(const char *address, const QList<QPair<int, int>> &fields)
    {
        child<QPushButton>("conf_read")->click();
        tick();
        emit window->dataReceived(reply(address, blockWith(fields)));
        takeQueue();
    }

    int master = -1;
    qint64 now = 0; // the window's clock
    std::unique_ptr<Messages::Recorder> recorder;
    std::unique_ptr<MainWindow> window;
};

void TestParameterPages::initTestCase()
{
    QLocale::setDefault(QLocale::c());
    master = posix_openpt(O_RDWR | O_NOCTTY);
    QVERIFY(master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0);
    const QString slave = QString::fromLocal8Bit(ptsname(master));
    qputenv("ARVEX_EXTRA_PORTS", slave.toLocal8Bit());
    recorder = std::make_unique<Messages::Recorder>();
    window = std::make_unique<MainWindow>();
    line = window->boardSession();
    window->setClock([this] { return now; });
    child<QSpinBox>("spinBox")->setValue(9999);
    auto *ports = child<QComboBox>("portName");
    ports->setCurrentIndex(ports->findText(slave + QStringLiteral(" (virtual)")));
    child<SwitchButton>("openCom")->SetActive(true);
    QVERIFY(child<QLabel>("statu_opencom")->text().contains(QStringLiteral("OPENED")));
}

void TestParameterPages::cleanupTestCase()
{
    window.reset();
    recorder.reset();
    ::close(master);
    qunsetenv("ARVEX_EXTRA_PORTS");
}

void TestParameterPages::init()
{
    child<QSpinBox>("DeviceID")->setValue(1);
    // Switched off and on: nothing queued, no write under way, the line answered.
    child<SwitchButton>("openCom")->SetActive(false);
    child<SwitchButton>("openCom")->SetActive(true);
    QVERIFY(child<SwitchButton>("openCom")->checked());
    recorder->clear();
    recorder->setAnswer(true);
}

void TestParameterPages::everyRowKeepsItsRange_data()
{
    QTest::addColumn<int>("row");
    for (int i = 0; i < int(std::size(Rows)); ++i)
        QTest::newRow(Rows[i].field) << i;
}

void TestParameterPages::everyRowKeepsItsRange()
{
    QFETCH(int, row);
    const Row &r = Rows[row];
    auto *field = child<QLineEdit>(r.field);
    for (int typed : { r.min, r.max }) {
        field->setText(QString::number(typed));
        press(r.field);
        // A read-back follows, unless the block does not carry the field: resetting the board or
        // its state of charge changes no field.
        QList<QByteArray> expected{ frame("01", r.code, quint16(typed + r.offset)) };
        if (qstrcmp(r.code, "53") != 0 && qstrcmp(r.code, "50") != 0)
            expected << ReadBack;
        QCOMPARE(takeQueue(), expected);
        // Sent, not yet confirmed: not the look of a value the board holds.
        QCOMPARE(field->styleSheet(), QLatin1String(Unconfirmed));
        QVERIFY(recorder->entries().isEmpty());
    }
    const QString range = QStringLiteral("输入的参数超过 [%1 - %2] 的范围。").arg(r.min).arg(r.max);
    // Below the box's own words, and in the field's tool tip: what the field takes.
    const QString takes = QStringLiteral("%1 至 %2").arg(r.min).arg(r.max);
    QVERIFY2(field->toolTip().contains(QStringLiteral("范围：") + takes),
             qPrintable(field->toolTip()));
    for (int typed : { r.min - 1, r.max + 1 }) {
        field->setText(QString::number(typed));
        press(r.field);
        const QString detail = checkRefused(r.field, Yellow, Messages::Kind::Warning,
                                            QStringLiteral("Warning"), range);
        QVERIFY2(detail.contains(takes), qPrintable(detail));
        QCOMPARE(field->selectedText(), field->text()); // ready to be typed over
    }
}

void TestParameterPages::typedValueToFrame()
{
    const struct
    {
        const char *field, *text;
        int address;
        QByteArray expected; // empty: refused as out of range
    } cases[] = {
        { "conf_chglt", "-20", 1, frame("01", "0E", 0x14) }, // + 40
        { "conf_chght", "45", 1, frame("01", "0C", 0x55) },
        { "conf_cax", "-5", 1, frame("01", "24", 0xFFFB) }, // two's complement
        { "conf_cax", "-0.5", 1, frame("01", "24", 0) }, // toward zero
        { "conf_totalcell", "3.9", 1, frame("01", "16", 3) },
        { "conf_lv", "3000", 10, frame("0A", "06", 3000) },
        { "conf_lv", "3000", 0, frame("00", "06", 3000) },
        { "conf_dsglt", "15", 1, frame("01", "12", 55) },
        { "conf_dsgltre", "15", 1, QByteArray() }, // its twin's range is wider
    };
    for (const auto &c : cases) {
        child<QSpinBox>("DeviceID")->setValue(c.address);
        child<QLineEdit>(c.field)->setText(QLatin1String(c.text));
        press(c.field);
        const QList<QByteArray> queued = takeWrites();
        QVERIFY2(queued == (c.expected.isEmpty() ? QList<QByteArray>() : QList{ c.expected }),
                 c.text);
        QCOMPARE(recorder->entries().size(), c.expected.isEmpty() ? 1 : 0);
        recorder->clear();
    }
}

void TestParameterPages::notANumberAndFocusReset()
{
    auto *field = child<QLineEdit>("conf_hv");
    for (const char *text : { "", "abc", "12x", "nan", "inf", "-" }) {
        field->setText(QLatin1String(text));
        press("conf_hv");
        // The box's own words, then the field's caption and what it takes.
        QCOMPARE(checkRefused("conf_hv", Red, Messages::Kind::Critical, QStringLiteral("Error"),
                              QStringLiteral("输入的值无效 ！")),
                 QStringLiteral("过压保护阈值，范围 1500 至 5000 mV"));
    }

    // Every field of the parameter pages, the hidden ones too, turns neutral on focus.
    QList<QLineEdit *> fields;
    for (const char *page : { "tab_2", "tab", "tab_4" })
        fields += child<QWidget>(page)->findChildren<QLineEdit *>();
    QVERIFY(fields.size() > 60);
    for (QLineEdit *edit : fields) {
        edit->setStyleSheet(QLatin1String(Yellow));
        QFocusEvent in(QEvent::FocusIn, Qt::MouseFocusReason);
        QCoreApplication::sendEvent(edit, &in);
        QVERIFY2(edit->styleSheet() == QLatin1String(Neutral), qPrintable(edit->objectName()));
    }

    // A value typed and not sent keeps its look: only a refusal's colour goes.
    auto *typed = child<QLineEdit>("conf_hvt");
    typed->clear();
    QTest::keyClicks(typed, "99999");
    QCOMPARE(typed->styleSheet(), QLatin1String(Unconfirmed));
    press("conf_hvt");
    checkRefused("conf_hvt", Yellow, Messages::Kind::Warning, QStringLiteral("Warning"),
                 QStringLiteral("输入的参数超过 [100 - 10000] 的范围。"));
    QFocusEvent in(QEvent::FocusIn, Qt::MouseFocusReason);
    QCoreApplication::sendEvent(typed, &in);
    QCOMPARE(typed->styleSheet(), QLatin1String(Unconfirmed));
}

void TestParameterPages::deviceCommands()
{
    // Exactly one frame with 90 each, whatever the fields hold; "4f" keeps its lower case. The
    // three that throw away settings or state ask first, naming the pack; calibration does not.
    const struct
    {
        const char *button;
        const char *code;
        bool asks;
        bool readsBack; // the factory values replace the pages' values
    } commands[] = { { "btn_init_para", "4f", true, true },
                     { "btn_init_soc", "50", true, false },
                     { "btn_reset", "53", true, false },
                     { "btn_mes", "48", false, false } };
    child<QLineEdit>("data_mcadc")->setText(QStringLiteral("junk"));
    child<QSpinBox>("DeviceID")->setValue(7);
    QSet<QString> questions;
    for (const auto &c : commands) {
        for (bool yes : { false, true }) {
            recorder->setAnswer(yes);
            child<QPushButton>(c.button)->click();
            QList<QByteArray> expected;
            if (yes || !c.asks)
                expected << frame("07", c.code, 90);
            if (!expected.isEmpty() && c.readsBack)
                expected << ":Y+07+52=?~";
            QVERIFY2(takeQueue() == expected, c.button);
            QCOMPARE(recorder->entries().size(), c.asks ? 1 : 0);
            if (c.asks) {
                const Messages::Recorder::Entry box = recorder->entries().first();
                QCOMPARE(box.kind, Messages::Kind::Question);
                QVERIFY2(box.text.contains(QStringLiteral("地址 7 ")), qPrintable(box.text));
                questions.insert(box.text);
            }
            recorder->clear();
        }
    }
    QCOMPARE(questions.size(), 3); // each says what it does
}

void TestParameterPages::publicSlotsByName()
{
    QVERIFY(QMetaObject::invokeMethod(window.get(), "SendData", Q_ARG(uint16_t, 500),
                                      Q_ARG(QByteArray, ":W+01+00+")));
    QCOMPARE(takeQueue(), QList<QByteArray>{ ":W+01+00+03+1f4+6edc~" });

    auto *field = child<QLineEdit>("conf_design");
    field->setText(QStringLiteral("7"));
    bool accepted = false;
    QVERIFY(QMetaObject::invokeMethod(window.get(), "CheckINPUT", Q_RETURN_ARG(bool, accepted),
                                      Q_ARG(QLineEdit *, field), Q_ARG(int, 6), Q_ARG(int, 1)));
    QVERIFY(!accepted);
    QCOMPARE(field->styleSheet(), QLatin1String(Yellow));
}

void TestParameterPages::readBack()
{
    auto *lamp = child<QLabel>("statu_read");
    const QImage off = QPixmap(QStringLiteral(":/asset/assert/NO.png")).toImage();
    const QImage on = QPixmap(QStringLiteral(":/asset/assert/Pas.png")).toImage();
    child<QSpinBox>("DeviceID")->setValue(10);
    lamp->setPixmap(QPixmap(QStringLiteral(":/asset/assert/Err.png")));
    child<QPushButton>("conf_read")->click();
    QCOMPARE(takeQueue(), QList<QByteArray>{ ":Y+0A+52=?~" });
    QVERIFY(shown(lamp) == off);

    // Yellow fields the block resets; switches that must turn off.
    child<QLineEdit>("conf_chgc")->setStyleSheet(QLatin1String(Yellow));
    child<QLineEdit>("conf_lv")->setStyleSheet(QLatin1String(Yellow));
    for (const char *name : { "sw_avlp", "sw_buzzer", "sw_avhp" })
        child<SwitchButton>(name)->SetActive(true);
    QByteArray block(197, '0');
    block.replace(18, 4, "0007"); // learning factor, halved
    block.replace(30, 4, "01F4"); // charge over-current 500
    block.replace(54, 4, "0C80"); // under-voltage 3200
    block.replace(159, 2, "21"); // total under-voltage switch off (2), buzzer on (1)
    emit window->dataReceived(reply("0C", block));

    QVERIFY(shown(lamp) == on);
    QCOMPARE(child<QLabel>("statu_send")->text(), QStringLiteral("Fine "));
    const QList<QPair<const char *, const char *>> texts = {
        { "conf_dnum", "12" },    { "conf_cax", "-100" }, { "conf_chght", "-40" },
        { "conf_lenstatu", "3" }, { "conf_chgc", "500" }, { "conf_lv", "3200" },
    };
    for (const auto &t : texts)
        QCOMPARE(child<QLineEdit>(t.first)->text(), QLatin1String(t.second));
    QCOMPARE(child<QLineEdit>("conf_chgc")->styleSheet(), QLatin1String(Neutral));
    QCOMPARE(child<QLineEdit>("conf_lv")->styleSheet(), QLatin1String(Neutral));
    for (const char *name : { "sw_avhp", "sw_avlp", "sw_buzzer" })
        QCOMPARE(child<SwitchButton>(name)->checked(), qstrcmp(name, "sw_buzzer") == 0);
    // Every widget the decoder names shows what it decoded, and setting switches sent nothing.
    for (const ParameterBlock::Field &f : ParameterBlock::decode("0C", block)) {
        if (f.kind == ParameterBlock::Field::Switch)
            QVERIFY2(child<SwitchButton>(f.widget)->checked() == f.on, f.widget);
        else
            QVERIFY2(child<QLineEdit>(f.widget)->text() == f.text, f.widget);
    }
    QVERIFY(line->sendQueuebak.isEmpty());
    QTRY_VERIFY_WITH_TIMEOUT(shown(lamp) == off, 5000);
}

void TestParameterPages::keyboard()
{
    // Enter in a field applies its row as the button does; a row whose button is disabled (the
    // Debug page) takes no Enter either.
    auto *field = child<QLineEdit>("conf_lv");
    field->setText(QStringLiteral("3000"));
    QTest::keyClick(field, Qt::Key_Return);
    QCOMPARE(takeWrites(), QList<QByteArray>{ frame("01", "06", 3000) });
    child<QLineEdit>("conf_avhp_2")->setText(QStringLiteral("5000"));
    QTest::keyClick(child<QLineEdit>("conf_avhp_2"), Qt::Key_Enter);
    QCOMPARE(takeWrites(), QList<QByteArray>{ frame("01", "22", 5000) });
    child<QLineEdit>("conf_short")->setText(QStringLiteral("5"));
    QTest::keyClick(child<QLineEdit>("conf_short"), Qt::Key_Return);
    QCOMPARE(takeQueue(), QList<QByteArray>());
    QVERIFY(recorder->entries().isEmpty());

    // Tab goes round the main page and the top bar: it reaches the connection switch and passes
    // over the fields that only show values (the main page is full of them).
    window->show();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    child<QTabWidget>("tab_widget")->setCurrentIndex(0);
    auto *openCom = child<SwitchButton>("openCom");
    auto *lang = child<QComboBox>("lang");
    lang->setFocus(Qt::TabFocusReason);
    QSet<QWidget *> reached;
    for (int i = 0; i < 200; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget *focused = QApplication::focusWidget();
        if (focused == lang)
            break;
        reached.insert(focused);
    }
    QVERIFY(reached.contains(openCom));
    for (QWidget *widget : qAsConst(reached)) {
        auto *edit = qobject_cast<QLineEdit *>(widget);
        QVERIFY2(!edit || !edit->isReadOnly(), qPrintable(widget->objectName()));
    }

    // Space on the focused switch closes the port and opens it again.
    openCom->setFocus(Qt::TabFocusReason);
    QTest::keyClick(openCom, Qt::Key_Space);
    QVERIFY(!openCom->checked());
    QVERIFY(child<QLabel>("statu_opencom")->text().contains(QStringLiteral("CLOSED")));
    QTest::keyClick(openCom, Qt::Key_Space);
    QVERIFY(openCom->checked());
    QVERIFY(child<QLabel>("statu_opencom")->text().contains(QStringLiteral("OPENED")));
    window->hide();
}

void TestParameterPages::writeJudgedByTheReadBack_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("offset"); // of the field in the block
    QTest::addColumn<int>("held"); // what the block says the board holds
    QTest::addColumn<QString>("shown"); // the board's value, as the field shows it
    QTest::addColumn<bool>("confirmed");
    QTest::newRow("taken") << QStringLiteral("conf_lv") << QStringLiteral("3000") << 54 << 3000
                           << QStringLiteral("3000") << true;
    QTest::newRow("kept") << QStringLiteral("conf_lv") << QStringLiteral("3000") << 54 << 2800
                          << QStringLiteral("2800") << false;
    // Compared as the field shows it: degrees, not degrees + 40; the compensation signed.
    QTest::newRow("temperature") << QStringLiteral("conf_chglt") << QStringLiteral("-20") << 86
                                 << 20 << QStringLiteral("-20") << true;
    QTest::newRow("temperature kept") << QStringLiteral("conf_chglt") << QStringLiteral("-20") << 86
                                      << 40 << QStringLiteral("0") << false;
    QTest::newRow("compensation") << QStringLiteral("conf_cax") << QStringLiteral("-5") << 6 << 95
                                  << QStringLiteral("-5") << true;
    QTest::newRow("whole number sent") << QStringLiteral("conf_totalcell") << QStringLiteral("3.9")
                                       << 118 << 3 << QStringLiteral("3") << true;
}

void TestParameterPages::writeJudgedByTheReadBack()
{
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(int, offset);
    QFETCH(int, held);
    QFETCH(QString, shown);
    QFETCH(bool, confirmed);
    const QByteArray name = field.toLatin1();
    auto *edit = child<QLineEdit>(name.constData());
    edit->setText(typed); // the compensation's row is on the Debug page, which takes no typing
    press(name.constData());
    QCOMPARE(markOf(name.constData()), QStringLiteral("已发送，等待读回确认"));

    // A block that was asked for before the write went out judges nothing.
    tick(); // the write
    emit window->dataReceived(reply("01", blockWith({ { offset, held ^ 1 } })));
    QCOMPARE(edit->text(), typed);
    QCOMPARE(edit->styleSheet(), QLatin1String(Unconfirmed));

    tick(); // the read-back
    emit window->dataReceived(reply("01", blockWith({ { offset, held } })));
    QCOMPARE(edit->text(), shown);
    if (confirmed) {
        QCOMPARE(edit->styleSheet(), QLatin1String(Neutral));
        QCOMPARE(markOf(name.constData()), QStringLiteral("已确认：板子保存了 %1").arg(shown));
    } else {
        QCOMPARE(edit->styleSheet(), QLatin1String(Kept));
        QVERIFY2(markOf(name.constData()).startsWith(QStringLiteral("板子保留了 %1").arg(shown)),
                 qPrintable(markOf(name.constData())));
        QVERIFY(child<QLabel>("conf_read_state")->text().contains(markOf(name.constData())));
    }
    QVERIFY(edit->actions().size() == 1 && edit->actions().first()->isVisible());
    QVERIFY(recorder->entries().isEmpty());
    takeQueue();
}

void TestParameterPages::failedWriteStaysNamed()
{
    // The board keeps one row, then takes another: the line under the page still names the one
    // it kept, until that row is written again and taken.
    QList<QPair<int, int>> board; // what the board holds, at its offsets in the block
    const auto writeAndAnswer = [&](const char *field, const char *typed, int offset, int held) {
        child<QLineEdit>(field)->setText(QLatin1String(typed));
        press(field);
        tick(); // the write
        tick(); // its read-back
        board.append({ offset, held });
        emit window->dataReceived(reply("01", blockWith(board)));
        takeQueue();
    };
    auto *state = child<QLabel>("conf_read_state");
    writeAndAnswer("conf_lv", "3000", 54, 2800);
    writeAndAnswer("conf_hv", "3600", 66, 3600);
    QCOMPARE(markOf("conf_hv"), QStringLiteral("已确认：板子保存了 3600"));
    QVERIFY2(state->text().contains(QStringLiteral("板子保留了 2800")), qPrintable(state->text()));
    QVERIFY(state->styleSheet().contains(QLatin1String("red")));
    writeAndAnswer("conf_lv", "2900", 54, 2900);
    QVERIFY2(state->text().contains(QStringLiteral("已确认：板子保存了 2900")),
             qPrintable(state->text()));
    QVERIFY(!state->styleSheet().contains(QLatin1String("red")));
}

void TestParameterPages::readBackRetriedThenReported()
{
    auto *lamp = child<QLabel>("statu_read");
    auto *state = child<QLabel>("conf_read_state");
    const QImage red = QPixmap(QStringLiteral(":/asset/assert/Err.png")).toImage();
    child<QLineEdit>("conf_hv")->setText(QStringLiteral("3600"));
    press("conf_hv");
    child<QPushButton>("conf_read")->click();
    tick(); // the write
    tick(); // its read-back
    // Three more tries, one a tick, while no valid reply comes (a spoiled one does not count).
    for (int retry = 1; retry <= 3; ++retry) {
        QByteArray spoiled = reply("01", blockWith({ { 66, 3650 } }));
        spoiled[20] = '1';
        emit window->dataReceived(spoiled);
        tick();
        QVERIFY2(shown(lamp) != red, qPrintable(QString::number(retry)));
        QVERIFY(state->text().isEmpty());
        QCOMPARE(line->sendQueuebak.size(), 1); // the user's read-back still waits
    }
    tick(); // the fourth try got nothing either
    QCOMPARE(shown(lamp), red);
    QCOMPARE(child<QLabel>("statu_send")->text(), QStringLiteral("Read-back failed!"));
    QCOMPARE(state->text(), QStringLiteral("读回失败：4 次请求均未得到有效回复"));
    QCOMPARE(child<QLineEdit>("conf_hv")->text(), QStringLiteral("3600"));
    QCOMPARE(child<QLineEdit>("conf_hv")->styleSheet(), QLatin1String(Unconfirmed));
    QVERIFY(markOf("conf_hv").startsWith(QStringLiteral("未确认")));

    // The user's read-back went out behind the retries; its answer ends the report.
    emit window->dataReceived(reply("01", blockWith({ { 66, 3650 } })));
    QVERIFY(shown(lamp) != red);
    QVERIFY(state->text().isEmpty());
    QCOMPARE(child<QLineEdit>("conf_hv")->text(), QStringLiteral("3650"));
    QCOMPARE(child<QLineEdit>("conf_hv")->styleSheet(), QLatin1String(Neutral));
    takeQueue();
}

void TestParameterPages::typedValuesAreNotTheBoards()
{
    // Typed into two fields, one of them applied: the read-back after it leaves the other
    // field's typed value, which is still not the board's, and its look.
    auto *applied = child<QLineEdit>("conf_dsgc1");
    auto *typed = child<QLineEdit>("conf_dsgc2");
    for (QLineEdit *edit : { applied, typed }) {
        edit->clear();
        QTest::keyClicks(edit, "120");
        QCOMPARE(edit->styleSheet(), QLatin1String(Unconfirmed));
    }
    press("conf_dsgc1");
    tick();
    tick();
    emit window->dataReceived(reply("01", blockWith({ { 38, 120 }, { 42, 300 } })));
    QCOMPARE(applied->styleSheet(), QLatin1String(Neutral));
    QCOMPARE(typed->text(), QStringLiteral("120"));
    QCOMPARE(typed->styleSheet(), QLatin1String(Unconfirmed));

    // The words of a mark follow the language.
    struct English : QTranslator
    {
        QString translate(const char *, const char *text, const char *, int) const override
        {
            return qstrcmp(text, "已输入，尚未发送") == 0 ? QStringLiteral("Typed, not sent yet")
                                                          : QString();
        }
    } english;
    // Outside exec() installing a translator announces nothing; the event loop of the program
    // would send this.
    QEvent languageChange(QEvent::LanguageChange);
    QCoreApplication::installTranslator(&english);
    QCoreApplication::sendEvent(qApp, &languageChange);
    QTRY_COMPARE(markOf("conf_dsgc2"), QStringLiteral("Typed, not sent yet"));
    QCoreApplication::removeTranslator(&english);
    QCoreApplication::sendEvent(qApp, &languageChange);
    QTRY_COMPARE(markOf("conf_dsgc2"), QStringLiteral("已输入，尚未发送"));

    // The one-key read asks for the board's values: every field shows them, neutral.
    child<QPushButton>("conf_read")->click();
    tick();
    emit window->dataReceived(reply("01", blockWith({ { 38, 120 }, { 42, 300 } })));
    QCOMPARE(typed->text(), QStringLiteral("300"));
    QCOMPARE(typed->styleSheet(), QLatin1String(Neutral));
    takeQueue();
}

void TestParameterPages::contradictingWriteAsksFirst()
{
    // Nothing read from the board since the line opened: nothing to judge a write by.
    auto *release = child<QLineEdit>("conf_lvre");
    release->setText(QStringLiteral("2000"));
    press("conf_lvre");
    QCOMPARE(takeWrites(), QList<QByteArray>{ frame("01", "07", 2000) });
    QVERIFY(recorder->entries().isEmpty());

    // The board holds an under-voltage trip of 2700 mV and a release of 2900 mV (offsets 54 and
    // 58 of the block), an over-voltage trip of 3650 mV (66) and a release of 3400 mV (70).
    const QList<QPair<int, int>> board = { { 54, 2700 }, { 58, 2900 }, { 66, 3650 }, { 70, 3400 } };
    readBoard("01", board);
    const struct
    {
        const char *field, *typed, *code;
        int sent;
        QStringList named; // what the question names; empty: no question
    } cases[] = {
        { "conf_lvre",
          "2000",
          "07",
          2000,
          { "2000 mV", "2700 mV", "欠压恢复阈值", "欠压保护阈值" } },
        { "conf_lvre", "2700", "07", 2700, { "2700 mV" } }, // no margin
        { "conf_lvre", "2701", "07", 2701, {} },
        { "conf_lv", "3000", "06", 3000, { "2900 mV", "3000 mV" } }, // over its release
        // Under the under-voltage trip: its own release and the under-voltage trip both named.
        { "conf_hv", "2600", "09", 2600, { "3400 mV", "2700 mV", "2600 mV" } },
        { "conf_chgc", "100", "00", 100, {} }, // in no pair
    };
    for (const auto &c : cases) {
        child<QLineEdit>(c.field)->setText(QLatin1String(c.typed));
        for (bool yes : { false, true }) {
            recorder->setAnswer(yes);
            press(c.field);
            const QList<QByteArray> sent = takeWrites();
            if (c.named.isEmpty()) {
                QVERIFY2(recorder->entries().isEmpty(), c.typed);
                QCOMPARE(sent, QList<QByteArray>{ frame("01", c.code, quint16(c.sent)) });
                break;
            }
            QCOMPARE(recorder->entries().size(), 1);
            const Messages::Recorder::Entry box = recorder->entries().first();
            QCOMPARE(box.kind, Messages::Kind::Question);
            for (const QString &part : c.named)
                QVERIFY2(box.text.contains(part), qPrintable(box.text));
            QVERIFY2(box.text.contains(QStringLiteral("地址 1 ")), qPrintable(box.text));
            // "No" sends nothing and leaves the value typed, not the board's.
            QCOMPARE(sent,
                     yes ? QList<QByteArray>{ frame("01", c.code, quint16(c.sent)) }
                         : QList<QByteArray>());
            if (!yes)
                QCOMPARE(child<QLineEdit>(c.field)->styleSheet(), QLatin1String(Unconfirmed));
            recorder->clear();
        }
        readBoard("01", board); // the board as it was
    }

    // Temperatures are judged in degrees, as typed: a charge over-temperature trip of 55 and a
    // release of 50 (offsets 78 and 82, degrees + 40).
    readBoard("01", { { 78, 95 }, { 82, 90 } });
    recorder->setAnswer(false);
    child<QLineEdit>("conf_chghtre")->setText(QStringLiteral("56"));
    press("conf_chghtre");
    QCOMPARE(takeWrites(), QList<QByteArray>());
    QCOMPARE(recorder->entries().size(), 1);
    QVERIFY2(recorder->entries().first().text.contains(QStringLiteral("56 ℃")),
             qPrintable(recorder->entries().first().text));
    recorder->clear();

    // Another pack: what pack 1 holds says nothing of it.
    child<QSpinBox>("DeviceID")->setValue(2);
    release->setText(QStringLiteral("2000"));
    press("conf_lvre");
    QCOMPARE(takeWrites(), QList<QByteArray>{ frame("02", "07", 2000) });
    QVERIFY(recorder->entries().isEmpty());
}

void TestParameterPages::rangesInEveryLanguage()
{
    // Every field's tool tip and a refusal's box name the range and unit in the chosen
    // language; the box keeps its own words as its first line.
    auto *lang = child<QComboBox>("lang");
    const auto chinese = qScopeGuard([lang] { lang->setCurrentIndex(0); });
    const struct
    {
        int index;
        QString voltage, pack, temperature, invalid, detail;
    } languages[] = {
        { 1, "Range: 1500 to 3200 mV", "Range: 300 to 10000 × 10 mV", "Range: -20 to 10 ℃",
          "Invalid value!", "Undervoltage trip, range 1500 to 3200 mV" },
        { 2, "Bereich: 1500 bis 3200 mV", "Bereich: 300 bis 10000 × 10 mV", "Bereich: -20 bis 10 ℃",
          "Ungültiger Wert!", "Unterspannung Schwelle: 1500 bis 3200 mV" },
        { 0, "范围：1500 至 3200 mV", "范围：300 至 10000 × 10 mV", "范围：-20 至 10 ℃",
          "输入的值无效 ！", "欠压保护阈值，范围 1500 至 3200 mV" },
    };
    auto *field = child<QLineEdit>("conf_lv");
    for (const auto &l : languages) {
        lang->setCurrentIndex(l.index);
        // Below whatever an earlier write's mark says.
        QCOMPARE(field->toolTip().section(QLatin1Char('\n'), -1), l.voltage);
        QCOMPARE(child<QLineEdit>("conf_avlp_2")->toolTip(), l.pack);
        QCOMPARE(child<QLineEdit>("conf_chglt")->toolTip(), l.temperature);
        field->clear();
        QTest::keyClicks(field, "abc");
        press("conf_lv");
        QCOMPARE(recorder->entries().size(), 1);
        QCOMPARE(recorder->entries().first().text, l.invalid + QLatin1Char('\n') + l.detail);
        recorder->clear();
        // A mark's words come first; the range stays below them.
        field->setText(QStringLiteral("3000"));
        press("conf_lv");
        QCOMPARE(field->toolTip().section(QLatin1Char('\n'), 1), l.voltage);
        takeQueue();
    }
}

void TestParameterPages::closedPortSendsNothing()
{
    child<SwitchButton>("openCom")->SetActive(false);
    recorder->clear();
    child<QLineEdit>("conf_chgc")->setText(QStringLiteral("600"));
    press("conf_chgc"); // still checked first
    checkRefused("conf_chgc", Yellow, Messages::Kind::Warning, QStringLiteral("Warning"),
                 QStringLiteral("输入的参数超过 [1 - 500] 的范围。"));
    child<QLineEdit>("conf_chgc")->setText(QStringLiteral("100"));
    press("conf_chgc");
    checkRefused("conf_chgc", Neutral, Messages::Kind::Warning, QStringLiteral("错误"),
                 QStringLiteral("串口未打开，请先打开串口。"));
    // Nothing to ask about: the command cannot go out.
    child<QPushButton>("btn_reset")->click();
    QCOMPARE(takeQueue(), QList<QByteArray>());
    QCOMPARE(recorder->entries().size(), 1);
    QCOMPARE(recorder->entries().first().kind, Messages::Kind::Warning);
}

QTEST_MAIN(TestParameterPages)
#include "tst_parameterpages.moc"
