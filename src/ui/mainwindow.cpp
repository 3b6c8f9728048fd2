#include "mainwindow.h"

#include "cellchart.h"
#include "devicewatcher.h"
#include "energybooks.h"
#include "energypage.h"
#include "eventjournal.h"
#include "eventspage.h"
#include "healthpage.h"
#include "logpage.h"
#include "messages.h"
#include "overviewpage.h"
#include "packanalyses.h"
#include "parameterpage.h"
#include "parametertable.h"
#include "profilepanel.h"
#include "realtimepage.h"
#include "startoptions.h"
#include "trendspage.h"
#include "ui_mainwindow.h"
#include "unreported.h"
#include "writemarks.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QLineEdit>
#include <QLocale>
#include <QMouseEvent>
#include <QTabBar>
#include <QTimer>
#include <QTranslator>

// A static library's resource initialiser is not linked in on its own: register it by hand.
void initResources()
{
    Q_INIT_RESOURCE(res);
}

namespace {

// Loads exactly this file. Given a name that does not exist, QTranslator::load() goes on to
// shorter ones ("KORVA_Lang_de.qm", then "KORVA_Lang.qm") and would show English for German.
bool loadTranslation(QTranslator *translator, const QString &path)
{
    return QFileInfo(path).isFile() && translator->load(path);
}

} // namespace

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
    , ui(nullptr)
{
    initResources();

    ui = new Ui_MainWindow;
    session = new BoardSession(this);
    initAnalyses();
    ui->setupUi(this);
    initRealTimePage();
    logPage = new LogPage(
        ui, this, [this] { return ui->DeviceID->value(); }, [this] { return languageLocale(); });
    trendsPage = std::make_unique<TrendsPage>(
        ui, [this] { return recordingsFolder(); }, [this] { return languageLocale(); });
    initOverviewPage();
    initEnergyPage();
    initEventsPage();

    // Serial adapters plugged in or pulled out.
    deviceWatcher = new DeviceWatcher(this);

    // Rescanning the port list, dragging by the title and the chart, and resetting the style of a
    // focused field all go through one filter. The editors inside the spin boxes are line edits
    // too.
    ui->portName->installEventFilter(this);
    ui->cell->installEventFilter(this);
    ui->logo_title->installEventFilter(this);
    const QList<QLineEdit *> lineEdits = findChildren<QLineEdit *>();
    for (QLineEdit *lineEdit : lineEdits)
        lineEdit->installEventFilter(this);
    parameterPage = new ParameterPage(ui, this, session,
                                      [this](QLabel *lamp, const QPixmap &on, const QPixmap &off,
                                             int ms) { setupStatusSwitcher(lamp, on, off, ms); });
    profilePanel = new ProfilePanel(ui, this, session, [this] { return recordingsFolder(); });
    Unreported::explain(this);

    findFreePorts();

    timers = new QTimer(this);
    connect(timers, &QTimer::timeout, this, &MainWindow::updateTime);
    timers->start(1000);
    updateTime();

    InitUI();

    setWindowFlags(Qt::FramelessWindowHint);
    setFixedSize(1360, 768);
    // Room for the window's own 2 px frame from the style sheet; the central widget would cover it.
    setContentsMargins(2, 2, 2, 2);

    InitSlot();
    initReconnect();
    initControls();
    holdPolledPacks = false;
}

MainWindow::~MainWindow()
{
    energyPage->books()->saveAll(); // what a run took in and out is kept at its end
    analyses->stop(); // what is ongoing ends in the events files with the run
    eventsPage->catchUp();
    delete ui;
}

void MainWindow::InitUI()
{
    ui->tabWidget->tabBar()->setCursor(Qt::PointingHandCursor);
    ui->tab_widget->tabBar()->setCursor(Qt::PointingHandCursor);

    // The firmware download page and the debug page stay built but cannot be reached.
    ui->tab_widget->setCurrentIndex(0);
    ui->tab_widget->removeTab(ui->tab_widget->indexOf(ui->tab));
    ui->tab_widget->removeTab(ui->tab_widget->indexOf(ui->tab_4));

    // No job state until the board has told one.
    jobSet(3);

    static const int rates[] = { 9600, 19200, 38400, 115200 };
    for (int rate : rates)
        ui->bard->addItem(QString::number(rate), rate);
    ui->bard->setCurrentIndex(0);

    ui->DeviceID->setValue(1);
}

void MainWindow::InitSlot()
{
    connect(ui->lang, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &MainWindow::langChange);
    connect(ui->openCom, &SwitchButton::statusChanged, this, &MainWindow::openComChanged);
    // Each port has its own packs: the tiles follow the port chosen.
    connect(ui->portName, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &MainWindow::followChosenPort);
    // The session reads, checks and polls by itself; the window shows what it reports.
    connectSession();
    connect(deviceWatcher, &DeviceWatcher::deviceArrived, this, &MainWindow::serialDeviceArrived);
    connect(deviceWatcher, &DeviceWatcher::deviceRemoved, this, &MainWindow::serialDeviceRemoved);
}

void MainWindow::setClock(RequestScheduler::Clock newClock)
{
    session->setClock(newClock);
    trendsPage->setClock(newClock);
}

