#!/usr/bin/env bash
# Makes the README's screenshots from the real programs under Xvfb: the launcher with three sessions,
# a session's setup panel, the package manager after an install, the export and import file dialogs, the
# launcher at scale factor 2 (QT_SCALE_FACTOR=2), and the simulator's web page.
# Usage: scripts/screenshots.sh [build-dir]   (needs xvfb, xdotool, imagemagick, chromium)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$root/build}" && pwd)"
docs="$root/docs"
work="$(mktemp -d)"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

export HOME="$work/home" TMPDIR="$work/tmp" XDG_DATA_HOME="$work/home/.local/share"
mkdir -p "$HOME" "$TMPDIR"
content="$build/update-server-content/~ftp-xml/tarvo4ksimulator/Linux"

# A copy of the launcher with two packages installed beside it (packages live beside the executable).
app="$work/app"
mkdir -p "$app"
cp "$build/mng_launcher/Tarvo4kSimulator" "$app/"
for v in 3_1_51 3_2_0; do unzip -q -o "$content/TARVO_$v.zip" -d "$app"; done

# Three saved sessions, written as the launcher writes them.
root_sessions="$XDG_DATA_HOME/VORNTAL/Tarvo_Simulator"
write_session() { # folder name port device-code version audio description
  local folder="$root_sessions/$1"
  mkdir -p "$folder/tmp"
  cp -r "$app/TARVO_${5//./_}/ressources/." "$folder/"
  cat > "$folder/settings.ini" <<INI
[General]
DEVICE_TYPE=$4
PORT=$3
VERSION=$5
NAME=$2
ZRJ_INT_PORT=10506
ZRJ_EXT_PORT=10606
ZRP_INT_PORT=10500
KB700S_PORT=10691
DESCRIPTION="$7"

[MOTHERBOARD]
PLUGGED=1
TYPE=0
SLOT=0

[FAV]
PLUGGED=1
TYPE=0
SLOT=0

[GENLOCK]
PLUGGED=1
TYPE=0
SLOT=0

[MEZZA_SDI_IN]
PLUGGED=1
TYPE=0
SLOT=0

[MEZZA_RJ45_IN]
PLUGGED=0
TYPE=0
SLOT=0

[MEZZA_RJ45_OUT]
PLUGGED=0
TYPE=0
SLOT=0

[MEZZA_AUDIO]
PLUGGED=$6
TYPE=0
SLOT=0

[OPT_VIDEO_OPTION_1]
PLUGGED=0
TYPE=0
SLOT=0

[OPT_VIDEO_OPTION_2]
PLUGGED=0
TYPE=0
SLOT=0
INI
}
write_session Tarvo2026_12_01_09_15_00 "Studio A" 3000 1 3.2.0 1 "Main studio router, SDI in, audio embedded."
write_session Tarvo2026_12_02_10_30_00 "Control room" 3010 4 3.1.51 0 "Multiviewer for the control room wall."
write_session Tarvo2026_12_03_11_45_00 "Outside broadcast" 3020 3 3.2.0 0 "Truck 2 uplink encoder."

# The update server's newer launcher counts as announced, so that no box covers the window.
printf '[General]\nTARVO_LAST_VERSION_CHECKED=1.6.0\n' > "$root_sessions/tarvoversionsconfig"

# The local update server on any free port; the launcher is told its address.
"$build/tools/update-server/tarvo-update-server" --port 0 > "$work/server.log" 2>&1 &
pids+=($!)
for _ in $(seq 50); do grep -q serving "$work/server.log" && break; sleep 0.1; done
server="$(grep -o 'http://127\.0\.0\.1:[0-9]*' "$work/server.log" | head -n 1)"

export DISPLAY=:97
Xvfb "$DISPLAY" -screen 0 1600x1000x24 -nolisten tcp > /dev/null 2>&1 &
pids+=($!)
sleep 1
"$app/Tarvo4kSimulator" --update-server "$server" --trusted-key "$root/tools/update-server/test-key/tarvo-update-server-test.pub" > "$work/launcher.log" 2>&1 &
launcher=$!
pids+=($launcher)
window="$(xdotool search --sync --onlyvisible --name 'Tarvo 4k Simulator v1.5.3' | head -n 1)"
xdotool windowsize "$window" 1400 820 windowmove "$window" 0 0
sleep 3

