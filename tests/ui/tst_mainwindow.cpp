#include "drainevents.h"
#include "filedialogs.h"
#include "frameconsole.h"
#include "mainwindow.h"
#include "messages.h"
#include "namedchild.h"
#include "openfailure.h"
#include "packanalyses.h"
#include "packtile.h"
#include "parametertable.h"
#include "pty.h"
#include "startoptions.h"
#include "switchbutton.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLCDNumber>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSerialPort>
#include <QSerialPortInfo>
#include <QSettings>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTranslator>
#include <QtTest>

#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace {

const char Neutral[] = "QLineEdit { border: none; border-bottom: 2px solid white; }";

QImage picture(const QString &path)
{
    return QPixmap(path).toImage();
}

QImage shownPicture(const QLabel *label)
{
    return label->pixmap(Qt::ReturnByValue).toImage();
}

QString translated(const char *source)
{
    return QCoreApplication::translate("MainWindow", source);
}

void sendMouse(QWidget *target, QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons held,
               QPoint globalPos)
{
    QMouseEvent event(type, target->mapFromGlobal(globalPos), globalPos, button, held,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(target, &event);
}

const char RedText[] = "QLabel { color : red; }";

// The name a port opened at path goes by (the port drops a leading "/dev/").
QString portNameOf(const QString &path)
{
    QSerialPort port;
    port.setPortName(path);
    return port.portName();
}
} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void initialState();
    void lampsStartGrey();
    void portListRescansOnlyWhileClosed();
    void lampFlashFallsBack();
    void aboutBox();
    void focusResetsFieldStyle();
    void dragByTitle();
    void languageSwitching();
    void languageFileIsNeverSwappedForAnother();
    void textsFollowTheLanguage();
    void oneThingOneWordInEachLanguage();
    void periodBelowItsRangeIsRefusedAloud();
    void minimiseAndClose();
    void terminalButtonOpensTheFrameConsole();

    // The link without a board: the checks of received blocks, a failed open, a closed port.
    void receivedBlocksAreChecked_data();
    void receivedBlocksAreChecked();
    void failedOpenShowsClosedTextThenTheBox_data();
    void failedOpenShowsClosedTextThenTheBox();
    void openFailureSaysWhatToDo_data();
    void openFailureSaysWhatToDo();
    void writeToClosedPortIsRefused();
    void portErrorSwitchesTheLinkOff();
    void linkTextSurvivesALanguageChange();
    void chosenPortSurvivesARebuiltList();

    // Remembered settings and start values.
    void startLimitsAreTheTopBars();
    void settingsSurviveARestart();
    void connectOpensOnlyTheNamedPort_data();
    void connectOpensOnlyTheNamedPort();
    void packListsBelongToTheirPort();
    void oldSingleListBelongsToTheRememberedPort();

private:
    template<typename T>
    T *child(const char *name)
    {
        return namedChild<T>(window.get(), name);
    }
    // Lists the pseudo-terminal among the ports and chooses it; the list forgets it when the
    // returned guard goes.
    auto choosePty(const Pty &pty)
    {
        qputenv("ARVEX_EXTRA_PORTS", QFile::encodeName(pty.device));
        window->findFreePorts();
        auto *ports = child<QComboBox>("portName");
        ports->setCurrentIndex(ports->findText(pty.device + QStringLiteral(" (virtual)")));
        return qScopeGuard([] { qunsetenv("ARVEX_EXTRA_PORTS"); });
    }

    // Installed before the window is built: a machine without serial ports gets a box in the
    // constructor.
    std::unique_ptr<Messages::Recorder> recorder;
    std::unique_ptr<MainWindow> window;
    QTemporaryDir config; // the settings of this test, never the user's
};

void TestMainWindow::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(config.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config.path());
    // Recordings and events files go to the documents folder unless one was chosen: a home of
    // the test's own, whatever a test clears.
    qputenv("HOME", QFile::encodeName(config.filePath(QStringLiteral("home"))));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.filePath(QStringLiteral("home/.config"))));
    QCoreApplication::setOrganizationName(QStringLiteral("Arvex"));
    QCoreApplication::setApplicationName(QStringLiteral("arvex"));
    qunsetenv("ARVEX_EXTRA_PORTS");
    recorder = std::make_unique<Messages::Recorder>();
    window = std::make_unique<MainWindow>();
}

void TestMainWindow::cleanupTestCase()
{
    window.reset();
    recorder.reset();
}

