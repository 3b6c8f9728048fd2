// Checks of the Designer form on its own (without the window's behaviour): that it fits the fixed
// window in every language without clipping a text, that every picture it names is compiled in,
// that every button a slot finds by name exists, and that the language files translate all of it.
#include "logcolumns.h"
#include "mainwindow.h"
#include "ui_mainwindow.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabBar>
#include <QTabWidget>
#include <QTranslator>
#include <QtTest>

#include <memory>

namespace {

struct Language
{
    const char *name;
    const char *file; // nullptr: the form's own texts
};

const Language Languages[] = {
    { "Chinese", nullptr },
    { "English", "KORVA_Lang.qm" },
    { "German", "KORVA_Lang_de.qm" },
};

QString qmPath(const char *file)
{
    return QCoreApplication::applicationDirPath() + QLatin1Char('/') + QLatin1String(file);
}

bool hasChinese(const QString &text)
{
    static const QRegularExpression han(QStringLiteral("\\p{Han}"));
    return han.match(text).hasMatch();
}

// Every text the form shows, with a name saying where it sits.
QList<QPair<QString, QString>> formTexts(QMainWindow &window, Ui_MainWindow &ui)
{
    QList<QPair<QString, QString>> texts;
    auto add = [&texts](const QString &where, const QString &text) {
        if (!text.isEmpty())
            texts.append({ where, text });
    };
    add(QStringLiteral("windowTitle"), window.windowTitle());
    for (auto *label : window.findChildren<QLabel *>()) {
        if (label != ui.logo_title && label != ui.label_59)
            add(label->objectName(), label->text());
    }
    for (auto *button : window.findChildren<QAbstractButton *>())
        add(button->objectName(), button->text());
    for (auto *box : window.findChildren<QGroupBox *>())
        add(box->objectName(), box->title());
    for (auto *tabs : window.findChildren<QTabWidget *>()) {
        for (int i = 0; i < tabs->count(); ++i)
            add(tabs->widget(i)->objectName(), tabs->tabText(i));
    }
    for (int i = 0; i < ui.lang->count(); ++i)
        add(QStringLiteral("lang"), ui.lang->itemText(i));
    return texts;
}

// A text is clipped when its widget is narrower than the text needs.
QStringList clippedTexts(QWidget *page)
{
    QStringList clipped;
    for (auto *label : page->findChildren<QLabel *>()) {
        if (!label->isVisible() || label->text().isEmpty() || label->textFormat() == Qt::RichText)
            continue;
        const bool fits = label->wordWrap()
            ? label->height() >= label->heightForWidth(label->width())
            : label->width() >= label->minimumSizeHint().width();
        if (!fits)
            clipped.append(label->objectName() + QLatin1String(": ") + label->text());
    }
    for (auto *button : page->findChildren<QPushButton *>()) {
        if (!button->isVisible() || button->text().isEmpty())
            continue;
        int needed = button->fontMetrics().horizontalAdvance(button->text());
        if (!button->icon().isNull())
            needed += button->iconSize().width() + 4;
        if (button->contentsRect().width() < needed)
            clipped.append(button->objectName() + QLatin1String(": ") + button->text());
    }
    for (auto *box : page->findChildren<QGroupBox *>()) {
        if (box->isVisible() && box->width() < box->fontMetrics().horizontalAdvance(box->title()))
            clipped.append(box->objectName() + QLatin1String(": ") + box->title());
    }
    return clipped;
}

// Captions of fields (named <field>_lable) that need a second line: a row's caption should be
// read at a glance.
QStringList wrappedCaptions(QWidget *page)
{
    QStringList wrapped;
    for (auto *label : page->findChildren<QLabel *>()) {
        if (!label->isVisible() || !label->wordWrap() || label->text().isEmpty()
            || !label->objectName().contains(QLatin1String("_lable")))
            continue;
        const int needed = label->fontMetrics().horizontalAdvance(label->text());
        if (label->contentsRect().width() < needed)
            wrapped.append(QStringLiteral("%1: %2 (%3 of %4 px)")
                               .arg(label->objectName(), label->text())
                               .arg(label->contentsRect().width())
                               .arg(needed));
    }
    return wrapped;
}

} // namespace

class TestForm : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void fitsTheWindowInEveryLanguage_data();
    void fitsTheWindowInEveryLanguage();
    void topBarShowsWholeValues();
    void everyPictureIsCompiledIn();
    void everyButtonFoundByNameExists();
    void languageFilesTranslateEveryText_data();
    void languageFilesTranslateEveryText();
    void languageSourcesAreFinished();

private:
    QString m_styleSheet;
};

void TestForm::initTestCase()
{
    initResources();
    QFile style(QStringLiteral(":/assert/style.qss"));
    QVERIFY(style.open(QFile::ReadOnly));
    m_styleSheet = QString::fromUtf8(style.readAll());
    for (const Language &language : Languages) {
        if (language.file)
            QVERIFY2(QFile::exists(qmPath(language.file)), language.file);
    }
}

void TestForm::fitsTheWindowInEveryLanguage_data()
{
    QTest::addColumn<QString>("file");
    for (const Language &language : Languages)
        QTest::newRow(language.name) << (language.file ? qmPath(language.file) : QString());
}