shot() { xdotool mousemove 1590 990; sleep 0.5; import -window "$1" "$2"; echo "wrote $2"; }
click() { xdotool mousemove --window "$window" "$1" "$2" click 1; sleep 0.7; }

# The main window with the first card selected, then the setup panel of the second one.
click 150 120
shot "$window" "$docs/main-window.png"
click 150 290
shot "$window" "$docs/setup-panel.png"

# File > Package manager; tick the third package (3.10.1) and apply.
xdotool windowfocus --sync "$window"
xdotool key alt+f
sleep 0.5
xdotool mousemove 300 112 click 1
dialog="$(timeout 20 xdotool search --sync --onlyvisible --name '^Package manager$' | head -n 1)"
sleep 1
geometry="$(xdotool getwindowgeometry "$dialog" | tail -n 1)"
echo "package manager: $geometry"

xdotool mousemove --window "$dialog" 18 131 click 1
sleep 0.3

xdotool mousemove --window "$dialog" 320 169 click 1
sleep 1.5
shot "$dialog" "$docs/package-manager.png"

# File > Export Session Files and File > Import Session Files: Qt's own file dialog in the launcher's
# look, centred over the launcher (shot with the launcher around it).
"$build/tests/e2e_single_instance/x11_close_window" "$dialog" || true
sleep 0.5
click 150 120
file_dialog() { # <entries down> <dialog title> <png>
  xdotool windowfocus --sync "$window"
  xdotool key alt+f
  sleep 0.5
  for _ in $(seq "$1"); do xdotool key Down; done
  xdotool key Return
  timeout 20 xdotool search --sync --onlyvisible --name "^$2\$" > /dev/null
  sleep 1
  xdotool mousemove 1590 990
  sleep 0.3
  import -window root -crop 1400x820+0+0 "$3"
  echo "wrote $3"
  xdotool key Escape
  sleep 0.5
}
file_dialog 1 "Export session" "$docs/export-dialog.png"
file_dialog 0 "Import session" "$docs/import-dialog.png"

# The same launcher at scale factor 2, as on a high-density screen: logos, LEDs and icons as sharp as the
# text. A second display large enough for the window's minimum size at twice the scale.
kill "$launcher" 2>/dev/null || true
wait "$launcher" 2>/dev/null || true
export DISPLAY=:96
Xvfb "$DISPLAY" -screen 0 2800x1500x24 -nolisten tcp > /dev/null 2>&1 &
pids+=($!)
sleep 1
QT_SCALE_FACTOR=2 "$app/Tarvo4kSimulator" --update-server "$server" --trusted-key "$root/tools/update-server/test-key/tarvo-update-server-test.pub" > "$work/launcher-scale2.log" 2>&1 &
pids+=($!)
window="$(xdotool search --sync --onlyvisible --name 'Tarvo 4k Simulator v1.5.3' | head -n 1)"
xdotool windowmove "$window" 0 0
sleep 3
click 300 240
shot "$window" "$docs/main-window-scale2.png"

# The web page of a running simulator, in headless Chromium.
session="$root_sessions/Tarvo2026_12_01_09_15_00"
"$app/TARVO_3_2_0/bin/ZR_APP_SIMULATOR" "$session" > "$work/simulator.log" 2>&1 &
pids+=($!)
for _ in $(seq 50); do curl -sf http://127.0.0.1:3000/api/status > /dev/null && break; sleep 0.1; done
chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run --disable-background-networking \
  --disable-component-update --disable-sync --user-data-dir="$work/chromium" --hide-scrollbars \
  --window-size=1280,860 --virtual-time-budget=3000 --screenshot="$docs/simulator-page.png" \
  http://127.0.0.1:3000/ > /dev/null 2>&1
echo "wrote $docs/simulator-page.png"
