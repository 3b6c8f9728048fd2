#pragma once

#include "parameterprofile.h"
#include "profilejob.h"

#include <QCoreApplication>
#include <QDialog>
#include <QHash>
#include <QString>
#include <QVector>

#include <functional>

class BoardSession;
class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTableWidget;

// A profile beside the board in focus: each row's caption, unit, the board's value, the file's,
// the range and whether they differ, grouped under the parameter page that shows the row and in
// that page's order. From here the differences are applied to the board in focus or to a list of
// addresses, one after the other, with each row's outcome in the table and each board's in the
// list below it.
class ProfileDialog : public QDialog
{
    // The dialog's texts are the window's and are translated with them.
    Q_DECLARE_TR_FUNCTIONS(MainWindow)

public:
    using AddressSource = std::function<int()>;

    // Where a row is shown on the parameter pages: the page's index among the pages and the
    // row's place on it, in reading order (column by column, top to bottom). Rows on no page
    // have page -1.
    struct Place
    {
        int page = -1;
        int position = 0;
    };

    ProfileDialog(QWidget *window, BoardSession *session, ProfileJob *job, AddressSource focus,
                  std::function<QString()> auditFile);

    // Shows the file's rows beside what the board in focus was last seen to hold (unknown rows
    // until a read-back).
    void showProfile(const QString &path, const ParameterProfile::Profile &profile,
                     const QHash<QString, int> &board);
    // A parameter block of the board at address was read.
    void boardRead(int address, const QHash<QString, int> &board);

    // Both ask first, naming the rows and the packs.
    void applyDifferences();
    void applyToList();

    // The texts again, in the language now loaded.
    void retranslate();

    QTableWidget *table() const { return m_table; }
    // Where the parameter pages show the row of key.
    Place place(const QString &key) const { return m_places.value(key); }

private:
    enum Column { Caption, Unit, Board, File, Range, Mark, Columns };

    void findPlaces();
    void showHeader();
    void fillTable();
    void refreshRows();
    void showRow(int row);
    void filterRows();
    bool confirmApply(const QVector<int> &addresses);
    void startApply(const QVector<int> &addresses);
    void showProgress(int done, int total, int address);
    // The bar's count of boards and the line beside it.
    void showCounts();
    void showResult(const ProfileJob::AddressResult &result);
    void addResultLine(const ProfileJob::AddressResult &result);
    void jobFinished(bool stopped);
    void updateButtons();

    BoardSession *m_session;
    ProfileJob *m_job;
    AddressSource m_focus;
    std::function<QString()> m_auditFile;
    QWidget *m_window;
    QHash<QString, Place> m_places;
    QString m_path;
    ParameterProfile::Profile m_profile;
    QHash<QString, int> m_board;
    // What became of each row's last write to the board in focus, with the value it showed.
    QHash<QString, ProfileJob::RowResult> m_outcomes;
    // The boards of the apply under way or last shown, for the list and the bar.
    QVector<ProfileJob::AddressResult> m_done;
    int m_total = 0;
    int m_underWay = -1; // the address being applied to
    bool m_applying = false;
    bool m_stopped = false;
    // The view follows the board until it is known whether anything differs, or the user chose.
    bool m_viewChosen = false;

    QLabel *m_header;
    QLabel *m_summary;
    QCheckBox *m_differencesOnly;
    QTableWidget *m_table;
    QPushButton *m_apply;
    QLabel *m_addressLabel;
    QLineEdit *m_addresses;
    QPushButton *m_applyTo;
    QPushButton *m_stop;
    QProgressBar *m_progress;
    QLabel *m_progressText;
    QListWidget *m_results;
    QPushButton *m_close;
};
