# Waits of the whole-player tests, sourced by them (POSIX sh): every wait polls for the
# condition it expects and gives up after a time limit, saying what it waited for.

# wait_for SECONDS WHAT COMMAND...: runs COMMAND every 50 ms until it succeeds; fails with
# "FAIL: timed out after SECONDS s waiting for WHAT" when it has not within SECONDS.
wait_for() {
    _wait_tries=$(awk -v s="$1" 'BEGIN { print int(s * 20) + 1 }')
    _wait_what=$2
    _wait_limit=$1
    shift 2
    while ! "$@"; do
        _wait_tries=$((_wait_tries - 1))
        if [ "$_wait_tries" -le 0 ]; then
            echo "FAIL: timed out after $_wait_limit s waiting for $_wait_what" >&2
            return 1
        fi
        sleep 0.05
    done
}

# file_reaches FILE BYTES: FILE exists and holds at least BYTES bytes.
file_reaches() {
    [ "$(stat -c %s "$1" 2>/dev/null || echo 0)" -ge "$2" ]
}

# player_answers RUNTIME_DIR: a player answers connections on its socket in RUNTIME_DIR (the
# XDG_RUNTIME_DIR it was started with). It listens once its window is shown and its playlist
# loaded; a termination signal from then on closes it in order.
player_answers() {
    python3 - "$1" <<'PY'
import glob, socket, sys
for path in glob.glob(sys.argv[1] + "/torvanell-*.sock"):
    try:
        s = socket.socket(socket.AF_UNIX)
        s.connect(path)
        s.close()
        sys.exit(0)
    except OSError:
        pass
sys.exit(1)
PY
}

# process_gone PID: the process has ended (it may still wait to be reaped).
process_gone() {
    ! kill -0 "$1" 2>/dev/null || [ "$(ps -o stat= -p "$1" 2>/dev/null | cut -c1)" = Z ]
}

# stop_player PID [SIGNAL] [SECONDS]: sends SIGNAL (TERM) and waits up to SECONDS (30) for the
# player to end; fails unless it ended with exit status 0.
stop_player() {
    kill -"${2:-TERM}" "$1"
    wait_for "${3:-30}" "the player to end after SIG${2:-TERM}" process_gone "$1" || {
        kill -KILL "$1" 2>/dev/null
        return 1
    }
    _stop_status=0
    wait "$1" || _stop_status=$?
    if [ "$_stop_status" != 0 ]; then
        echo "FAIL: the player ended with exit status $_stop_status" >&2
        return 1
    fi
}
