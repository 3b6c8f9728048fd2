#pragma once

#include "parameterblock.h"
#include "parameterprofile.h"
#include "profilejob.h"
#include "thresholdpairs.h"

#include <QCoreApplication>
#include <QHash>
#include <QObject>
#include <QString>

#include <functional>

class BoardSession;
class ProfileDialog;
class QPushButton;
class QWidget;
class Ui_MainWindow;

// Profiles on the parameter pages: "Save profile…" reads the board in focus back and saves what
// it holds (never what is typed in the fields), "Open profile…" checks a file and shows it beside
// the board in the compare dialog, from where it is applied. Also keeps what each board's last
// parameter block showed, so the table starts with the board's values.
class ProfilePanel : public QObject
{
    // The panel's texts are the window's and are translated with them.
    Q_DECLARE_TR_FUNCTIONS(MainWindow)

public:
    using FolderSource = std::function<QString()>;

    ProfilePanel(Ui_MainWindow *form, QWidget *window, BoardSession *session,
                 FolderSource recordingsFolder);

    void saveProfile();
    void openProfile();
    // Opens a file without asking for it; false (after telling the user why) for a refused file.
    bool openFile(const QString &path);

    // The buttons' and the dialog's texts again, in the language now loaded.
    void retranslate();

    ProfileDialog *dialog() const { return m_dialog; }
    ProfileJob *job() const { return m_job; }
    // Where applies are recorded.
    QString auditFile() const;

private:
    void frameSent(const QByteArray &frame);
    void blockArrived(const QVector<ParameterBlock::Field> &fields);
    void saveRead(const ProfileJob::AddressResult &result);
    void applyFinished();
    // Hides the compare dialog and says why the file cannot be applied to the board at address.
    void refuse(int address, const QVector<ThresholdPairs::Contradiction> &clash);
    QPushButton *addButton(const char *name, const QString &text, int index);

    Ui_MainWindow *ui;
    QWidget *m_window;
    BoardSession *m_session;
    FolderSource m_recordingsFolder;
    ProfileJob *m_job;
    ProfileDialog *m_dialog;
    QString m_savePath; // the file a save under way goes to
    int m_askedAddress = -1; // the board the last read-back went to
    QHash<int, QHash<QString, int>> m_lastBoard;
    // The file last opened, and the board whose read-back judges it (-1: none awaited).
    ParameterProfile::Profile m_opened;
    int m_awaitedAddress = -1;
};
