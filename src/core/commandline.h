#pragma once

#include "startoptions.h"

#include <QString>
#include <QStringList>

// The program's command line: the start values of the top bar, the language, and whether to
// connect at once. Parsed before the application object exists, so --help, --version and a
// refused value need no display.
namespace CommandLine {

constexpr int RefusedExitCode = 2;

enum class Action {
    Run, // start the window with the options
    Help, // print helpText() and exit 0
    Version, // print the message and exit 0
    Refuse, // print the message on standard error and exit with RefusedExitCode
};

struct Result
{
    Action action = Action::Run;
    StartOptions options;
    QString message; // the version line, or why the command line was refused
};

// arguments as the program got them, its own name first.
Result parse(const QStringList &arguments);

// The text of --help. Needs a QCoreApplication, whose program name it shows.
QString helpText();

} // namespace CommandLine
