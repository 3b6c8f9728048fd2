#!/usr/bin/env bash
# Installs the built tree into a temporary prefix and checks it as a user of the installed
# program would see it: the programs, the language files, the menu entry and the icons, the
# logger's systemd unit, and that the program started from another folder finds its German
# translation.
#   check-install.sh <build folder>
set -euo pipefail
build=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
tmp=$(cd "$tmp" && pwd -P) # the program names its folder without links
prefix=$tmp/prefix

cmake --install "$build" --prefix "$prefix" > /dev/null

status=0
fail() {
    echo "FAIL: $*" >&2
    status=1
}

for file in bin/arvex bin/arvex-board-sim bin/arvex-logger lib/systemd/system/arvex-logger.service \
    etc/arvex/logger.conf share/arvex/grafana/arvex-dashboard.json \
    share/arvex/translations/KORVA_Lang.qm share/arvex/translations/KORVA_Lang_de.qm \
    share/arvex/translations/KORVA_Lang_zh.qm share/applications/arvex.desktop; do
    [ -s "$prefix/$file" ] || fail "$file is not installed"
done
for size in 48 256; do
    icon=$prefix/share/icons/hicolor/${size}x${size}/apps/arvex.png
    file -b "$icon" | grep -q "^PNG image data, $size x $size," || fail "no $size px icon: $icon"
done

desktop=$prefix/share/applications/arvex.desktop
desktop-file-validate "$desktop" || fail "arvex.desktop does not validate"
grep -qx 'Icon=arvex' "$desktop" || fail "the menu entry names another icon"
command=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
[ -x "$prefix/bin/$command" ] || fail "the menu entry runs '$command', which is not installed"

# The logger's unit as systemd reads it (the installed program in place of /usr/bin's): no
# warning, and the password passed as a credential the dynamic user can read.
unit=$prefix/lib/systemd/system/arvex-logger.service
grep -qx 'LoadCredential=mqtt-password:/etc/arvex/mqtt-password' "$unit" \
    || fail "the unit does not pass the MQTT password as a credential"
if command -v systemd-analyze > /dev/null; then
    sed "s|/usr/bin/arvex-logger|$prefix/bin/arvex-logger|" "$unit" > "$tmp/arvex-logger.service"
    if ! said=$(systemd-analyze verify "$tmp/arvex-logger.service" 2>&1) || [ -n "$said" ]; then
        fail "systemd-analyze verify: $said"
    fi
else
    echo "systemd-analyze is not installed: the unit is not verified" >&2
fi

# Started as the menu starts it: from the home folder, nowhere near its language files.
mkdir -p "$tmp/home"
log=$tmp/arvex.log
if ! (cd "$tmp/home" && QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME="$tmp/config" \
    ARVEX_SCREENSHOT="$tmp/shot.png" \
    timeout 60 "$prefix/bin/$command" --lang de > "$log" 2>&1); then
    cat "$log" >&2
    fail "the installed program did not start and end cleanly"
fi
grep -qF "translation $prefix/share/arvex/translations/KORVA_Lang_de.qm" "$log" \
    || { cat "$log" >&2; fail "the installed program did not find its German translation"; }
[ -s "$tmp/shot.png" ] || fail "the installed program showed no window"
exit $status
