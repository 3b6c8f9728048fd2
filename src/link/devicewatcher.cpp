#include "devicewatcher.h"

#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>

#include <libudev.h>

#include <algorithm>
#include <cstring>

namespace {

// Present only while the udev daemon runs (systemd checks the same file). Without the daemon,
// as in containers and CI, a monitor on the "udev" group is silent forever.
constexpr char UdevControl[] = "/run/udev/control";
constexpr char TtyClass[] = "/sys/class/tty";

QStringList extraPortsFromEnvironment()
{
    QStringList paths;
    const QStringList parts = qEnvironmentVariable("ARVEX_EXTRA_PORTS").split(QLatin1Char(':'));
    for (const QString &part : parts) {
        const QString path = part.trimmed();
        if (!path.isEmpty())
            paths << path;
    }
    return paths;
}

} // namespace

DeviceWatcher::DeviceWatcher(QObject *parent, Backend backend)
    : QObject(parent)
    , m_extraPorts(extraPortsFromEnvironment())
{
    if (backend == Backend::Auto && QFileInfo::exists(QLatin1String(UdevControl)))
        startUdev();

    // Under udev only the extra paths need the timer; with none configured it never runs.
    if (!usesUdev() || !m_extraPorts.isEmpty()) {
        m_timer = new QTimer(this);
        m_timer->setInterval(1000);
        connect(m_timer, &QTimer::timeout, this, &DeviceWatcher::compare);
        m_timer->start();
    }
    // What is there at start is not news.
    m_present = snapshot();
}

DeviceWatcher::~DeviceWatcher()
{
    stopUdev();
}

void DeviceWatcher::setPollInterval(int ms)
{
    if (ms < 1)
        return; // a zero period would compare in a busy loop
    if (m_timer)
        m_timer->setInterval(ms);
}

bool DeviceWatcher::startUdev()
{
    m_udev = udev_new();
    if (m_udev)
        m_monitor = udev_monitor_new_from_netlink(m_udev, "udev");
    if (!m_monitor || udev_monitor_filter_add_match_subsystem_devtype(m_monitor, "tty", nullptr) < 0
        || udev_monitor_enable_receiving(m_monitor) < 0) {
        stopUdev(); // polling takes over
        return false;
    }
    m_notifier = new QSocketNotifier(udev_monitor_get_fd(m_monitor), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &DeviceWatcher::readUdev);
    return true;
}

void DeviceWatcher::stopUdev()
{
    // The notifier watches the monitor's socket, so it goes first.
    delete m_notifier;
    m_notifier = nullptr;
    if (m_monitor)
        udev_monitor_unref(m_monitor);
    m_monitor = nullptr;
    if (m_udev)
        udev_unref(m_udev);
    m_udev = nullptr;
}

void DeviceWatcher::readUdev()
{
    // One device per activation: the socket is non-blocking and the notifier fires again while
    // more are queued. A null device (a message the filter dropped) is simply nothing to report.
    udev_device *device = udev_monitor_receive_device(m_monitor);
    if (!device)
        return;
    const char *action = udev_device_get_action(device);
    const bool added = action && std::strcmp(action, "add") == 0;
    const bool removed = action && std::strcmp(action, "remove") == 0;
    udev_device_unref(device);
    // Emitted last: a slot may delete this watcher.
    if (added)
        emit deviceArrived();
    else if (removed)
        emit deviceRemoved();
}

QStringList DeviceWatcher::snapshot() const
{
    QStringList paths;
    if (!usesUdev()) {
        // Every tty device of the kernel has an entry here; listing the folder is one system
        // call, where the serial-port library opens a dozen files per device (about 10 ms a
        // look, too much once a second). Any change is announced and the window then asks the
        // library which ports there are.
        const QStringList devices =
            QDir(QLatin1String(TtyClass))
                .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
        for (const QString &device : devices)
            paths << QLatin1String(TtyClass) + QLatin1Char('/') + device;
    }
    // exists() follows symbolic links, so a link left pointing at a closed pseudo-terminal
    // counts as gone.
    for (const QString &path : m_extraPorts) {
        if (QFileInfo::exists(path))
            paths << path;
    }
    paths.sort();
    paths.removeDuplicates();
    return paths;
}

void DeviceWatcher::compare()
{
    QStringList now = snapshot();
    if (now == m_present)
        return;
    // Both lists are sorted: a path is gone if the new list does not include the old one, and
    // new if the old list does not include the new one.
    const bool removed =
        !std::includes(now.cbegin(), now.cend(), m_present.cbegin(), m_present.cend());
    const bool arrived =
        !std::includes(m_present.cbegin(), m_present.cend(), now.cbegin(), now.cend());
    m_present.swap(now);
    // Removal first, so the window closes a vanished port before it rebuilds the list. A slot
    // of the first signal may delete this watcher.
    const QPointer<DeviceWatcher> alive(this);
    if (removed)
        emit deviceRemoved();
    if (alive && arrived)
        emit deviceArrived();
}
