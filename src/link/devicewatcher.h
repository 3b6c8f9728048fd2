#pragma once

#include <QObject>
#include <QStringList>

class QSocketNotifier;
class QTimer;
struct udev;
struct udev_monitor;

// Tells the window when a serial device comes or goes, so it can refresh its port list or notice
// that the open port has vanished. Only the kind of change is reported; the window looks at the
// ports itself.
//
// Ports are watched through the udev monitor when the udev daemon runs, otherwise by comparing
// the kernel's tty devices (/sys/class/tty) at a fixed period. The paths named in ARVEX_EXTRA_PORTS
// (":"-separated) are always compared by period: pseudo-terminals, such as the simulated board's,
// never show up in udev or in the port list.
class DeviceWatcher : public QObject
{
    Q_OBJECT
public:
    enum class Backend { Auto, Polling }; // Auto: udev when the udev daemon runs, else polling

    explicit DeviceWatcher(QObject *parent = nullptr, Backend backend = Backend::Auto);
    ~DeviceWatcher() override;

    bool usesUdev() const { return m_monitor != nullptr; }
    // Period of the comparisons, 1000 ms by default. Values below 1 ms are ignored.
    void setPollInterval(int ms);

signals:
    void deviceArrived();
    void deviceRemoved();

private:
    bool startUdev();
    void stopUdev();
    void readUdev();
    QStringList snapshot() const;
    void compare();

    udev *m_udev = nullptr;
    udev_monitor *m_monitor = nullptr;
    QSocketNotifier *m_notifier = nullptr;
    QTimer *m_timer = nullptr;
    QStringList m_extraPorts; // as configured, read once at start
    QStringList m_present; // sorted, no duplicates
};
