// The window's link without a board: the checks at the head of ParseMsg, a port that cannot be
// opened, and a write to a closed port.
#include "crc.h"
#include "mainwindow.h"
#include "messages.h"
#include "namedchild.h"
#include "switchbutton.h"

#include <QComboBox>
#include <QLabel>
#include <QtTest>

#include <memory>

namespace {
QByteArray reply(const QByteArray &span, bool upperCase = false)
{
    const uint16_t crc =
        CRC::CRC16(reinterpret_cast<const unsigned char *>(span.constData()), span.size());
    QByteArray digits = QByteArray::number(crc, 16).rightJustified(4, '0');
    return span + '+' + (upperCase ? digits.toUpper() : digits) + '~';
}
} // namespace

class TestLink : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void receivedBlocksAreChecked_data();
    void receivedBlocksAreChecked();
    void failedOpenShowsClosedTextThenTheBox();
    void writeToClosedPortIsRefused();

private:
    template<typename T>
    T *child(const char *name)
    {
        return namedChild<T>(window.get(), name);
    }

    std::unique_ptr<Messages::Recorder> recorder;
    std::unique_ptr<MainWindow> window;
};

void TestLink::initTestCase()
{
    qunsetenv("ARVEX_EXTRA_PORTS");
    recorder = std::make_unique<Messages::Recorder>();
    window = std::make_unique<MainWindow>();
}

void TestLink::receivedBlocksAreChecked_data()
{
    QTest::addColumn<QByteArray>("block");
    QTest::addColumn<QString>("text"); // "" : the block is dropped without a word
    const QByteArray span = ":Y+01+51+0a";
    QTest::newRow("reply") << reply(span) << "Fine ";
    QTest::newRow("upper-case CRC, line end") << reply(span, true) + "\r\n"
                                              << "Fine ";
    QTest::newRow("noise in front") << "\x05~~" + reply(span) << "Fine ";
    QTest::newRow("write echo") << reply(":W+01+06+03+af0") << "Fine ";
    QTest::newRow("unknown code") << reply(":Y+01+77+0a") << "Fine ";
    QTest::newRow("spoiled CRC") << QByteArray(":Y+01+51+0a+77e4~") << "CRC Error!";
    QTest::newRow("two frames") << reply(span) + reply(span) << "CRC Error!";
    QTest::newRow("no start") << QByteArray("Y+01+51+0a+77e3~") << "";
}

void TestLink::receivedBlocksAreChecked()
{
    QFETCH(QByteArray, block);
    QFETCH(QString, text);
    auto *status = child<QLabel>("statu_send");
    status->setText(QStringLiteral("-"));
    // Invoked by name, as the signal reaches it.
    QVERIFY(QMetaObject::invokeMethod(window.get(), "ParseMsg", Q_ARG(QByteArray, block)));
    if (text.isEmpty()) {
        QCOMPARE(status->text(), QStringLiteral("-"));
        return;
    }
    QCOMPARE(status->text(), text);
    QCOMPARE(status->styleSheet(),
             text == QLatin1String("Fine ") ? QStringLiteral("QLabel { color : green; }")
                                            : QStringLiteral("QLabel { color : red; }"));
    const QImage lamp = child<QLabel>("statu_rxerr_mask")->pixmap(Qt::ReturnByValue).toImage();
    if (text == QLatin1String("CRC Error!"))
        QCOMPARE(lamp, QPixmap(":/asset/assert/Err.png").toImage());
}

void TestLink::failedOpenShowsClosedTextThenTheBox()
{
    auto *ports = child<QComboBox>("portName");
    ports->addItem(QStringLiteral("/nonexistent/ttyGONE (virtual)"));
    ports->setCurrentIndex(ports->count() - 1);

    // What the window shows at the moment the box comes up.
    QStringList seen;
    const Messages::Presenter previous = Messages::setPresenter(
        [&](QWidget *, Messages::Kind kind, const QString &title, const QString &text) {
            QCOMPARE(kind, Messages::Kind::Warning);
            seen << title << text << child<QLabel>("statu_opencom")->text();
        });
    child<SwitchButton>("openCom")->SetActive(true);
    Messages::setPresenter(previous);

    QCOMPARE(seen,
             (QStringList{ "Tip", "Failed to open serial port", "/nonexistent/ttyGONE CLOSED" }));
    QVERIFY(!child<SwitchButton>("openCom")->checked());
    QCOMPARE(child<QLabel>("statu_opencom")->styleSheet(),
             QStringLiteral("QLabel { color : red; }"));
    for (const char *name : { "portName", "bard", "DeviceID", "spinBox" })
        QVERIFY2(child<QWidget>(name)->isEnabled(), name);
}

void TestLink::writeToClosedPortIsRefused()
{
    recorder->clear();
    bool written = true;
    QVERIFY(QMetaObject::invokeMethod(window.get(), "writeData", Q_RETURN_ARG(bool, written),
                                      Q_ARG(QByteArray, ":Y+01+51=?~")));
    QVERIFY(!written);
    QCOMPARE(recorder->entries().size(), 1);
    QCOMPARE(recorder->entries().first().title, QStringLiteral("错误"));
    QCOMPARE(recorder->entries().first().text, QStringLiteral("串口未打开，请先打开串口。"));
}

QTEST_MAIN(TestLink)
#include "tst_link.moc"