void MainWindow::restoreLineEditStyle(QLineEdit *lineEdit)
{
    // A refused value's colour goes; a value typed or sent that the board has not confirmed
    // keeps its own look.
    if (lineEdit && parameterPage)
        parameterPage->restoreStyle(lineEdit);
}

void MainWindow::updateTime()
{
    ui->times->setText(
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
}

void MainWindow::langChange(int index)
{
    // One translator at a time, owned here for the rest of the run.
    static QTranslator *translator = nullptr;
    static const char *const files[] = { "KORVA_Lang_zh.qm", "KORVA_Lang.qm", "KORVA_Lang_de.qm" };

    if (index >= 0 && index < 3) {
        if (translator) {
            QCoreApplication::removeTranslator(translator);
            delete translator;
        }
        translator = new QTranslator;
        // The working directory first, then the program's own folder (a build), then the data
        // folder of an installed program. A tool started from a desktop menu runs in the home
        // folder. A missing file leaves the form's own texts.
        const QString file = QString::fromLatin1(files[index]);
        const QString programDir = QCoreApplication::applicationDirPath() + QLatin1Char('/');
        const QString places[] = {
            QStringLiteral("./"),
            programDir,
            programDir + QStringLiteral(ARVEX_TRANSLATIONS_FROM_BIN "/"),
        };
        QString loaded;
        for (const QString &place : places) {
            if (loadTranslation(translator, place + file)) {
                loaded = QDir::cleanPath(QFileInfo(place + file).absoluteFilePath());
                break;
            }
        }
        if (loaded.isEmpty())
            qDebug() << "no translation file" << file;
        else
            qDebug().noquote() << "translation" << loaded;
        QCoreApplication::installTranslator(translator);
    }

    ui->retranslateUi(this);
    Unreported::explain(this);
    logPage->retranslate();
    trendsPage->retranslate();
    // After the form: the compare table takes its captions and page names from it.
    profilePanel->retranslate();
    // The form's placeholder date would otherwise stand until the next tick.
    updateTime();
    // The form's "no connect !" stands only until a port has been opened or tried: an open port
    // keeps its settings, a closed one (and a wait for a removed adapter) its closed text.
    if (session->isOpen())
        showOpenedText();
    else if (session->isWaitingToReconnect() || !session->portName().isEmpty())
        showClosedText();
    realTimePage->retranslate();
    overviewPage->retranslate();
    energyPage->retranslate();
    healthPage->retranslate();
    EventNames::setLocale(languageLocale());
    eventsPage->retranslate();
    parameterPage->retranslate();
    showFocusPack();
}

void MainWindow::on_pushButton_about_clicked()
{
    Messages::about(
        this, tr("About Arvex"),
        tr("<b>This program is an upper computer softwaredeveloped using QT5.14, which belongs to "
           "the communication tool of the Arvex system. It has the functions of data collection, "
           "device parameter adjustment, and firmware maintenance for the battery system.<b>"));
}

void MainWindow::on_win_close_clicked()
{
    close();
}

void MainWindow::on_win_mini_clicked()
{
    showMinimized();
}

void MainWindow::on_trend_5min_clicked()
{
    trendsPage->showFiveMinutes();
}

void MainWindow::on_trend_hour_clicked()
{
    trendsPage->showHour();
}

void MainWindow::on_trend_all_clicked()
{
    trendsPage->showEverything();
}

void MainWindow::on_trend_open_clicked()
{
    trendsPage->openRecording();
}

void MainWindow::on_trend_live_clicked()
{
    trendsPage->showLive();
}

void MainWindow::setupStatusSwitcher(QLabel *label, const QPixmap &onPixmap,
                                     const QPixmap &offPixmap, int interval)
{
    realTimePage->flash(label, onPixmap, offPixmap, interval);
}

void MainWindow::SwitchLight(QLabel *label, const QPixmap &offPixmap)
{
    realTimePage->switchLight(label, offPixmap);
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();

    // The port list is rebuilt before it opens, but never under an open connection.
    if (watched == ui->portName && type == QEvent::MouseButtonPress && !ui->openCom->checked())
        findFreePorts();

    // The title and the chart stand in for the missing title bar.
    if ((watched == ui->logo_title || watched == ui->cell)
        && (type == QEvent::MouseButtonPress || type == QEvent::MouseMove))
        QCoreApplication::sendEvent(this, event);

    if (type == QEvent::FocusIn) {
        if (auto *lineEdit = qobject_cast<QLineEdit *>(watched))
            restoreLineEditStyle(lineEdit);
    }

    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        m_dragPosition = event->globalPos() - frameGeometry().topLeft();
        event->accept();
    }
}

void MainWindow::mouseMoveEvent(QMouseEvent *event)
{
    if (event->buttons() & Qt::LeftButton) {
        move(event->globalPos() - m_dragPosition);
        event->accept();
    }
}

QLocale MainWindow::languageLocale() const
{
    const QString code = StartLimits::languageCode(ui->lang->currentIndex());
    return code.isEmpty() || code == QLatin1String("zh") ? QLocale(QLocale::Chinese, QLocale::China)
                                                         : QLocale(code);
}
