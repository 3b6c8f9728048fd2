// The port list's entries, what a device is across unplugging, and the names that find a port.
#include "portlist.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

PortInfo usbAdapter()
{
    PortInfo port;
    port.name = QStringLiteral("ttyUSB0");
    port.location = QStringLiteral("/dev/ttyUSB0");
    port.description = QStringLiteral("FT232R USB UART");
    port.manufacturer = QStringLiteral("FTDI");
    port.serialNumber = QStringLiteral("A50285BI");
    port.usb = true;
    port.vendorId = 0x0403;
    port.productId = 0x6001;
    port.byId = QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0");
    return port;
}

} // namespace

Q_DECLARE_METATYPE(PortInfo)

class TestPortList : public QObject
{
    Q_OBJECT

private slots:
    void entryAndIdentity_data();
    void entryAndIdentity();
    void stableNamesAndExtraPorts();
};

void TestPortList::entryAndIdentity_data()
{
    QTest::addColumn<PortInfo>("port");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("identity");

    const PortInfo usb = usbAdapter();
    QTest::newRow("USB adapter")
        << usb
        << "ttyUSB0 (FT232R USB UART, S/N A50285BI, "
           "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0)"
        << "usb:0403:6001:A50285BI";

    PortInfo noSerial = usb; // a CH340 has none: known by its path
    noSerial.name = QStringLiteral("ttyUSB1");
    noSerial.location = QStringLiteral("/dev/ttyUSB1");
    noSerial.description = QStringLiteral("USB Serial");
    noSerial.serialNumber.clear();
    noSerial.byId.clear();
    QTest::newRow("USB, no serial number") << noSerial << "ttyUSB1 (USB Serial)"
                                           << "/dev/ttyUSB1";

    PortInfo uart;
    uart.name = QStringLiteral("ttyS0");
    uart.location = QStringLiteral("/dev/ttyS0");
    QTest::newRow("built-in, no description") << uart << "ttyS0 ()"
                                              << "/dev/ttyS0";

    PortInfo pty;
    pty.name = pty.location = QStringLiteral("/tmp/ttyARVEX");
    pty.isVirtual = true;
    QTest::newRow("virtual") << pty << "/tmp/ttyARVEX (virtual)"
                             << "/tmp/ttyARVEX";
}

void TestPortList::entryAndIdentity()
{
    QFETCH(PortInfo, port);
    QFETCH(QString, entry);
    QCOMPARE(PortList::entryText(port), entry);
    QTEST(PortList::identity(port), "identity");
    // The window gets the port back by cutting the entry at the first "(".
    QCOMPARE(entry.left(entry.indexOf(QLatin1Char('('))).trimmed(), port.name);
}

void TestPortList::stableNamesAndExtraPorts()
{
    // A stand-in for /dev: two device nodes, and a by-id folder with a link to one of them.
    QTemporaryDir dev;
    QVERIFY(dev.isValid());
    for (const char *node : { "ttyA", "ttyB" }) {
        QFile file(dev.filePath(QLatin1String(node)));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QVERIFY(QDir(dev.path()).mkdir(QStringLiteral("by-id")));
    const QString stable = dev.filePath(QStringLiteral("by-id/usb-Maker_Cable_1234-if00-port0"));
    QVERIFY(QFile::link(dev.filePath(QStringLiteral("ttyA")), stable));

    // Extra ports: present ones in order, once each; missing ones and blanks left out.
    qputenv("ARVEX_EXTRA_PORTS",
            QFile::encodeName(dev.filePath("ttyA") + QStringLiteral(": :/nonexistent/tty:")
                              + dev.filePath("ttyB") + QLatin1Char(':') + dev.filePath("ttyA")));
    QCOMPARE(PortList::extraPorts(), QStringList({ dev.filePath("ttyA"), dev.filePath("ttyB") }));
    const QList<PortInfo> ports = PortList::availablePorts(dev.filePath(QStringLiteral("by-id")));
    QVERIFY(ports.size() >= 2);
    QCOMPARE(ports.at(ports.size() - 2).name, dev.filePath("ttyA"));
    QVERIFY(ports.last().isVirtual);

    const QString byId = dev.filePath(QStringLiteral("by-id"));
    QCOMPARE(PortList::stableName(dev.filePath("ttyA"), byId), stable);
    QCOMPARE(PortList::stableName(dev.filePath("ttyB"), byId), QString());
    QCOMPARE(PortList::stableName(dev.filePath("ttyA"), QString()), QString());
    QCOMPARE(PortList::stableName(dev.filePath("gone"), byId), QString());

    // A port is found by its name, its path, its stable name or another link to its node.
    PortInfo port;
    port.name = QStringLiteral("ttyA");
    port.location = dev.filePath(QStringLiteral("ttyA"));
    port.byId = stable;
    const QList<PortInfo> listed{ PortInfo(), port };
    for (const QString &name : { QStringLiteral("ttyA"), port.location, stable })
        QVERIFY2(PortList::find(listed, name) == 1, qPrintable(name));
    QVERIFY(QFile::link(stable, dev.filePath(QStringLiteral("other-link"))));
    QCOMPARE(PortList::find(listed, dev.filePath(QStringLiteral("other-link"))), 1);
    for (const QString &name : { QString(), QStringLiteral("ttyB"), dev.filePath("ttyB"),
                                 QStringLiteral("/nonexistent") })
        QVERIFY2(PortList::find(listed, name) == -1, qPrintable(name));
    qunsetenv("ARVEX_EXTRA_PORTS");
}

QTEST_GUILESS_MAIN(TestPortList)
#include "tst_portlist.moc"
