// The compare dialog of a profile through the window, without a board: its rows as the
// parameter pages show them, the view of the differences, how much of it is seen at once, its
// look, and its texts and the profile buttons' in each language, also switched while it is open.
// The board's values are handed to the dialog as a read-back would.
#include "boardsession.h"
#include "filedialogs.h"
#include "isolatedsettings.h"
#include "mainwindow.h"
#include "messages.h"
#include "namedchild.h"
#include "parameterprofile.h"
#include "profiledialog.h"
#include "pty.h"
#include "switchbutton.h"
#include "thresholdpairs.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QtTest>

#include <memory>

class TestProfileDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void rowsFollowThePages();
    void differencesOnlyByDefaultWhenAnyDiffer();
    void moreThanTwelveRowsAtATime();
    void followsTheWindowsLook();
    void textsFollowTheLanguage();

private:
    template<typename T>
    T *child(const char *name) const
    {
        return namedChild<T>(window.get(), name);
    }
    ProfileDialog *dialog() const
    {
        return dynamic_cast<ProfileDialog *>(child<QDialog>("profile_dialog"));
    }
    QTableWidget *table() const { return child<QTableWidget>("profile_table"); }
    // Opens a profile with every row at its lowest value through the button, as a user does.
    void openProfile()
    {
        FileDialogs::Answerer answer(file);
        child<QPushButton>("profile_open")->click();
        QVERIFY(dialog()->isVisible());
    }
    // The board holds the file's values but for the rows given.
    QHash<QString, int> boardExcept(const QHash<QString, int> &changed) const
    {
        QHash<QString, int> board;
        for (auto it = profile.values.cbegin(); it != profile.values.cend(); ++it)
            board.insert(it.key(), changed.value(it.key(), it.value()));
        return board;
    }
    // The keys of the rows shown, and the pages' names above them as "# name".
    QStringList shownRows() const
    {
        QStringList rows;
        for (int i = 0; i < table()->rowCount(); ++i) {
            if (table()->isRowHidden(i))
                continue;
            const QString key = table()->item(i, 0)->data(Qt::UserRole).toString();
            rows << (key.isEmpty() ? QStringLiteral("# ") + table()->item(i, 0)->text() : key);
        }
        return rows;
    }

    std::unique_ptr<IsolatedSettings> settings;
    std::unique_ptr<Messages::Recorder> boxes;
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<QTemporaryDir> dir;
    ParameterProfile::Profile profile;
    QString file;
};

void TestProfileDialog::initTestCase()
{
    // Every row the profile may hold, at its lowest value, but for the thresholds whose partner
    // must lie above them: those at their highest, so the file is one a board may take.
    QHash<QString, int> highest;
    for (const ParameterTable::Row *row : ParameterProfile::rows()) {
        profile.values.insert(QLatin1String(row->lineEdit), row->min);
        highest.insert(QLatin1String(row->lineEdit), row->max);
    }
    for (const ThresholdPairs::Pair &pair : ThresholdPairs::pairs()) {
        const QString raised =
            QLatin1String(pair.side == ThresholdPairs::Side::Above ? pair.row : pair.other);
        profile.values.insert(raised, highest.value(raised));
    }
    QMap<QString, int> all;
    for (auto it = profile.values.cbegin(); it != profile.values.cend(); ++it)
        all.insert(it.key(), it.value());
    QVERIFY(ThresholdPairs::check({}, all).isEmpty());
}

void TestProfileDialog::init()
{
    settings = std::make_unique<IsolatedSettings>();
    boxes = std::make_unique<Messages::Recorder>();
    dir = std::make_unique<QTemporaryDir>();
    file = dir->filePath(QStringLiteral("pack.json"));
    QCOMPARE(ParameterProfile::writeFile(file, profile), QString());
    window = std::make_unique<MainWindow>();
    // The program's own style sheet, as the program sets it (the window loads its resources).
    QFile style(QStringLiteral(":/assert/style.qss"));
    QVERIFY(style.open(QIODevice::ReadOnly));
    qApp->setStyleSheet(QString::fromUtf8(style.readAll()));
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
}

void TestProfileDialog::cleanup()
{
    child<QComboBox>("lang")->setCurrentIndex(0);
    window.reset();
    qApp->setStyleSheet(QString());
    boxes.reset();
    dir.reset();
    settings.reset();
}