void TestForm::fitsTheWindowInEveryLanguage()
{
    QFETCH(QString, file);
    QTranslator translator;
    if (!file.isEmpty()) {
        QVERIFY(translator.load(file));
        QCoreApplication::installTranslator(&translator);
    }
    qApp->setStyleSheet(m_styleSheet);

    QMainWindow window;
    Ui_MainWindow ui;
    ui.setupUi(&window);
    window.setFixedSize(1360, 768);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    // The whole form must fit: a layout that needs more than the fixed window squeezes its
    // widgets below their minimum, and texts are cut off.
    const QSize needed = window.centralWidget()->minimumSizeHint();
    QVERIFY2(
        needed.width() <= 1360 && needed.height() <= 768,
        qPrintable(QStringLiteral("form needs %1 x %2").arg(needed.width()).arg(needed.height())));

    // The pages a user can reach (the device and debug pages are taken out by the window); only
    // the widgets of the page on show are visible.
    QStringList clipped;
    QStringList wrapped;
    for (int page = 0; page < 5; ++page) {
        ui.tab_widget->setCurrentIndex(page);
        const int innerPages = page == 2 ? ui.tabWidget->count() : 1;
        for (int inner = 0; inner < innerPages; ++inner) {
            ui.tabWidget->setCurrentIndex(inner);
            QCoreApplication::processEvents();
            clipped += clippedTexts(window.centralWidget());
            wrapped += wrappedCaptions(window.centralWidget());
        }
    }
    QVERIFY(ui.cell->height() >= 251);
    clipped.removeDuplicates();
    QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(QLatin1String("; "))));
    wrapped.removeDuplicates();
    QVERIFY2(wrapped.isEmpty(), qPrintable(wrapped.join(QLatin1String("; "))));

    // The current's six digits keep a digit's shape: at least half as wide as tall.
    ui.tab_widget->setCurrentIndex(0);
    QCoreApplication::processEvents();
    QVERIFY2(ui.cadc->width() * 2 >= ui.cadc->digitCount() * ui.cadc->height(),
             qPrintable(QStringLiteral("current display %1 x %2")
                            .arg(ui.cadc->width())
                            .arg(ui.cadc->height())));

    QCoreApplication::removeTranslator(&translator);
    qApp->setStyleSheet(QString());
}

void TestForm::topBarShowsWholeValues()
{
    qApp->setStyleSheet(m_styleSheet);
    QMainWindow window;
    Ui_MainWindow ui;
    ui.setupUi(&window);
    window.setFixedSize(1360, 768);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    // The longest period, whole.
    ui.spinBox->setValue(9999);
    auto *periodText = ui.spinBox->findChild<QLineEdit *>();
    QVERIFY(periodText->width()
            >= periodText->fontMetrics().horizontalAdvance(QStringLiteral("9999")));

    // The open port list is as wide as its longest entry, in the font the style sheet gives it.
    const QString longest = QStringLiteral("ttyUSB0 (CP2102N USB to UART Bridge Controller, S/N "
                                           "0001, /dev/serial/by-id/usb-Silicon_Labs)");
    ui.portName->addItem(QStringLiteral("/tmp/ttyWALK (virtual)"));
    ui.portName->addItem(longest);
    ui.portName->showPopup();
    QAbstractItemView *list = ui.portName->view();
    QTRY_VERIFY(list->isVisible());
    const int needed = list->fontMetrics().horizontalAdvance(longest);
    QVERIFY2(list->viewport()->width() >= needed,
             qPrintable(QStringLiteral("%1 of %2 px").arg(list->viewport()->width()).arg(needed)));
    ui.portName->hidePopup();
    qApp->setStyleSheet(QString());
}

void TestForm::everyPictureIsCompiledIn()
{
    QMainWindow window;
    Ui_MainWindow ui;
    ui.setupUi(&window);

    QVERIFY(!window.windowIcon().isNull());
    int pictures = 0;
    for (auto *label : window.findChildren<QLabel *>()) {
        if (label->objectName().contains(QLatin1String("_mask")) || label == ui.statu_read
            || label == ui.label_7) {
            QVERIFY2(!label->pixmap(Qt::ReturnByValue).isNull(), qPrintable(label->objectName()));
            QVERIFY2(label->hasScaledContents(), qPrintable(label->objectName()));
            ++pictures;
        }
    }
    QCOMPARE(pictures, 3 + 5 + 1 + 5 + 4 + 9 + 6 + 3 + 1 + 1); // lamps by group, read lamp, logo
    for (auto *button : { ui.pushButton_about, ui.debugdig, ui.conf_read })
        QVERIFY2(!button->icon().isNull(), qPrintable(button->objectName()));
    for (auto *tabs : { ui.tab_widget, ui.tabWidget }) {
        for (int i = 0; i < tabs->count(); ++i) {
            if (tabs->widget(i) != ui.tab) // the debug page has no icon
                QVERIFY2(!tabs->tabIcon(i).isNull(), qPrintable(tabs->widget(i)->objectName()));
        }
    }

    // The four lamp states must be told apart at a glance: their centres differ in colour.
    QSet<QRgb> centres;
    for (const char *name : { "NO", "Pas", "Warning", "Err" }) {
        const QImage image(QStringLiteral(":/asset/assert/%1.png").arg(QLatin1String(name)));
        QVERIFY2(!image.isNull(), name);
        centres.insert(image.pixel(image.width() / 2, image.height() * 2 / 3));
    }
    QCOMPARE(centres.size(), 4);
}

