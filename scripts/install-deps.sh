#!/usr/bin/env bash
# Installs the Debian packages needed to build, test and run the Arvex host tool.
# Idempotent: when everything is present it only checks and exits.
set -euo pipefail

packages=(
    cmake g++ make pkg-config
    qtbase5-dev qtbase5-dev-tools
    libqt5serialport5-dev libqt5charts5-dev
    qttools5-dev qttools5-dev-tools
    libudev-dev
    # the logger's MQTT client, and a real broker with its command-line clients for its tests
    libmosquitto-dev mosquitto mosquitto-clients
    # the logger's metrics endpoint (Prometheus's C++ client), and a real Prometheus with its
    # promtool for its tests
    prometheus-cpp-dev prometheus
    # a private session bus and a real notification service for the desktop notifications' tests
    # (dunst runs on the virtual display; dunstctl clicks its notifications)
    dbus dunst
    libbenchmark-dev
    clang libclang-rt-14-dev
    socat xvfb xauth imagemagick
    fonts-noto-cjk fonts-dejavu-core
    # Qt's own texts (file dialogs, OK, Cancel) in Chinese and German
    qttranslations5-l10n
    # the install test (desktop-file-validate) and the package (dpkg-shlibdeps, file)
    desktop-file-utils dpkg-dev file
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "install-deps: installing ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then
    SUDO="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"

# Prometheus is here for the tests, which start their own on a free port: the system service its
# package enables would hold port 9090 and keep a database for nothing. Only one installed just
# now is stopped; a Prometheus the machine already ran is left alone.
for p in "${missing[@]}"; do
    if [ "$p" = prometheus ] && [ -d /run/systemd/system ]; then
        $SUDO systemctl disable --now prometheus.service > /dev/null 2>&1 || true
    fi
done