void TestProfileDialog::rowsFollowThePages()
{
    openProfile();
    child<QCheckBox>("profile_differences_only")->setChecked(false);
    const QStringList rows = shownRows();

    // The pages in their order, each named once above its rows.
    auto *pages = child<QTabWidget>("tabWidget");
    QStringList names;
    for (const QString &row : rows) {
        if (row.startsWith(QLatin1String("# ")))
            names << row.mid(2);
    }
    QCOMPARE(names.mid(0, 3),
             QStringList({ pages->tabText(0), pages->tabText(1), pages->tabText(2) }));
    // A row no page shows comes last, under a name of its own.
    QVERIFY(names.size() == 3
            || (names.size() == 4 && names.at(3) == QStringLiteral("不在参数页上")));

    // The first page's rows read column by column, top to bottom, as it is drawn.
    const QStringList protection = rows.mid(1, rows.indexOf(QLatin1String("# ") + names.at(1)) - 1);
    QCOMPARE(protection,
             QStringList({ "conf_lv",     "conf_lvre",     "conf_lvt",    "conf_hv",
                           "conf_hvre",   "conf_hvt",      "conf_avlp_2", "conf_avlpre_2",
                           "conf_avhp_2", "conf_avhpre_2", "conf_chgc",   "conf_chgct",
                           "conf_dsgc1",  "conf_dsgc2",    "conf_dsgc1t", "conf_dsgc2t",
                           "conf_chght",  "conf_chghtre",  "conf_dsght",  "conf_chgltre",
                           "conf_chglt",  "conf_dsghtre",  "conf_dsglt",  "conf_dsgltre" }));

    // Every other row stands under the page that holds its field, in the page's drawing order.
    auto *mainPages = child<QTabWidget>("tab_widget");
    mainPages->setCurrentIndex(mainPages->indexOf(child<QWidget>("tab_2")));
    int page = -1;
    QPoint last;
    for (const QString &row : rows) {
        if (row.startsWith(QLatin1String("# "))) {
            page = names.indexOf(row.mid(2));
            last = QPoint(-1, -1);
            if (page >= 0 && page < pages->count()) {
                pages->setCurrentIndex(page);
                QCoreApplication::processEvents();
            }
            continue;
        }
        auto *field = child<QLineEdit>(row.toLatin1().constData());
        if (page < 0 || page >= pages->count()) {
            QVERIFY2(!pages->isAncestorOf(field), qPrintable(row));
            continue;
        }
        QVERIFY2(pages->widget(page)->isAncestorOf(field), qPrintable(row));
        const QPoint at = field->mapTo(pages->widget(page), QPoint(0, 0));
        // Further right, or in the same column further down.
        QVERIFY2(at.x() > last.x() + 20 || (qAbs(at.x() - last.x()) <= 20 && at.y() > last.y()),
                 qPrintable(row));
        last = at;
    }
}

void TestProfileDialog::differencesOnlyByDefaultWhenAnyDiffer()
{
    auto *only = child<QCheckBox>("profile_differences_only");
    const int rows = profile.values.size();

    // Nothing read yet: every row is unknown, every row shows.
    openProfile();
    QVERIFY(only->isChecked());
    QCOMPARE(shownRows().filter(QRegularExpression("^conf_")).size(), rows);

    // The board differs in two rows: those two show, each under its page's name.
    dialog()->boardRead(1, boardExcept({ { "conf_hv", 3600 }, { "conf_blancev", 3500 } }));
    QVERIFY(only->isChecked());
    const auto *pages = child<QTabWidget>("tabWidget");
    QCOMPARE(shownRows(),
             QStringList({ "# " + pages->tabText(0), "conf_hv", "# " + pages->tabText(2),
                           "conf_blancev" }));
    // A board read later keeps the view; the user's choice too.
    dialog()->boardRead(1, boardExcept({}));
    QVERIFY(only->isChecked());
    only->setChecked(false);
    QCOMPARE(shownRows().filter(QRegularExpression("^conf_")).size(), rows);
    // Another board's block changes nothing here.
    dialog()->boardRead(2, boardExcept({ { "conf_lv", 2000 } }));
    QCOMPARE(child<QLabel>("profile_summary")->text(), QStringLiteral("板子与文件一致。"));

    // A board that already holds the file: every row shows.
    openProfile();
    dialog()->boardRead(1, boardExcept({}));
    QVERIFY(!only->isChecked());
    QCOMPARE(shownRows().filter(QRegularExpression("^conf_")).size(), rows);
}

void TestProfileDialog::moreThanTwelveRowsAtATime()
{
    for (int language : { 0, 1, 2 }) {
        child<QComboBox>("lang")->setCurrentIndex(language);
        openProfile();
        child<QCheckBox>("profile_differences_only")->setChecked(false);
        QCoreApplication::processEvents();
        const QRect seen = table()->viewport()->rect();
        int whole = 0;
        for (int i = 0; i < table()->rowCount(); ++i) {
            const QRect row = table()->visualRect(table()->model()->index(i, 1));
            whole +=
                !table()->item(i, 0)->data(Qt::UserRole).toString().isEmpty() && seen.contains(row);
        }
        QVERIFY2(whole > 12, qPrintable(QString::number(whole)));
        dialog()->close();
    }
}

void TestProfileDialog::followsTheWindowsLook()
{
    openProfile();
    QDialog *shown = dialog();
    // The window's ground, type and buttons, not the platform's light look.
    QCOMPARE(shown->palette().color(QPalette::Window), QColor(44, 44, 44));
    QCOMPARE(table()->palette().color(QPalette::Text), QColor(255, 255, 255));
    QCOMPARE(child<QPushButton>("profile_apply")->palette().color(QPalette::Button),
             QColor(37, 37, 37));
    QCOMPARE(child<QPushButton>("profile_apply")->font().pointSize(),
             child<QPushButton>("conf_read")->font().pointSize());
    // The column headers too: a dark band, not a light one.
    const QImage picture = shown->grab().toImage();
    QHeaderView *header = table()->horizontalHeader();
    const QPoint inHeader = header->mapTo(shown, QPoint(header->sectionPosition(1) + 3, 4));
    QVERIFY2(qGray(picture.pixel(inHeader)) < 80,
             qPrintable(QColor(picture.pixel(inHeader)).name()));
}

