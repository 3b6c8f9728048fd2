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
class ProfileTable;

// A profile beside the board in focus in the compare table. From here the differences are applied
// to the board in focus or to a list of addresses, one after the other, with each row's outcome in
// the table and each board's in the list below it.
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

    // Both ask first, naming the rows and the packs.
    void applyDifferences();
    void applyToList();

    // The texts again, in the language now loaded.
    void retranslate();

    ProfileTable *table() const { return m_table; }

private:
    void showHeader();
    // The count of differences and the view that follows it.
    void showSummary();
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
    QString m_path;
    ParameterProfile::Profile m_profile;
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
    ProfileTable *m_table;
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
