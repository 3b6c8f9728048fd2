#pragma once

// Keeps a test away from the user's own settings and files: what QSettings remembers goes to a
// temporary folder, and so do recordings of the log.
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

class IsolatedSettings
{
public:
    IsolatedSettings()
    {
        QStandardPaths::setTestModeEnabled(true);
        for (QSettings::Format format : { QSettings::NativeFormat, QSettings::IniFormat })
            QSettings::setPath(format, QSettings::UserScope, m_dir.filePath("settings"));
        QSettings().setValue("recordings/folder", recordings());
    }

    // Where the window records the log.
    QString recordings() const { return m_dir.filePath("recordings"); }

private:
    QTemporaryDir m_dir;
};
