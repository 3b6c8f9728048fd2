#pragma once

#include "parameterblock.h"
#include "parametertable.h"
#include "writeconfirm.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QHash>
#include <QObject>
#include <QPixmap>
#include <QString>
#include <QVector>

#include <cstdint>
#include <functional>

class BoardSession;
class QLabel;
class QLineEdit;
class Ui_MainWindow;
class WriteMarks;

// The parameter pages: each row's write with its range check, the device commands, the one-key
// read, the parameter block shown in its fields, and what became of each write, in the field and
// on the line beside the read lamp. It is given the form's widgets and the board session it
// queues on; the session judges the writes by read-back and reports the verdicts.
class ParameterPage : public QObject
{
    // The page's texts are the window's and are translated with them.
    Q_DECLARE_TR_FUNCTIONS(MainWindow)

public:
    // Flashes a lamp: on now, off after the given milliseconds.
    using Flash = std::function<void(QLabel *lamp, const QPixmap &on, const QPixmap &off, int ms)>;

    ParameterPage(Ui_MainWindow *form, QWidget *window, BoardSession *line, Flash flash);

    // Queues one write frame for the prefix target (":W+" address "+" code "+") and the value;
    // with the port closed it tells the user and queues nothing.
    void sendData(uint16_t data, QByteArray target);
    // Whether the field holds a number within [min, max]; marks the field and tells the user.
    bool checkInput(QLineEdit *lin, int max, int min);
    // Checks the row's field and queues its write, followed until a read-back judges it.
    void applyRow(const QByteArray &initialStr, QLineEdit *lineEdit, int checkInputArgmax,
                  int checkInputArgmin, uint16_t offset);
    // Queues a device command's frame.
    void sendCommand(const QByteArray &initialStr, uint16_t key);
    // The row or command whose button's slot is named slot.
    void writeRow(const char *slot);
    void runCommand(const char *slot);
    // Asks for every value the board holds, replacing typed ones.
    void readAll();
    // The look a focused field goes back to: neutral, or the mark of its write.
    void restoreStyle(QLineEdit *lineEdit);
    // The object name of a row's caption in the form.
    static QString captionName(const QString &field);
    // Texts made here rather than in the form (each field's range), in the chosen language.
    void retranslate();

private:
    void resolveWidgets();
    // Whether a write of value (as it goes out) may go: it leaves every threshold pair of the
    // board in focus on its right side, or the user was asked and said "Yes".
    bool confirmPairs(QLineEdit *lineEdit, const ParameterTable::Row &row, uint16_t value);
    // Queues a write frame unless the port is closed (then the user is told); the frame queued.
    QByteArray queueWrite(uint16_t data, const QByteArray &target);
    // Asks the board for its parameter block; the request takes the place of a poll.
    void queueReadBack();
    // Follows a queued write of a row until a read-back shows what the board holds.
    void followWrite(QLineEdit *lineEdit, const QByteArray &frame, uint16_t value, int framesAhead);
    void showBlock(const QVector<ParameterBlock::Field> &fields);
    void showWriteVerdicts(const QVector<WriteConfirm::Verdict> &verdicts);
    void showReadBackFailed();
    // Under the parameter pages, beside the read lamp: what became of the last read or write.
    void showParameterState(const QString &text, bool failure);

    Ui_MainWindow *ui;
    QWidget *m_window; // the parent of boxes; the form's widgets are found under it
    BoardSession *session;
    Flash m_flash;
    const QPixmap lampOff;
    const QPixmap lampOn;
    const QPixmap lampError;

    // Resolved once from the form: the line edit of each parameter row (in the table's order)
    // and the line edit or switch of each field of the parameter block (in the decoder's order).
    QVector<QLineEdit *> parameterRowEdits;
    QVector<QWidget *> parameterBlockWidgets;
    WriteMarks *writeMarks = nullptr;
    QLabel *parameterState = nullptr; // conf_read_state
    QLineEdit *failedWriteField = nullptr; // the last row the board did not take, and its line
    QString failedWriteLine;
    // The next block answers the one-key read (or a factory reset): it shows the board's values
    // even in fields holding typed values. A read-back after a write leaves those alone.
    bool readBackShowsAll = false;
    // The values of the last parameter block, by field, and the address it answered (-1: none
    // since the line opened); the address the last read-back went to.
    QHash<QString, int> boardValues;
    int boardAddress = -1;
    int askedAddress = -1;
};
