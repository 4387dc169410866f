#!/bin/sh
# Runs a command inside a private Wayland session: a headless weston (software renderer, so
# screenshots can be taken, and --debug, which lets weston-screenshooter take them) on a
# socket of its own in a fresh runtime folder, with QT_QPA_PLATFORM=wayland and no X display,
# so nothing can fall back to X11. Weston stops with the command; the command's status is
# the script's.
#
# usage: weston_session.sh COMMAND [ARGUMENT...]
set -eu
runtime=$(mktemp -d)
chmod 700 "$runtime"
weston_pid=
cleanup() {
    [ -n "$weston_pid" ] && kill "$weston_pid" 2>/dev/null && wait "$weston_pid" 2>/dev/null
    rm -rf "$runtime"
}
trap cleanup EXIT
socket="tv-wayland-$$"
XDG_RUNTIME_DIR="$runtime" weston --backend=headless-backend.so --use-pixman --debug \
    --socket="$socket" --width=1280 --height=800 --idle-time=0 \
    --log="$runtime/weston.log" > /dev/null 2>&1 &
weston_pid=$!
i=0
until [ -S "$runtime/$socket" ]; do
    kill -0 "$weston_pid" 2>/dev/null || { cat "$runtime/weston.log"; echo "FAIL: weston ended"; exit 1; }
    i=$((i + 1))
    [ "$i" -le 100 ] || { echo "FAIL: weston did not open its socket in 10 s"; exit 1; }
    sleep 0.1
done
unset DISPLAY
export XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY="$socket" QT_QPA_PLATFORM=wayland
status=0
"$@" || status=$?
exit "$status"
