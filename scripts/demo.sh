#!/usr/bin/env bash
# Runs Cirrolith on the demo catalogue: starts the reference catalogue server
# on 127.0.0.1:8473, runs the program with the word LOCALHOST, and stops the
# server when the program exits.
#
#   scripts/demo.sh BUILD_DIR [WORD...]
#
# Extra words (for example DEBUG_CODE) are added to the program's command line.
set -u

build_arg=${1:-build}
shift || true
if [ ! -d "$build_arg" ]; then
    echo "demo: no build directory $build_arg" >&2
    exit 2
fi
build=$(cd "$build_arg" && pwd)
source_dir=$(cd "$(dirname "$0")/.." && pwd)

server=$build/bin/cirrolith-catalogue-server
program=$build/portable/App/Cirrolith/cirrolith
webroot=$build/demo/webroot
catalogue=$source_dir/server/demo/catalogue.txt
log=$build/demo/server.log
out=$build/demo/server.out

for need in "$server" "$program"; do
    if [ ! -x "$need" ]; then
        echo "demo: $need is missing; build first (make build)" >&2
        exit 2
    fi
done
if [ ! -f "$webroot/currentversion.html" ]; then
    echo "demo: the demo web root $webroot is missing; build first" >&2
    exit 2
fi

mkdir -p "$build/demo"
: > "$out"
"$server" --catalogue "$catalogue" --webroot "$webroot" --port 8473 --log "$log" > "$out" 2>> "$log" &
server_pid=$!

stop_server() {
    if kill -0 "$server_pid" 2> /dev/null; then
        kill "$server_pid"
        wait "$server_pid" 2> /dev/null
    fi
}
trap stop_server EXIT
trap 'exit 130' INT TERM

# Wait for the server to say it listens; it exits at once when the port is taken.
for _ in $(seq 50); do
    grep -q '^listening on ' "$out" && break
    if ! kill -0 "$server_pid" 2> /dev/null; then
        echo "demo: the catalogue server did not start; see $log" >&2
        tail -n 5 "$log" >&2
        exit 1
    fi
    sleep 0.1
done
if ! grep -q '^listening on ' "$out"; then
    echo "demo: the catalogue server did not answer in time; see $log" >&2
    exit 1
fi
echo "demo: catalogue server $(cat "$out"), log in $log"

# As root the program turns the web engine's sandbox off itself.
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "demo: no display found (DISPLAY is not set); the program may not start" >&2
fi

# A fresh demo shows every kind of picture: besides the first run's four, the
# forecast page, the home-town page and the satellite series (catalogue
# positions 32..34, ids 40..42). Settings the user already has are kept.
work="$build/portable/Data/Cirrolith_Work"
mkdir -p "$work"
if [ ! -e "$work/Cirrolith4_Config.dat" ] && [ ! -e "$work/Cirrolith4_Picture_List.dat" ]; then
    printf '15\r\n4\r\nFull_Screen\r\n\r\n\r\n' > "$work/Cirrolith4_Config.dat"
    printf '0\r\n14\r\n1\r\n1\r\n2\r\n5\r\n3\r\n20\r\n32\r\n40\r\n33\r\n41\r\n34\r\n42\r\n\r\n\r\n' \
        > "$work/Cirrolith4_Picture_List.dat"
    echo "demo: a first demo selection with the web pages and the picture series"
fi

echo "demo: Escape or Ctrl+Q saves and quits, F1 is help; settings in $build/portable/Data/Cirrolith_Work"
words="-LOCALHOST"
for w in "$@"; do
    words="$words-$w"
done
"$program" "$words"
status=$?
exit $status