void TestForm::everyButtonFoundByNameExists()
{
    // The window's slots reach these buttons by name (on_<name>_clicked); a button named
    // otherwise would silently do nothing.
    static const char *const names[] = {
        "conf_read",
        "conf_chgc_btn",
        "conf_chgct_btn",
        "conf_dsgc1_btn",
        "conf_dsgc2_btn",
        "conf_dsgc1t_btn",
        "conf_dsgc2t_btn",
        "conf_lv_btn",
        "conf_lvre_btn",
        "conf_lvt_btn",
        "conf_hv_btn",
        "conf_hvre_btn",
        "conf_hvt_btn",
        "conf_chght_btn",
        "conf_chghtre_btn",
        "conf_chglt_btn",
        "conf_chgltre_btn",
        "conf_dsght_btn",
        "conf_dsghtre_btn",
        "conf_dsglt_btn",
        "conf_dsgltre_btn",
        "conf_blancev_btn",
        "conf_blancevx_btn",
        "conf_vxp_btn",
        "conf_totalcell_btn",
        "conf_design_btn",
        "conf_rs_btn",
        "conf_short_btn",
        "conf_shorttime_btn",
        "conf_dnum_btn",
        "conf_cax_btn",
        "conf_chght_alert_btn",
        "conf_chglt_alert_btn",
        "conf_vpgine_btn",
        "conf_dsght_alert_btn",
        "conf_dsglt_alert_btn",
        "conf_getmod_btn",
        "conf_initsoc_btn",
        "conf_initafe_btn",
        "conf_reset_btn",
        "conf_debug_btn",
        "pushButton_about",
        "conf_avlp_btn_2",
        "conf_avlpre_btn_2",
        "conf_avhp_btn_2",
        "conf_avhpre_btn_2",
        "data_export",
        "data_clean",
        "btn_log",
        "data_record_change",
        "data_record_folder",
        "trend_5min",
        "trend_hour",
        "trend_all",
        "trend_open",
        "trend_live",
        "win_close",
        "win_mini",
        "btn_init_para",
        "btn_init_soc",
        "btn_reset",
        "btn_mes",
    };
    QMainWindow window;
    Ui_MainWindow ui;
    ui.setupUi(&window);
    for (const char *name : names) {
        const auto found = window.findChildren<QPushButton *>(QLatin1String(name));
        QVERIFY2(found.size() == 1, name);
    }
    // The apply buttons of rows without a slot are disabled, so they do not look usable.
    for (auto *button : { ui.conf_chglt_alert_3_btn, ui.conf_dsght_alert_4_btn, ui.conf_clen_btn })
        QVERIFY2(!button->isEnabled(), qPrintable(button->objectName()));
}

void TestForm::languageFilesTranslateEveryText_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("English") << qmPath("KORVA_Lang.qm");
    QTest::newRow("German") << qmPath("KORVA_Lang_de.qm");
}

void TestForm::languageFilesTranslateEveryText()
{
    QFETCH(QString, file);
    QTranslator translator;
    QVERIFY(translator.load(file));

    QMainWindow window;
    Ui_MainWindow ui;
    ui.setupUi(&window);
    auto texts = formTexts(window, ui);
    for (int column = 0; column < LogColumns::Count; ++column)
        texts.append({ QStringLiteral("log column %1").arg(column),
                       QString::fromUtf8(LogColumns::sourceCaption(column)) });

    QStringList missing;
    for (const auto &text : texts) {
        const QByteArray source = text.second.toUtf8();
        const QString translation = translator.translate("MainWindow", source.constData());
        // The language names are shown in their own language.
        const bool ownName = text.second == QStringLiteral("简体中文");
        if (translation.isEmpty() || (hasChinese(translation) && !ownName))
            missing.append(text.first + QLatin1String(": ") + text.second);
    }
    QVERIFY2(missing.isEmpty(), qPrintable(missing.join(QLatin1String("; "))));
}

void TestForm::languageSourcesAreFinished()
{
    // Messages of the program's code (message box titles, the About text) are not in the form;
    // once lupdate has collected them, each needs a translation in both languages.
    for (const char *name : { "KORVA_Lang.ts", "KORVA_Lang_de.ts" }) {
        QFile ts(QStringLiteral(ARVEX_TRANSLATIONS_DIR "/") + QLatin1String(name));
        QVERIFY2(ts.open(QFile::ReadOnly), name);
        const QByteArray content = ts.readAll();
        QVERIFY2(content.contains("<translation>"), name);
        QVERIFY2(!content.contains("type=\"unfinished\""), name);
    }
}

QTEST_MAIN(TestForm)
#include "tst_form.moc"
