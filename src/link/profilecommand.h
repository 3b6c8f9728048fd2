#pragma once

#include "profilejob.h"

#include <QString>
#include <QTextStream>
#include <QVector>

#include <functional>

class BoardSession;

// The profile options of the headless program: --save-profile, --check-profile and
// --apply-profile FILE for one address or several, on a session that is open and polling. It
// runs until every address is done and returns the program's exit code:
//   0  saved; the boards match the file; every row written was confirmed
//   1  a board did not answer, the line closed, a row was not confirmed, a file was not written,
//      the job was stopped
//   2  the file was refused (one line names the key and the reason; values that contradict
//      each other name the pair); nothing was sent. Or the file's values contradict a board's
//      thresholds they leave as they are: nothing was sent to that board, its line names the
//      pair.
//   3  check: a board differs from the file (each difference is listed)
// Each board's result is printed as soon as it is known. With several addresses a save writes
// one file per board, "-packNN" before the suffix. An apply appends its lines to auditFile unless
// it is empty. started, if given, is handed the job once it runs, for whoever may stop it.
int runProfileCommand(BoardSession *session, ProfileJob::Kind kind, const QString &file,
                      const QVector<int> &addresses, QTextStream &out, QTextStream &err,
                      const QString &auditFile = QString(),
                      const std::function<void(ProfileJob *)> &started = {});

// Where a save of several boards puts one of them: board.json for address 3 gives
// board-pack03.json.
QString profileFileFor(const QString &file, int address);
