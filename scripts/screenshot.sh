#!/usr/bin/env bash
# Pictures every window of the program on a 1366x768 screen, into docs/
# (or the folder given): a local copy of the site is started with
# `vtool site`, and `screens` starts the program as a user does, with that
# site as its server and some favourites, and walks it through its pages,
# dialogs and message boxes (tools/screens/main.cpp), saving the whole
# screen at each stop as window-NN-name.png. docs/main-window.png is the
# main window with the hits of a search. Nothing leaves the machine, and the
# user's own settings and files are not touched (both live in a temporary
# folder).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${VELMORA_BUILD_DIR:-$root/build}"
out="$(realpath -m "${1:-$root/docs}")"
mkdir -p "$out"

need=()
for p in xvfb xauth; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || need+=("$p")
done
if ((${#need[@]})); then
  sudo=""; [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${need[@]}"
fi
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo ${VELMORA_CMAKE_ARGS:-} >/dev/null
cmake --build "$build" --target screens vtool

tmp="$(mktemp -d)"
site_pid=""
cleanup() { [ -n "$site_pid" ] && kill "$site_pid" 2>/dev/null; rm -rf "$tmp"; }
trap cleanup EXIT
export XDG_CONFIG_HOME="$tmp/config" XDG_DATA_HOME="$tmp/data" XDG_RUNTIME_DIR="$tmp/run"
data="$XDG_DATA_HOME/Corvane/Tessel"
mkdir -p "$XDG_CONFIG_HOME/Corvane/Tessel" "$XDG_RUNTIME_DIR" "$data"
chmod 700 "$XDG_RUNTIME_DIR"

port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
"$build/tools/vtool/vtool" site --port "$port" --members 60 --delay 20 >/dev/null &
site_pid=$!
# The settings as the program keeps them: the site as server, three pages,
# a region with a long name.
cat > "$XDG_CONFIG_HOME/Corvane/Tessel/registry.xml" <<XML
<registry><key name="Software"><key name="Corvane"><key name="Tessel">
<value name="FinderServer" type="string" data="127.0.0.1:$port"/>
<value name="PageCount" type="integer" data="3"/>
<value name="s_l" type="string" data="F"/>
<value name="s_f" type="string" data="20"/>
<value name="s_t" type="string" data="35"/>
<value name="id_Country" type="string" data="3159"/>
<value name="Country" type="string" data="Россия"/>
<value name="id_Region" type="string" data="3159_4312"/>
<value name="Region" type="string" data="Москва и Московская область"/>
</key></key></key></registry>
XML
# Sixty favourites: two pages of cards, names and areas of every length.
python3 - "$data/Friends.xml" "$port" <<'PY'
import sys
names = ["Анна", "Алексей", "Екатерина", "Ёлка", "Мария-Александра", "Юрий", "Елена", "Ольга", "Константин", "Ирина"]
areas = ["Москва", "Санкт-Петербург", "Москва и Московская область", "Новосибирск", "Ростов-на-Дону", ""]
rows = []
for i in range(60):
    rows.append(f"""<Friend><Name>{names[i % len(names)]}</Name><Login>member{i}</Login>
<URL>http://127.0.0.1:{sys.argv[2]}/member{i}/</URL><Area>{areas[i % len(areas)]}</Area><Age>{20 + i % 30}</Age>
<RealUser>{i % 2}</RealUser><VipUser>{i % 3 == 0 and 1 or 0}</VipUser><PhotoCount>{i % 7}</PhotoCount>
<VideoCount>{i % 4}</VideoCount><Intim>0</Intim><AgeRange>18-30</AgeRange><NewMessage>0</NewMessage></Friend>""")
open(sys.argv[1], "w", encoding="utf-8").write('<?xml version="1.0" encoding="UTF-8"?>\n<Friends>' + "".join(rows) + "</Friends>\n")
PY

xvfb-run -a -s "-screen 0 1366x768x24" "$build/tools/screens/screens" "$out"
cp "$out/$(cd "$out" && ls window-*-main-found-list.png | head -1)" "$out/main-window.png"
echo "pictures in $out"