void TestProfileDialog::textsFollowTheLanguage()
{
    auto *lang = child<QComboBox>("lang");
    auto *save = child<QPushButton>("profile_save");
    auto *open = child<QPushButton>("profile_open");
    openProfile();
    const auto captionOf = [this](const char *key) {
        for (int i = 0; i < table()->rowCount(); ++i) {
            if (table()->item(i, 0)->data(Qt::UserRole).toString() == QLatin1String(key))
                return table()->item(i, 0)->text();
        }
        return QString();
    };

    struct Expected
    {
        int index;
        const char *save, *open, *title, *apply, *applyTo, *stop, *address, *setting, *lv;
    };
    // Switched while the dialog is open, and back.
    const Expected languages[] = {
        { 1, "Save profile…", "Open profile…", "Parameter profile", "Apply differences",
          "Apply to…", "Stop", "Addresses:", "Setting", "Undervoltage trip" },
        { 2, "Profil speichern…", "Profil öffnen…", "Parameterprofil", "Unterschiede anwenden",
          "Anwenden auf…", "Anhalten", "Adressen:", "Einstellung", "Unterspannung Schwelle" },
        { 0, "保存配置…", "打开配置…", "参数配置", "应用差异", "应用到…", "停止", "地址：", "参数",
          "欠压保护阈值" },
    };
    for (const Expected &e : languages) {
        lang->setCurrentIndex(e.index);
        QCOMPARE(save->text(), QString::fromUtf8(e.save));
        QCOMPARE(open->text(), QString::fromUtf8(e.open));
        QCOMPARE(dialog()->windowTitle(), QString::fromUtf8(e.title));
        QCOMPARE(child<QPushButton>("profile_apply")->text(), QString::fromUtf8(e.apply));
        QCOMPARE(child<QPushButton>("profile_apply_to")->text(), QString::fromUtf8(e.applyTo));
        QCOMPARE(child<QPushButton>("profile_stop")->text(), QString::fromUtf8(e.stop));
        QCOMPARE(child<QLabel>("profile_address_label")->text(), QString::fromUtf8(e.address));
        QCOMPARE(table()->horizontalHeaderItem(0)->text(), QString::fromUtf8(e.setting));
        // The rows' captions and the pages' names are the pages' own, in the same language.
        QCOMPARE(captionOf("conf_lv"), QString::fromUtf8(e.lv));
        QCOMPARE(table()->item(0, 0)->text(), child<QTabWidget>("tabWidget")->tabText(0));
    }

    // The questions before an apply, in English, on a line without a board: answered "No".
    child<QPushButton>("profile_apply")->click();
    QCOMPARE(boxes->entries().size(), 1);
    QCOMPARE(boxes->entries().at(0).kind, Messages::Kind::Warning); // no port open: nothing to ask
    boxes->clear();
    Pty pty;
    QVERIFY(pty.open());
    qputenv("ARVEX_EXTRA_PORTS", pty.device.toLocal8Bit());
    auto *ports = child<QComboBox>("portName");
    window->findFreePorts();
    ports->setCurrentIndex(ports->findText(pty.device + QStringLiteral(" (virtual)")));
    child<QSpinBox>("spinBox")->setValue(9999);
    child<SwitchButton>("openCom")->SetActive(true);
    QVERIFY(window->boardSession()->isOpen());
    lang->setCurrentIndex(1);
    dialog()->boardRead(1, boardExcept({ { "conf_hv", 3600 } }));
    boxes->setAnswer(false);
    const int queued = window->boardSession()->sendQueuebak.size();
    child<QPushButton>("profile_apply")->click();
    child<QLineEdit>("profile_addresses")->setText("1,2");
    child<QPushButton>("profile_apply_to")->click();
    QCOMPARE(boxes->entries().size(), 2);
    QCOMPARE(boxes->entries().at(0).title, QStringLiteral("Please confirm"));
    QCOMPARE(
        boxes->entries().at(0).text,
        QStringLiteral("Write the 1 setting that differs from the file to the pack at address 1?"));
    QCOMPARE(
        boxes->entries().at(1).text,
        QStringLiteral("Read back the 2 packs (addresses 1,2) one after the other, then write to "
                       "each the settings that differ from the file (at most %1 per pack)?\n"
                       "The pack at address 1 now differs from the file in 1 setting.")
            .arg(profile.values.size()));
    QCOMPARE(window->boardSession()->sendQueuebak.size(), queued);
    child<SwitchButton>("openCom")->SetActive(false);
    qunsetenv("ARVEX_EXTRA_PORTS");
}

QTEST_MAIN(TestProfileDialog)
#include "tst_profiledialog.moc"
