#pragma once

#include "parameterprofile.h"
#include "profilejob.h"

#include <QCoreApplication>
#include <QDialog>
#include <QHash>
#include <QString>

#include <functional>

class BoardSession;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTableWidget;

// A profile beside the board in focus: each row's caption, unit, the board's value, the file's,
// the range and whether they differ. From here the differences are applied to the board in focus
// or to a list of addresses, one after the other, with each row's outcome in the table and each
// board's in the list below it.
class ProfileDialog : public QDialog
{
    // The dialog's texts are the window's and are translated with them.
    Q_DECLARE_TR_FUNCTIONS(MainWindow)

public:
    using AddressSource = std::function<int()>;

    ProfileDialog(QWidget *window, BoardSession *session, ProfileJob *job, AddressSource focus,
                  std::function<QString()> auditFile);

    // Shows the file's rows beside what the board in focus was last seen to hold (unknown rows
    // until a read-back).
    void showProfile(const QString &path, const ParameterProfile::Profile &profile,
                     const QHash<QString, int> &board);
    // A parameter block of the board at address was read.
    void boardRead(int address, const QHash<QString, int> &board);

    void applyDifferences();
    void applyToList();

    QTableWidget *table() const { return m_table; }

private:
    enum Column { Caption, Unit, Board, File, Range, Mark, Columns };

    void fillTable();
    void refreshRows();
    void showRow(int row);
    void startApply(const QVector<int> &addresses);
    void showProgress(int done, int total, int address);
    void showResult(const ProfileJob::AddressResult &result);
    void jobFinished();
    void updateButtons();

    BoardSession *m_session;
    ProfileJob *m_job;
    AddressSource m_focus;
    std::function<QString()> m_auditFile;
    ParameterProfile::Profile m_profile;
    QHash<QString, int> m_board;
    // What became of each row's last write to the board in focus, with the value it showed.
    QHash<QString, ProfileJob::RowResult> m_outcomes;
    bool m_applying = false;

    QLabel *m_header;
    QLabel *m_summary;
    QTableWidget *m_table;
    QPushButton *m_apply;
    QLineEdit *m_addresses;
    QPushButton *m_applyTo;
    QPushButton *m_stop;
    QProgressBar *m_progress;
    QLabel *m_progressText;
    QListWidget *m_results;
};