void TestMainWindow::initialState()
{
    QCOMPARE(child<QLabel>("statu_opencom")->text(), QStringLiteral("no connect !"));
    QCOMPARE(child<QLabel>("statu_send")->text(), QString());

    auto *bard = child<QComboBox>("bard");
    QVERIFY(bard->isEnabled());
    QCOMPARE(bard->count(), 4);
    QCOMPARE(bard->currentText(), QStringLiteral("9600"));
    QCOMPARE(bard->itemData(3, Qt::UserRole).toInt(), 115200);
    QCOMPARE(child<QSpinBox>("DeviceID")->value(), 1);
    QCOMPARE(child<QSpinBox>("spinBox")->value(), 500);
    QVERIFY(!child<SwitchButton>("openCom")->checked());
    QCOMPARE(child<QLCDNumber>("cadc")->digitCount(), 6);

    // The clock shows the time at once, not the form's placeholder.
    QVERIFY(QRegularExpression(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d$"))
                .match(child<QLabel>("times")->text())
                .hasMatch());
    QVERIFY(child<QLabel>("times")->text() != QStringLiteral("2023-10-25 16:51:16"));

    // The firmware and debug pages are built but not reachable; the trends page follows the log,
    // then the overview of the packs, the cells' health and the events; the energy page comes
    // before the log.
    auto *tabs = child<QTabWidget>("tab_widget");
    QCOMPARE(tabs->count(), 9);
    QCOMPARE(tabs->indexOf(child<QWidget>("tab_overview")), 6);
    QCOMPARE(tabs->indexOf(child<QWidget>("health_page")), 7);
    QCOMPARE(tabs->indexOf(child<QWidget>("events_page")), 8);
    QCOMPARE(tabs->indexOf(child<QWidget>("tab_energy")) + 1,
             tabs->indexOf(child<QWidget>("tab_5")));
    QCOMPARE(tabs->indexOf(child<QWidget>("tab_trend")),
             tabs->indexOf(child<QWidget>("tab_5")) + 1);
    QCOMPARE(tabs->currentIndex(), 0);
    QCOMPARE(tabs->indexOf(child<QWidget>("tab")), -1);
    QCOMPARE(tabs->indexOf(child<QWidget>("tab_4")), -1);
    QCOMPARE(tabs->widget(0), child<QWidget>("maininfo"));

    // The log table shows the log model with its 43 captions.
    auto *log = child<QTableView>("data_view");
    QVERIFY(log->model());
    QCOMPARE(log->model()->columnCount(), 43);
    QCOMPARE(log->model()->rowCount(), 0);
    QCOMPARE(log->model()->headerData(18, Qt::Horizontal).toString(), QStringLiteral("电芯1(mV)"));

    QVERIFY(window->windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(window->minimumSize(), QSize(1360, 768));
    QCOMPARE(window->maximumSize(), QSize(1360, 768));

    // The only box at start is the one about a machine without serial ports.
    const bool noPorts = QSerialPortInfo::availablePorts().isEmpty();
    QCOMPARE(child<QComboBox>("portName")->count() == 0, noPorts);
    QCOMPARE(recorder->entries().size(), noPorts ? 1 : 0);
    if (noPorts) {
        QCOMPARE(recorder->entries().at(0).kind, Messages::Kind::Warning);
        QCOMPARE(recorder->entries().at(0).title, QStringLiteral("Warning"));
        QCOMPARE(recorder->entries().at(0).text, QStringLiteral("No free serial port found"));
    }
    recorder->clear();
}

void TestMainWindow::lampsStartGrey()
{
    const QImage grey = picture(QStringLiteral(":/asset/assert/NO.png"));
    QVERIFY(!grey.isNull());
    int lamps = 0;
    const QList<QLabel *> labels = window->findChildren<QLabel *>();
    for (const QLabel *label : labels) {
        const QString name = label->objectName();
        if (!name.contains(QStringLiteral("_mask")) && name != QStringLiteral("statu_read"))
            continue;
        ++lamps;
        QVERIFY2(shownPicture(label) == grey, qPrintable(name));
        QVERIFY2(label->hasScaledContents(), qPrintable(name));
    }
    // 33 status lamps, three link lamps and the read lamp.
    QCOMPARE(lamps, 37);
}

void TestMainWindow::portListRescansOnlyWhileClosed()
{
    QTemporaryFile device;
    QVERIFY(device.open());
    auto *portName = child<QComboBox>("portName");
    auto *openCom = child<SwitchButton>("openCom");
    const int systemPorts = QSerialPortInfo::availablePorts().size();

    qputenv("ARVEX_EXTRA_PORTS",
            (device.fileName() + QStringLiteral("::/nonexistent/arvex-port")).toLocal8Bit());
    sendMouse(portName, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton,
              portName->mapToGlobal(QPoint(5, 5)));
    portName->hidePopup();
    QCOMPARE(portName->count(), systemPorts + 1);
    QCOMPARE(portName->itemText(systemPorts), device.fileName() + QStringLiteral(" (virtual)"));
    QCOMPARE(portName->currentIndex(), 0);
    // The box may be too narrow for the chosen entry; its tool tip tells it whole.
    portName->setCurrentIndex(systemPorts);
    QVERIFY(portName->toolTip().startsWith(portName->itemText(systemPorts)));
    portName->setCurrentIndex(0);

    // While the port is open the list stays as it is.
    qunsetenv("ARVEX_EXTRA_PORTS");
    openCom->setChecked(true);
    sendMouse(portName, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton,
              portName->mapToGlobal(QPoint(5, 5)));
    portName->hidePopup();
    QCOMPARE(portName->count(), systemPorts + 1);

    openCom->setChecked(false);
    sendMouse(portName, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton,
              portName->mapToGlobal(QPoint(5, 5)));
    portName->hidePopup();
    QCOMPARE(portName->count(), systemPorts);
    recorder->clear();
}

void TestMainWindow::lampFlashFallsBack()
{
    auto *lamp = child<QLabel>("statu_rx_mask");
    const QImage grey = picture(QStringLiteral(":/asset/assert/NO.png"));
    const QImage green = picture(QStringLiteral(":/asset/assert/Pas.png"));
    const QImage red = picture(QStringLiteral(":/asset/assert/Err.png"));
    const QImage amber = picture(QStringLiteral(":/asset/assert/Warning.png"));

    window->setupStatusSwitcher(lamp, QPixmap(QStringLiteral(":/asset/assert/Pas.png")),
                                QPixmap(QStringLiteral(":/asset/assert/NO.png")), 100);
    QVERIFY(shownPicture(lamp) == green);
    QTRY_VERIFY_WITH_TIMEOUT(shownPicture(lamp) == grey, 5000);

    // A second flash does not cancel the first: the first fall-back still runs on time, the
    // second runs later. (Different off pictures tell the two apart.)
    window->setupStatusSwitcher(lamp, QPixmap(QStringLiteral(":/asset/assert/Pas.png")),
                                QPixmap(QStringLiteral(":/asset/assert/NO.png")), 50);
    window->setupStatusSwitcher(lamp, QPixmap(QStringLiteral(":/asset/assert/Err.png")),
                                QPixmap(QStringLiteral(":/asset/assert/Warning.png")), 1000);
    QVERIFY(shownPicture(lamp) == red);
    QTRY_VERIFY_WITH_TIMEOUT(shownPicture(lamp) == grey, 900);
    QTRY_VERIFY_WITH_TIMEOUT(shownPicture(lamp) == amber, 5000);

    // A fall-back for a lamp that is gone, and a flash of no lamp, do nothing.
    auto *doomed = new QLabel(window.get());
    window->setupStatusSwitcher(doomed, QPixmap(QStringLiteral(":/asset/assert/Pas.png")),
                                QPixmap(QStringLiteral(":/asset/assert/NO.png")), 10);
    delete doomed;
    window->setupStatusSwitcher(nullptr, QPixmap(), QPixmap(), 10);
    window->SwitchLight(nullptr, QPixmap());
    auto *probe = new QLabel(window.get());
    window->setupStatusSwitcher(probe, QPixmap(), QPixmap(QStringLiteral(":/asset/assert/NO.png")),
                                20);
    QTRY_VERIFY_WITH_TIMEOUT(shownPicture(probe) == grey, 5000);
    delete probe;
}

void TestMainWindow::aboutBox()
{
    recorder->clear();
    child<QPushButton>("pushButton_about")->click();
    QCOMPARE(recorder->entries().size(), 1);
    const Messages::Recorder::Entry &box = recorder->entries().at(0);
    QCOMPARE(box.kind, Messages::Kind::About);
    QCOMPARE(box.title, QStringLiteral("About Arvex"));
    QCOMPARE(box.text,
             QStringLiteral(
                 "<b>This program is an upper computer softwaredeveloped using QT5.14, which "
                 "belongs to the communication tool of the Arvex system. It has the functions of "
                 "data collection, device parameter adjustment, and firmware maintenance for the "
                 "battery system.<b>"));
    recorder->clear();
}

void TestMainWindow::focusResetsFieldStyle()
{
    const QString red = QStringLiteral(
        "QLineEdit { background-color: red; border: none; border-bottom: 2px solid white; }");
    auto *field = child<QLineEdit>("conf_lv");
    auto *spinEditor = child<QSpinBox>("DeviceID")->findChild<QLineEdit *>();
    QVERIFY(spinEditor);
    for (QLineEdit *edit : { field, spinEditor }) {
        edit->setStyleSheet(red);
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QCoreApplication::sendEvent(edit, &out);
        QCOMPARE(edit->styleSheet(), red);
        QFocusEvent in(QEvent::FocusIn, Qt::TabFocusReason);
        QCoreApplication::sendEvent(edit, &in);
        QCOMPARE(edit->styleSheet(), QLatin1String(Neutral));
    }
}

void TestMainWindow::dragByTitle()
{
    auto *title = child<QLabel>("logo_title");
    window->move(200, 100);
    const QPoint start = title->mapToGlobal(QPoint(10, 10));

    sendMouse(title, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, start);
    sendMouse(title, QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, start + QPoint(30, 20));
    QCOMPARE(window->pos(), QPoint(230, 120));
    sendMouse(title, QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton,
              start + QPoint(30, 20));

    // The right button drags nothing, on the title or on the window itself.
    const QPoint again = title->mapToGlobal(QPoint(10, 10));
    sendMouse(title, QEvent::MouseButtonPress, Qt::RightButton, Qt::RightButton, again);
    sendMouse(title, QEvent::MouseMove, Qt::NoButton, Qt::RightButton, again + QPoint(40, 40));
    sendMouse(window.get(), QEvent::MouseMove, Qt::NoButton, Qt::RightButton,
              again + QPoint(60, 60));
    QCOMPARE(window->pos(), QPoint(230, 120));
}

void TestMainWindow::languageSwitching()
{
    for (const char *file : { "KORVA_Lang.qm", "KORVA_Lang_de.qm", "KORVA_Lang_zh.qm" }) {
        const QString path = QCoreApplication::applicationDirPath() + QLatin1Char('/') + file;
        QVERIFY2(QFile::exists(path), qPrintable(path + QStringLiteral(" was not built")));
    }

    auto *lang = child<QComboBox>("lang");
    auto *tabs = child<QTabWidget>("tab_widget");
    auto *status = child<QLabel>("statu_opencom");
    auto *logButton = child<QPushButton>("btn_log");
    auto *balance = child<QLabel>("blance_label");
    auto *title = child<QLabel>("logo_title");
    auto *times = child<QLabel>("times");
    auto *deviceId = child<QSpinBox>("DeviceID");
    QAbstractItemModel *log = child<QTableView>("data_view")->model();
    const QString titleText = title->text();
    const QString mainTab = QStringLiteral("主页");
    const QString detailTab = QStringLiteral(" 详细数据");
    QCOMPARE(tabs->tabText(0), mainTab);

    QStringList mainTabTexts;
    for (int index : { 1, 2, 0 }) {
        // Texts the program changed at run time are given back by the form; fields are not.
        status->setText(QStringLiteral("ttyUSB0 OPENED, 9600, 8, NONE, 1, OFF"));
        logButton->setText(QStringLiteral("STOP"));
        balance->setText(QStringLiteral("Cell#1 "));
        deviceId->setValue(7);

        lang->setCurrentIndex(index);

        QCOMPARE(lang->currentIndex(), index);
        QCOMPARE(status->text(), translated("no connect !"));
        QCOMPARE(logButton->text(), translated("RUN"));
        QCOMPARE(balance->text(), translated("Cell #Null"));
        QCOMPARE(title->text(), titleText);
        QCOMPARE(deviceId->value(), 7);
        QVERIFY(times->text() != QStringLiteral("2023-10-25 16:51:16"));
        QCOMPARE(tabs->tabText(0), translated("主页"));
        QCOMPARE(log->headerData(0, Qt::Horizontal).toString(), translated("日期"));
        QCOMPARE(lang->itemText(index),
                 translated(index == 0       ? "简体中文"
                                : index == 1 ? "English"
                                             : "Deutsch"));
        mainTabTexts.append(tabs->tabText(0));
    }

    // English and German are real translations; back in Chinese the source texts return, which
    // they would not if an earlier translator were still installed.
    QVERIFY(mainTabTexts.at(0) != mainTab);
    QVERIFY(mainTabTexts.at(1) != mainTab);
    QVERIFY(mainTabTexts.at(0) != mainTabTexts.at(1));
    QCOMPARE(mainTabTexts.at(2), mainTab);
    QCOMPARE(log->headerData(0, Qt::Horizontal).toString(), QStringLiteral("日期"));
    QCOMPARE(tabs->tabText(1), detailTab);
    QCOMPARE(translated("电压保护状态").trimmed(), QStringLiteral("电压保护状态"));

    // A sample of captions changes in English.
    lang->setCurrentIndex(1);
    for (const char *source : { "工作状态", "参数管理", "一键读取", "应用", "导出" })
        QVERIFY2(translated(source) != QString::fromUtf8(source), source);
    lang->setCurrentIndex(0);
}

void TestMainWindow::languageFileIsNeverSwappedForAnother()
{
    // A working directory that holds only the English file. The translation loader would
    // happily shorten a missing "KORVA_Lang_de.qm" or "KORVA_Lang_zh.qm" to "KORVA_Lang.qm" and
    // show English for German or Chinese; the program's own folder must be asked instead.
    const QString binDir = QCoreApplication::applicationDirPath();
    QTemporaryDir workDir;
    QVERIFY(workDir.isValid());
    QVERIFY(QFile::copy(binDir + QStringLiteral("/KORVA_Lang.qm"),
                        workDir.filePath(QStringLiteral("KORVA_Lang.qm"))));
    QTranslator english;
    QTranslator german;
    QVERIFY(english.load(binDir + QStringLiteral("/KORVA_Lang.qm")));
    QVERIFY(german.load(binDir + QStringLiteral("/KORVA_Lang_de.qm")));
    const char *const source = "主页";
    QVERIFY(german.translate("MainWindow", source) != english.translate("MainWindow", source));

    const QString previousDir = QDir::currentPath();
    const auto restoreDir = qScopeGuard([&previousDir] { QDir::setCurrent(previousDir); });
    QVERIFY(QDir::setCurrent(workDir.path()));
    auto *lang = child<QComboBox>("lang");
    auto *tabs = child<QTabWidget>("tab_widget");

    lang->setCurrentIndex(1);
    QCOMPARE(tabs->tabText(0), english.translate("MainWindow", source));
    lang->setCurrentIndex(2);
    QCOMPARE(tabs->tabText(0), german.translate("MainWindow", source));
    lang->setCurrentIndex(0);
    QCOMPARE(tabs->tabText(0), QString::fromUtf8(source));
}

void TestMainWindow::textsFollowTheLanguage()
{
    // Qt's own button texts and the program's range boxes, which are built outside the form.
    const auto cancel = [] {
        QDialogButtonBox box(QDialogButtonBox::Cancel);
        return box.button(QDialogButtonBox::Cancel)->text();
    };
    static const QRegularExpression han(QStringLiteral("\\p{Han}"));
    auto *lang = child<QComboBox>("lang");
    const auto chinese = qScopeGuard([lang] { lang->setCurrentIndex(0); });

    lang->setCurrentIndex(2);
    QCOMPARE(cancel(), QStringLiteral("Abbrechen"));
    for (const QString &text :
         { ParameterTable::outOfRangeText(3, 25), ParameterTable::notANumberText() })
        QVERIFY2(!han.match(text).hasMatch(), qPrintable(text));
    QVERIFY(ParameterTable::outOfRangeText(3, 25).contains(QStringLiteral("[3 - 25]")));

    lang->setCurrentIndex(1);
    QCOMPARE(cancel(), QStringLiteral("Cancel"));

    // Chinese: Qt's texts too, and the range box exactly as it always read.
    lang->setCurrentIndex(0);
    QCOMPARE(cancel(), QStringLiteral("取消"));
    QCOMPARE(ParameterTable::outOfRangeText(3, 25),
             QStringLiteral("输入的参数超过 [3 - 25] 的范围。"));
    QCOMPARE(ParameterTable::notANumberText(), QStringLiteral("输入的值无效 ！"));
}

void TestMainWindow::oneThingOneWordInEachLanguage()
{
    // The summary box of the main page and the overview of the packs are two things; the poll
    // period is one, named by the top bar and by the overview's cycle line alike. (The Chinese
    // top bar keeps its own "Priod(ms)".)
    auto *lang = child<QComboBox>("lang");
    auto *tabs = child<QTabWidget>("tab_widget");
    const auto chinese = qScopeGuard([lang] { lang->setCurrentIndex(0); });
    for (int index : { 0, 1, 2 }) {
        lang->setCurrentIndex(index);
        const QString summary = child<QGroupBox>("data_lable")->title();
        QVERIFY2(summary != tabs->tabText(tabs->indexOf(child<QWidget>("tab_overview"))),
                 qPrintable(summary));
        if (index == 0)
            continue;
        const QString period = child<QLabel>("label_8")->text().section(QLatin1Char('('), 0, 0);
        const QString cycle = translated("一轮 %1 ms（周期 %2 ms）");
        QVERIFY2(cycle.contains(period, Qt::CaseInsensitive), qPrintable(period + " / " + cycle));
        QVERIFY2(translated("一轮 %1 ms，长于周期 %2 ms：线路以其最快速度轮询")
                     .contains(period, Qt::CaseInsensitive),
                 qPrintable(period));
    }
}

void TestMainWindow::periodBelowItsRangeIsRefusedAloud()
{
    auto *period = child<QSpinBox>("spinBox");
    QVERIFY(period->toolTip().contains(QStringLiteral("300")));
    QVERIFY(period->toolTip().contains(QStringLiteral("9999")));
    period->setValue(500);
    recorder->clear();

    // Typed digits below the minimum are put back to the last period, on Enter or on leaving
    // the box, and the user is told the range.
    for (bool enter : { true, false }) {
        period->selectAll();
        QTest::keyClicks(period, QStringLiteral("200"));
        QCOMPARE(period->text(), QStringLiteral("200"));
        if (enter) {
            QTest::keyClick(period, Qt::Key_Return);
        } else {
            QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
            QCoreApplication::sendEvent(period, &out);
        }
        QCOMPARE(period->value(), 500);
        QTRY_COMPARE(recorder->entries().size(), 1);
        const Messages::Recorder::Entry box = recorder->entries().at(0);
        QCOMPARE(box.kind, Messages::Kind::Warning);
        for (const char *part : { "200", "[300 - 9999]", "500" })
            QVERIFY2(box.text.contains(QLatin1String(part)), qPrintable(box.text));
        recorder->clear();
    }

    // A period within the range is taken without a word.
    period->selectAll();
    QTest::keyClicks(period, QStringLiteral("9999"));
    QTest::keyClick(period, Qt::Key_Return);
    QCOMPARE(period->value(), 9999);
    QCoreApplication::processEvents();
    QVERIFY(recorder->entries().isEmpty());
    period->setValue(500);
}

void TestMainWindow::minimiseAndClose()
{
    window->show();
    child<QPushButton>("win_mini")->click();
    QVERIFY(window->windowState() & Qt::WindowMinimized);
    window->showNormal();
    QVERIFY(window->isVisible());
    child<QPushButton>("win_close")->click();
    QVERIFY(!window->isVisible());
}

void TestMainWindow::terminalButtonOpensTheFrameConsole()
{
    window->show();
    QVERIFY(window->findChildren<FrameConsole *>().isEmpty()); // nothing built before it is asked
    auto *button = child<QPushButton>("debugdig");
    QVERIFY(button->isVisible());
    button->click();
    button->click();
    const QList<FrameConsole *> consoles = window->findChildren<FrameConsole *>();
    QCOMPARE(consoles.size(), 1);
    QVERIFY(consoles[0]->isVisible());
    // Its captures go beside the window's recordings.
    QTemporaryDir recordings;
    QSettings().setValue(QStringLiteral("recordings/folder"), recordings.path());
    const auto forget =
        qScopeGuard([] { QSettings().remove(QStringLiteral("recordings/folder")); });
    FileDialogs::Answerer answer{ QString() };
    namedChild<QPushButton>(consoles[0], "frame_save")->click();
    QCOMPARE(answer.questions().size(), 1);
    QCOMPARE(QFileInfo(answer.questions()[0].dir).path(), recordings.path());
    QVERIFY(QFileInfo(answer.questions()[0].dir)
                .fileName()
                .contains(QRegularExpression(QStringLiteral("^frames-\\d{8}-\\d{6}\\.txt$"))));
    consoles[0]->close();
    window->hide();
}

void TestMainWindow::receivedBlocksAreChecked_data()
{
    QTest::addColumn<QByteArray>("block");
    QTest::addColumn<QString>("text"); // "" : the block is dropped without a word
    QTest::newRow("reply") << QByteArray(":Y+01+51+0a+77e3~") << "Fine ";
    QTest::newRow("spoiled CRC") << QByteArray(":Y+01+51+0a+77e4~") << "CRC Error!";
    QTest::newRow("no start") << QByteArray("Y+01+51+0a+77e3~") << "";
}

void TestMainWindow::receivedBlocksAreChecked()
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

void TestMainWindow::failedOpenShowsClosedTextThenTheBox_data()
{
    QTest::addColumn<bool>("held"); // the device is there, but another program holds it
    QTest::newRow("no such device") << false;
    QTest::newRow("held by another program") << true;
}

void TestMainWindow::failedOpenShowsClosedTextThenTheBox()
{
    QFETCH(bool, held);
    Pty pty;
    QVERIFY(pty.open());
    const auto unset = choosePty(pty);
    QSerialPort other(pty.device);
    QString device = pty.device;
    if (held) {
        QVERIFY(other.open(QIODevice::ReadWrite));
    } else {
        device = QStringLiteral("/nonexistent/ttyGONE");
        auto *ports = child<QComboBox>("portName");
        ports->addItem(device + QStringLiteral(" (virtual)"));
        ports->setCurrentIndex(ports->count() - 1);
    }

    // What the window shows at the moment the box comes up.
    QStringList seen;
    const Messages::Presenter previous = Messages::setPresenter(
        [&](QWidget *, Messages::Kind kind, const QString &title, const QString &text) {
            QCOMPARE(kind, Messages::Kind::Warning);
            seen << title << text << child<QLabel>("statu_opencom")->text();
        });
    child<SwitchButton>("openCom")->SetActive(true);
    QVERIFY(seen.isEmpty()); // not from inside the handler: queued behind it
    QTRY_VERIFY(!seen.isEmpty());
    Messages::setPresenter(previous);

    const QString port = portNameOf(device);
    QCOMPARE(seen.size(), 3);
    QCOMPARE(seen.at(0), QStringLiteral("Tip"));
    // The system's reason, and what to do about a device held by another program.
    if (held)
        QVERIFY2(seen.at(1).startsWith(QStringLiteral("Failed to open serial port\n\n") + port
                                       + QStringLiteral(": "))
                     && seen.at(1).contains(QStringLiteral("minicom")),
                 qPrintable(seen.at(1)));
    else
        QCOMPARE(seen.at(1),
                 QStringLiteral("Failed to open serial port\n\n") + port
                     + QStringLiteral(": No such file or directory"));
    QCOMPARE(seen.at(2), port + QStringLiteral(" CLOSED"));
    QVERIFY(!child<SwitchButton>("openCom")->checked());
    QCOMPARE(child<QLabel>("statu_opencom")->styleSheet(),
             QStringLiteral("QLabel { color : red; }"));
    for (const char *name : { "portName", "bard", "DeviceID", "spinBox" })
        QVERIFY2(child<QWidget>(name)->isEnabled(), name);
}

void TestMainWindow::openFailureSaysWhatToDo_data()
{
    QTest::addColumn<QSerialPort::SerialPortError>("error");
    QTest::addColumn<bool>("accessible"); // the user may read and write the device node
    QTest::addColumn<QString>("hint"); // a word of the added advice, "" for none
    QTest::newRow("not in the group") << QSerialPort::PermissionError << false << "dialout";
    // Qt reports a port locked by another program as a permission error as well.
    QTest::newRow("locked by another") << QSerialPort::PermissionError << true << "minicom";
    QTest::newRow("busy") << QSerialPort::OpenError << true << "minicom";
    QTest::newRow("gone") << QSerialPort::DeviceNotFoundError << true << "";
}

void TestMainWindow::openFailureSaysWhatToDo()
{
    QFETCH(QSerialPort::SerialPortError, error);
    QFETCH(bool, accessible);
    QFETCH(QString, hint);
    const QString text = OpenFailure::text(QStringLiteral("ttyUSB0"), QStringLiteral("Reason"),
                                           OpenFailure::hint(error, accessible));
    QVERIFY2(text.startsWith(QStringLiteral("Failed to open serial port\n\nttyUSB0: Reason")),
             qPrintable(text));
    if (hint.isEmpty())
        QCOMPARE(text.count(QLatin1Char('\n')), 2);
    else
        QVERIFY2(text.contains(hint), qPrintable(text));
    // Whichever applies, never both.
    QVERIFY(
        !(text.contains(QStringLiteral("dialout")) && text.contains(QStringLiteral("minicom"))));
}

void TestMainWindow::writeToClosedPortIsRefused()
{
    recorder->clear();
    bool written = true;
    QVERIFY(QMetaObject::invokeMethod(window.get(), "writeData", Q_RETURN_ARG(bool, written),
                                      Q_ARG(QByteArray, ":Y+01+51=?~")));
    QVERIFY(!written);
    QTRY_COMPARE(recorder->entries().size(), 1);
    QCOMPARE(recorder->entries().first().title, QStringLiteral("错误"));
    QCOMPARE(recorder->entries().first().text, QStringLiteral("串口未打开，请先打开串口。"));
}

void TestMainWindow::portErrorSwitchesTheLinkOff()
{
    // The device stays present, but the port is unusable.
    Pty pty;
    QVERIFY(pty.open());
    const auto unset = choosePty(pty);
    auto *openCom = child<SwitchButton>("openCom");
    auto *state = child<QLabel>("statu_opencom");
    openCom->SetActive(true);
    QVERIFY(openCom->checked());
    recorder->clear();

    // What the window shows at the moment the box comes up.
    QStringList seen;
    const Messages::Presenter previous = Messages::setPresenter(
        [&](QWidget *, Messages::Kind kind, const QString &title, const QString &) {
            QCOMPARE(kind, Messages::Kind::Critical);
            seen << title << (openCom->checked() ? "on" : "off") << state->text();
        });
    window->handleError(QSerialPort::ResourceError);
    QVERIFY(seen.isEmpty()); // not from inside the handler: queued behind it
    drainEvents();
    Messages::setPresenter(previous);

    QCOMPARE(
        seen,
        (QStringList{ "设备移除", "off", portNameOf(pty.device) + QStringLiteral(" CLOSED") }));
    QCOMPARE(state->styleSheet(), QLatin1String(RedText));
    QVERIFY(!window->findChild<QSerialPort *>()->isOpen());
    for (const char *name : { "portName", "bard", "DeviceID", "spinBox" })
        QVERIFY2(child<QWidget>(name)->isEnabled(), name);
}

void TestMainWindow::linkTextSurvivesALanguageChange()
{
    // The form's "no connect !" comes back with every language change; it must not replace what
    // the link says once a port has been opened.
    Pty pty;
    QVERIFY(pty.open());
    const auto unset = choosePty(pty);
    auto *openCom = child<SwitchButton>("openCom");
    auto *lang = child<QComboBox>("lang");
    auto *state = child<QLabel>("statu_opencom");
    const QString port = portNameOf(pty.device);
    for (bool open : { true, false }) {
        openCom->SetActive(open);
        QCOMPARE(openCom->checked(), open);
        const QString sheet = open ? QStringLiteral("QLabel { color : green; }") : RedText;
        for (int index : { 2, 1, 0 }) {
            lang->setCurrentIndex(index);
            QVERIFY2(
                state->text().startsWith(port + ' ') && state->text().contains("9600") == open,
                qPrintable(QStringLiteral("%1 %2: %3").arg(open).arg(index).arg(state->text())));
            QCOMPARE(state->styleSheet(), sheet);
        }
    }
}

void TestMainWindow::chosenPortSurvivesARebuiltList()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString first = dir.filePath(QStringLiteral("ttyFIRST"));
    const QString chosen = dir.filePath(QStringLiteral("ttyCHOSEN"));
    const QString arrived = dir.filePath(QStringLiteral("ttyARRIVED")); // listed in front
    for (const QString &device : { first, chosen }) {
        QFile file(device);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    qputenv("ARVEX_EXTRA_PORTS",
            QFile::encodeName(arrived + QLatin1Char(':') + first + QLatin1Char(':') + chosen));
    const auto unset = qScopeGuard([] { qunsetenv("ARVEX_EXTRA_PORTS"); });
    auto *ports = child<QComboBox>("portName");
    window->findFreePorts();
    const QString entry = chosen + QStringLiteral(" (virtual)");
    ports->setCurrentIndex(ports->findText(entry));

    // Another adapter is plugged in and listed in front of the chosen one.
    {
        QFile file(arrived);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QVERIFY(QMetaObject::invokeMethod(window.get(), "serialDeviceArrived"));
    QVERIFY(ports->findText(arrived + QStringLiteral(" (virtual)")) >= 0);
    QCOMPARE(ports->currentText(), entry);

    // The chosen one is gone at the next rebuild: the first entry is taken.
    QVERIFY(QFile::remove(chosen));
    sendMouse(ports, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton,
              ports->mapToGlobal(QPoint(5, 5)));
    ports->hidePopup();
    QCOMPARE(ports->findText(entry), -1);
    QCOMPARE(ports->currentIndex(), 0);
    recorder->clear();
}

void TestMainWindow::startLimitsAreTheTopBars()
{
    // The command line and the settings check values against these; they must be the form's.
    auto *bard = child<QComboBox>("bard");
    QCOMPARE(bard->count(), int(std::size(StartLimits::BaudRates)));
    for (int i = 0; i < bard->count(); ++i)
        QCOMPARE(bard->itemData(i, Qt::UserRole).toInt(), StartLimits::BaudRates[i]);
    QCOMPARE(child<QSpinBox>("DeviceID")->minimum(), StartLimits::AddressMin);
    QCOMPARE(child<QSpinBox>("DeviceID")->maximum(), StartLimits::AddressMax);
    QCOMPARE(child<QSpinBox>("spinBox")->minimum(), StartLimits::PeriodMin);
    QCOMPARE(child<QSpinBox>("spinBox")->maximum(), StartLimits::PeriodMax);
    QCOMPARE(child<QComboBox>("lang")->count(), int(std::size(StartLimits::LanguageCodes)));
}

void TestMainWindow::settingsSurviveARestart()
{
    QTemporaryFile other; // listed first, so the list is never empty
    QTemporaryFile device;
    QVERIFY(other.open());
    QVERIFY(device.open());
    qputenv("ARVEX_EXTRA_PORTS",
            QFile::encodeName(other.fileName() + QLatin1Char(':') + device.fileName()));
    const auto restartedWindow = [] {
        auto next = std::make_unique<MainWindow>();
        next->loadSettings();
        return next;
    };
    const auto widget = [](MainWindow *w, const char *name) {
        return namedChild<QWidget>(w, name);
    };

    // A first start: nothing remembered, the window's own start values, no language loaded.
    QSettings().clear();
    std::unique_ptr<MainWindow> first = restartedWindow();
    auto *lang = qobject_cast<QComboBox *>(widget(first.get(), "lang"));
    QCOMPARE(lang->currentIndex(), 0);
    QCOMPARE(qobject_cast<QTabWidget *>(widget(first.get(), "tab_widget"))->tabText(0),
             QStringLiteral("主页"));
    QCOMPARE(qobject_cast<QComboBox *>(widget(first.get(), "bard"))->currentText(),
             QStringLiteral("9600"));
    QCOMPARE(qobject_cast<QSpinBox *>(widget(first.get(), "DeviceID"))->value(), 1);
    QCOMPARE(qobject_cast<QSpinBox *>(widget(first.get(), "spinBox"))->value(), 500);
    QVERIFY(!qobject_cast<QCheckBox *>(widget(first.get(), "reconnect"))->isChecked());
    QCOMPARE(qobject_cast<QLabel *>(widget(first.get(), "statu_opencom"))->text(),
             QStringLiteral("no connect !"));
    // Desktop notifications on, the alerts off.
    QVERIFY(qobject_cast<QCheckBox *>(widget(first.get(), "events_notify"))->isChecked());
    QCOMPARE(qobject_cast<QSpinBox *>(widget(first.get(), "events_spread"))->value(), 0);
    QCOMPARE(qobject_cast<QSpinBox *>(widget(first.get(), "events_lowsoc"))->value(), 0);

    // Changed, remembered at the end of the run, and there again at the next.
    auto *ports = qobject_cast<QComboBox *>(widget(first.get(), "portName"));
    ports->setCurrentIndex(ports->findText(device.fileName() + QStringLiteral(" (virtual)")));
    lang->setCurrentIndex(2);
    qobject_cast<QComboBox *>(widget(first.get(), "bard"))->setCurrentIndex(2);
    qobject_cast<QSpinBox *>(widget(first.get(), "DeviceID"))->setValue(7);
    qobject_cast<QSpinBox *>(widget(first.get(), "spinBox"))->setValue(1200);
    qobject_cast<QCheckBox *>(widget(first.get(), "reconnect"))->setChecked(true);
    qobject_cast<QCheckBox *>(widget(first.get(), "events_notify"))->setChecked(false);
    qobject_cast<QSpinBox *>(widget(first.get(), "events_spread"))->setValue(80);
    qobject_cast<QSpinBox *>(widget(first.get(), "events_lowsoc"))->setValue(15);
    first->move(30, 40);
    first->saveSettings();
    lang->setCurrentIndex(0);
    first.reset();

    std::unique_ptr<MainWindow> second = restartedWindow();
    QCOMPARE(qobject_cast<QComboBox *>(widget(second.get(), "lang"))->currentIndex(), 2);
    QCOMPARE(qobject_cast<QTabWidget *>(widget(second.get(), "tab_widget"))->tabText(0),
             translated("主页"));
    QCOMPARE(qobject_cast<QComboBox *>(widget(second.get(), "portName"))->currentText(),
             device.fileName() + QStringLiteral(" (virtual)"));
    QCOMPARE(qobject_cast<QComboBox *>(widget(second.get(), "bard"))->currentText(),
             QStringLiteral("38400"));
    QCOMPARE(qobject_cast<QSpinBox *>(widget(second.get(), "DeviceID"))->value(), 7);
    QCOMPARE(qobject_cast<QSpinBox *>(widget(second.get(), "spinBox"))->value(), 1200);
    QVERIFY(qobject_cast<QCheckBox *>(widget(second.get(), "reconnect"))->isChecked());
    QCOMPARE(second->pos(), QPoint(30, 40));
    QVERIFY(!qobject_cast<QCheckBox *>(widget(second.get(), "events_notify"))->isChecked());
    // The alerts remembered are in force for every pack.
    const EventJournal::Alerts alerts = second->findChild<PackAnalyses *>()->alerts();
    QCOMPARE(alerts.spreadMv, 80);
    QCOMPARE(alerts.lowSocPercent, 15);
    QVERIFY(!namedChild<SwitchButton>(second.get(), "openCom")->checked());
    qobject_cast<QComboBox *>(widget(second.get(), "lang"))->setCurrentIndex(0);
    second.reset();

    // A remembered port that is gone leaves the list at its first entry; a place off every
    // screen is not taken.
    device.close();
    device.remove();
    QSettings().setValue(QStringLiteral("window/position"), QPoint(-5000, -5000));
    // Damaged alerts cost only their own value.
    QSettings().setValue(QStringLiteral("events/spreadAlertMv"), QStringLiteral("-3"));
    QSettings().setValue(QStringLiteral("events/lowSocAlertPercent"), QStringLiteral("lots"));
    QSettings().setValue(QStringLiteral("events/notifications"), QStringLiteral("maybe"));
    std::unique_ptr<MainWindow> third = restartedWindow();
    QCOMPARE(qobject_cast<QComboBox *>(widget(third.get(), "portName"))->currentIndex(), 0);
    QVERIFY(third->pos() != QPoint(-5000, -5000));
    QCOMPARE(third->findChild<PackAnalyses *>()->alerts().spreadMv, 0);
    QCOMPARE(third->findChild<PackAnalyses *>()->alerts().lowSocPercent, 0);
    QVERIFY(qobject_cast<QCheckBox *>(widget(third.get(), "events_notify"))->isChecked());
    qunsetenv("ARVEX_EXTRA_PORTS");
    recorder->clear();
}

void TestMainWindow::connectOpensOnlyTheNamedPort_data()
{
    // Ports: "present" (listed after another one) or "absent"; "" names none.
    QTest::addColumn<QString>("remembered");
    QTest::addColumn<QString>("given"); // on the command line
    QTest::addColumn<QString>("opened"); // "" for none
    QTest::addColumn<QString>("why"); // on standard error when none is opened
    QTest::newRow("remembered port absent") << "absent"
                                            << ""
                                            << ""
                                            << "port absent is not present";
    QTest::newRow("no port named") << ""
                                   << ""
                                   << ""
                                   << "no port given or remembered";
    QTest::newRow("remembered port present") << "present"
                                             << ""
                                             << "present"
                                             << "";
    QTest::newRow("given port absent") << "present"
                                       << "absent"
                                       << ""
                                       << "port absent is not present";
    QTest::newRow("given port present") << "absent"
                                        << "present"
                                        << "present"
                                        << "";
}

void TestMainWindow::connectOpensOnlyTheNamedPort()
{
    QFETCH(QString, remembered);
    QFETCH(QString, given);
    QFETCH(QString, opened);
    QFETCH(QString, why);
    QTemporaryFile other; // first in the list: never opened unless named
    QVERIFY(other.open());
    Pty pty;
    QVERIFY(pty.open());
    const QString absent = QStringLiteral("/nonexistent/ttyUSB9");
    const auto path = [&](QString port) {
        return port == QLatin1String("present") ? pty.device : port.isEmpty() ? port : absent;
    };
    qputenv("ARVEX_EXTRA_PORTS",
            QFile::encodeName(other.fileName() + QLatin1Char(':') + pty.device));
    const auto unset = qScopeGuard([] { qunsetenv("ARVEX_EXTRA_PORTS"); });

    // As the program starts: the remembered values, then the command line.
    QSettings().clear();
    if (!remembered.isEmpty())
        QSettings().setValue(QStringLiteral("link/port"), path(remembered));
    MainWindow started;
    started.loadSettings();
    auto *ports = namedChild<QComboBox>(&started, "portName");
    const QString selected = ports->currentText();
    StartOptions command;
    command.connect = true;
    if (!given.isEmpty())
        command.port = path(given);
    if (!why.isEmpty())
        QTest::ignoreMessage(QtWarningMsg,
                             qPrintable(QStringLiteral("arvex: not connecting: ")
                                        + why.replace(QStringLiteral("absent"), absent)));
    started.applyStartOptions(command);

    // Which port was opened, or tried: the port takes its name before it opens.
    const QSerialPort *port = started.findChild<QSerialPort *>();
    QCOMPARE(port->portName(), opened.isEmpty() ? QString() : portNameOf(path(opened)));
    QCOMPARE(namedChild<SwitchButton>(&started, "openCom")->checked(), !opened.isEmpty());
    if (opened.isEmpty())
        QCOMPARE(ports->currentText(), selected); // an absent port is not selected either
    QVERIFY(recorder->entries().isEmpty());
    QSettings().clear();
}

namespace {

// A window as the program starts one: the remembered settings, then the command line.
std::unique_ptr<MainWindow> startWindow(const StartOptions &command = StartOptions())
{
    auto window = std::make_unique<MainWindow>();
    window->loadSettings();
    window->applyStartOptions(command);
    return window;
}

void choosePort(MainWindow *window, const QString &device)
{
    auto *ports = namedChild<QComboBox>(window, "portName");
    const int entry = ports->findText(device + QStringLiteral(" (virtual)"));
    QVERIFY(entry >= 0);
    ports->setCurrentIndex(entry);
}

void switchOn(MainWindow *window, bool on)
{
    namedChild<SwitchButton>(window, "openCom")->SetActive(on);
    QCOMPARE(window->boardSession()->isOpen(), on);
}

// The packs the overview shows, in order.
QVector<int> tiles(MainWindow *window)
{
    QVector<int> shown;
    for (const PackTile *tile : window->findChildren<PackTile *>())
        shown << tile->address();
    std::sort(shown.begin(), shown.end());
    return shown;
}

} // namespace

void TestMainWindow::packListsBelongToTheirPort()
{
    // Two lines, nothing behind either: the list is about what is polled, not who answers.
    Pty a;
    Pty b;
    QVERIFY(a.open());
    QVERIFY(b.open());
    qputenv("ARVEX_EXTRA_PORTS", QFile::encodeName(a.device + QLatin1Char(':') + b.device));
    const auto unset = qScopeGuard([] {
        qunsetenv("ARVEX_EXTRA_PORTS");
        QSettings().clear();
    });
    QSettings().clear();
    const QVector<int> eight{ 1, 2, 3, 4, 5, 6, 7, 8 };

    // A scan finds eight packs on A; B, never scanned, polls the Pack box's address alone,
    // before it is opened and while it is.
    std::unique_ptr<MainWindow> first = startWindow();
    BoardSession *session = first->boardSession();
    choosePort(first.get(), a.device);
    switchOn(first.get(), true);
    emit session->scanFinished(eight, false);
    QCOMPARE(session->addresses(), eight);
    switchOn(first.get(), false);
    choosePort(first.get(), b.device);
    QCOMPARE(tiles(first.get()), QVector<int>{ 1 });
    switchOn(first.get(), true);
    QVERIFY(!session->isCycling());
    QCOMPARE(session->addresses(), QVector<int>{ 1 });
    switchOn(first.get(), false);
    // Back on A, A's packs again.
    choosePort(first.get(), a.device);
    QCOMPARE(tiles(first.get()), eight);
    first->saveSettings();
    first.reset();

    // The next start opens B with one board: B's own way, the Pack box's address alone.
    StartOptions onB;
    onB.port = b.device;
    onB.connect = true;
    std::unique_ptr<MainWindow> second = startWindow(onB);
    QVERIFY(second->boardSession()->isOpen());
    QCOMPARE(second->boardSession()->portName(), portNameOf(b.device));
    QVERIFY(!second->boardSession()->isCycling());
    QCOMPARE(tiles(second.get()), QVector<int>{ 1 });
    second->saveSettings();
    second.reset();

    // And A still has its eight, remembered by the adapter's identity.
    std::unique_ptr<MainWindow> third = startWindow();
    choosePort(third.get(), a.device);
    QCOMPARE(tiles(third.get()), eight);
    switchOn(third.get(), true);
    QCOMPARE(third->boardSession()->addresses(), eight);
    QVERIFY(third->boardSession()->isCycling());
    third.reset();
    {
        QSettings settings;
        QCOMPARE(Settings::read(settings).portPacks,
                 (QMap<QString, QVector<int>>{ { a.device, eight } }));
    }

    // --address on the command line takes the place of the list, as any option does of its
    // remembered value: one address alone, or a list with the first in focus.
    for (const QVector<int> &given : { QVector<int>{ 3 }, QVector<int>{ 6, 2, 4 } }) {
        StartOptions command;
        command.port = a.device;
        command.address = given.first();
        command.packs = given.size() > 1 ? given : QVector<int>();
        command.connect = true;
        std::unique_ptr<MainWindow> started = startWindow(command);
        BoardSession *line = started->boardSession();
        QVERIFY(line->isOpen());
        QCOMPARE(line->addresses(), given);
        QCOMPARE(line->address(), given.first());
        QCOMPARE(namedChild<QSpinBox>(started.get(), "DeviceID")->value(), given.first());
        // It was A's list this run; B, opened after, keeps its own way.
        switchOn(started.get(), false);
        choosePort(started.get(), b.device);
        switchOn(started.get(), true);
        QVERIFY(!line->isCycling());
        started->saveSettings();
    }
    QSettings settings;
    QCOMPARE(Settings::read(settings).portPacks,
             (QMap<QString, QVector<int>>{ { a.device, { 6, 2, 4 } } }));
    recorder->clear();
}

void TestMainWindow::oldSingleListBelongsToTheRememberedPort()
{
    // An earlier version kept one list for whichever port it used last.
    Pty a;
    Pty b;
    QVERIFY(a.open());
    QVERIFY(b.open());
    qputenv("ARVEX_EXTRA_PORTS", QFile::encodeName(a.device + QLatin1Char(':') + b.device));
    const auto unset = qScopeGuard([] {
        qunsetenv("ARVEX_EXTRA_PORTS");
        QSettings().clear();
    });
    const auto oldSettings = [](const QString &port) {
        QSettings().clear();
        QSettings().setValue(QStringLiteral("link/port"), port);
        QSettings().setValue(QStringLiteral("link/packs"), QStringLiteral("2,5,9"));
    };

    // It is the remembered port's; another port polls the address alone.
    oldSettings(a.device);
    std::unique_ptr<MainWindow> window = startWindow();
    QCOMPARE(tiles(window.get()), (QVector<int>{ 2, 5, 9 }));
    choosePort(window.get(), b.device);
    QCOMPARE(tiles(window.get()), QVector<int>{ 2 });
    switchOn(window.get(), true);
    QVERIFY(!window->boardSession()->isCycling());
    switchOn(window.get(), false);
    choosePort(window.get(), a.device);
    switchOn(window.get(), true);
    QCOMPARE(window->boardSession()->addresses(), (QVector<int>{ 2, 5, 9 }));
    window->saveSettings();
    window.reset();
    {
        QSettings settings;
        QVERIFY(!settings.contains(QStringLiteral("link/packs")));
        QCOMPARE(Settings::read(settings).portPacks,
                 (QMap<QString, QVector<int>>{ { a.device, { 2, 5, 9 } } }));
    }

    // Its port absent at this start, it waits under that port's name rather than being lost.
    const QString absent = QStringLiteral("/nonexistent/ttyUSB9");
    oldSettings(absent);
    QTest::ignoreMessage(QtWarningMsg,
                         qPrintable(QStringLiteral("port %1 is not present").arg(absent)));
    window = startWindow();
    QCOMPARE(tiles(window.get()).size(), 1);
    window->saveSettings();
    window.reset();
    QSettings settings;
    QCOMPARE(Settings::read(settings).portPacks,
             (QMap<QString, QVector<int>>{ { absent, { 2, 5, 9 } } }));
    recorder->clear();
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
