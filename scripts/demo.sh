#!/usr/bin/env bash
# Runs Cirrolith on the demo catalogue: starts the reference catalogue server
# on 127.0.0.1:8473 (or $CIRROLITH_DEMO_PORT), runs the program on it, and
# stops the server when the program, and the one a Cleanup Config. restarts,
# have ended.
#
#   [CIRROLITH_DEMO_PORT=N] scripts/demo.sh BUILD_DIR [WORD...]
#
# Extra words (for example DEBUG_CODE) are added to the program's command line.
set -u
port=${CIRROLITH_DEMO_PORT:-8473}
case $port in
    ''|*[!0-9]*) echo "demo: the port must be a number, not '$port'" >&2; exit 2 ;;
esac

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

# Without a screen Qt would abort; say how to get one instead.
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "demo: no display (neither DISPLAY nor WAYLAND_DISPLAY is set)." >&2
    echo "demo: run it on your desktop's screen, e.g. DISPLAY=:0 make demo, or on a virtual one" >&2
    echo "demo: (Debian packages xvfb and xauth):" >&2
    echo "demo:   xvfb-run -a -s '-screen 0 1920x1080x24' make demo" >&2
    exit 2
fi

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
# The demo pictures are addressed on 8473; another port gets a copy that
# points at it.
if [ "$port" != 8473 ]; then
    sed "s#127\.0\.0\.1:8473#127.0.0.1:$port#g" "$catalogue" > "$build/demo/catalogue-$port.txt"
    catalogue=$build/demo/catalogue-$port.txt
fi
: > "$out"
"$server" --catalogue "$catalogue" --webroot "$webroot" --port "$port" --log "$log" > "$out" 2>> "$log" &
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
# LOCALHOST means port 8473; any other port goes by the address variable.
words=""
if [ "$port" = 8473 ]; then
    words="-LOCALHOST"
else
    export CIRROLITH_CATALOGUE_URL="http://127.0.0.1:$port/public/catalogue?"
fi
for w in "$@"; do
    words="$words-$w"
done
# The program and whatever it starts again (Cleanup Config. restarts it)
# inherit a shared lock on this file; the server stays until the last of
# them has ended.
lock=$build/demo/program.lock
: > "$lock"
exec 9< "$lock"
flock -s 9
if [ -n "$words" ]; then
    "$program" "$words"
else
    "$program"
fi
status=$?
exec 9<&-
if ! flock -n "$lock" true; then
    echo "demo: the program was started again; the server stays until it ends"
    flock "$lock" true
fi
exit $status
