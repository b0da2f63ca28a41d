#!/usr/bin/env bash
# Makes docs/main-window.png from the real program: a local copy of the site
# is started with `vtool site`, the program is started in a virtual X server
# with that site as its server, the Start button is clicked, and once the
# search has ended the screen is captured. Nothing leaves the machine, and
# the user's own settings and files are not touched (both live in a
# temporary folder).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${VELMORA_BUILD_DIR:-$root/build}"
out="${1:-$root/docs/main-window.png}"

need=()
for p in xvfb xdotool imagemagick; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || need+=("$p")
done
if ((${#need[@]})); then
  sudo=""; [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${need[@]}"
fi
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo ${VELMORA_CMAKE_ARGS:-} >/dev/null
cmake --build "$build" --target velmora vtool

tmp="$(mktemp -d)"
site_pid=""
cleanup() { [ -n "$site_pid" ] && kill "$site_pid" 2>/dev/null; rm -rf "$tmp"; }
trap cleanup EXIT
export XDG_CONFIG_HOME="$tmp/config" XDG_DATA_HOME="$tmp/data" XDG_RUNTIME_DIR="$tmp/run"
mkdir -p "$XDG_CONFIG_HOME/Corvane/Tessel" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
"$build/tools/vtool/vtool" site --port "$port" --members 60 --delay 20 >/dev/null &
site_pid=$!
# The settings as the program keeps them: the site as server, three pages.
cat > "$XDG_CONFIG_HOME/Corvane/Tessel/registry.xml" <<XML
<registry><key name="Software"><key name="Corvane"><key name="Tessel">
<value name="FinderServer" type="string" data="127.0.0.1:$port"/>
<value name="PageCount" type="integer" data="3"/>
<value name="s_l" type="string" data="F"/>
</key></key></key></registry>
XML

xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
  "$0" & app=$!
  for i in $(seq 50); do wid=$(xdotool search --name "^Velmora$" 2>/dev/null | head -1); [ -n "$wid" ] && break; sleep 0.2; done
  xdotool windowsize "$wid" 1120 660
  sleep 1.5
  # The first tool button is Start.
  xdotool mousemove --window "$wid" 14 40 click 1
  sleep 6
  # The completion message is answered, then the hits are on screen.
  xdotool key Return
  sleep 1
  # ">>" under the found list adds every hit to the favourites.
  xdotool mousemove --window "$wid" 385 608 click 1
  sleep 1.5
  import -window "$wid" "$1"
  kill $app
' "$build/src/app/velmora" "$out"
echo "wrote $out"
