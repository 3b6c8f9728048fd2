// The events page's files: each change appended to its pack's file, the newest events read back
// at start, another events file opened in place of the live list.
#include "eventspage.h"

#include "eventsmodel.h"
#include "filedialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>

#include <algorithm>

void EventsPage::write(const PackEvent &change)
{
    m_files.setFolder(m_recordingsFolder());
    QString error;
    if (!m_files.append(change, &error))
        sayOnce(m_files.path(change.address), tr("事件无法写入：%1").arg(error));
}

void EventsPage::sayOnce(const QString &key, const QString &text)
{
    if (m_problems.contains(key))
        return;
    m_problems.insert(key, text);
    m_note->setText(note());
    m_note->show();
}

QString EventsPage::note() const
{
    QStringList lines = m_problems.values();
    if (!m_loaded.isEmpty())
        lines.prepend(m_loaded);
    return lines.join(QLatin1Char('\n'));
}

void EventsPage::loadRecent()
{
    const QString folder = m_recordingsFolder();
    const QStringList names = QDir(folder).entryList({ QStringLiteral("events-pack*.csv") },
                                                     QDir::Files | QDir::Readable, QDir::Name);
    static const QRegularExpression packFile(QStringLiteral("^events-pack\\d{2}\\.csv$"));
    QVector<PackEvent> events;
    for (const QString &name : names) {
        if (!packFile.match(name).hasMatch())
            continue;
        const QString path = QDir(folder).filePath(name);
        const EventFile::ReadBack read = EventFile::read(path, LoadedAtStart);
        if (!read.error.isEmpty()) {
            sayOnce(QStringLiteral("read:") + path,
                    tr("%1 无法读取：%2").arg(QDir::toNativeSeparators(path), read.error));
            continue;
        }
        events += read.events;
    }
    // The newest of every pack's together.
    std::stable_sort(events.begin(), events.end(),
                     [](const PackEvent &a, const PackEvent &b) { return a.startMs < b.startMs; });
    if (events.size() > LoadedAtStart)
        events.remove(0, events.size() - LoadedAtStart);
    // Beside the changes taken before loading.
    m_live->addEvents(events);
    showTabText();
    if (m_shown)
        fillPackFilter();
}

void EventsPage::openFile()
{
    const QString path = FileDialogs::getRecordingFileName(m_page->window(), m_recordingsFolder());
    if (!path.isEmpty())
        openFile(path);
}

bool EventsPage::openFile(const QString &path)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const EventFile::ReadBack read = EventFile::read(path, EventsModel::MaxEvents);
    QApplication::restoreOverrideCursor();
    if (!read.error.isEmpty()) {
        // Said until another file is opened; what is shown stays.
        m_problems.remove(QStringLiteral("open"));
        sayOnce(QStringLiteral("open"),
                tr("%1 未打开：%2").arg(QDir::toNativeSeparators(path), read.error));
        return false;
    }
    m_problems.remove(QStringLiteral("open"));
    m_note->setText(note());
    m_note->setVisible(!m_note->text().isEmpty());
    auto opened = std::make_unique<EventsModel>(m_now);
    opened->setEvents(read.events);
    opened->setFilter(m_live->filter());
    m_openedFile = path;
    setShownModel(opened.get());
    m_opened = std::move(opened);
    m_liveButton->setEnabled(true);
    fillPackFilter();
    showSource();
    return true;
}
