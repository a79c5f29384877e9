# Shared by the real-window scripts (sourced): the tools they need, failure
# counting, polling, the window's geometry and its twips scale.

# Exits 77 (skipped) when one of the named tools is missing.
require_tools() {
    for tool in "$@"; do
        if ! command -v "$tool" >/dev/null; then
            echo "SKIP: $tool is not installed (bash tools/install-deps.sh installs it)"
            exit 77
        fi
    done
}

# The program's diagnostics: its logging categories zorvandine.* switched on,
# on standard error (also when that is a file), one line each as the program
# words it. The scripts send the program's standard error to their log.
export QT_LOGGING_RULES="zorvandine.*=true"
export QT_MESSAGE_PATTERN="%{message}"
export QT_FORCE_STDERR_LOGGING=1

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# Starts Xvfb on a display it picks itself (probing numbers by hand races other
# X servers) and exports DISPLAY; xvfb_pid is its process. Without -noreset the
# server resets whenever its last client leaves, and a program started at that
# moment cannot connect.
start_xvfb() { # output folder
    rm -f "$1/display"
    Xvfb -displayfd 3 -noreset -screen 0 1280x1024x24 -nolisten tcp 3>"$1/display" \
        >"$1/xvfb.log" 2>&1 &
    xvfb_pid=$!
    local n=""
    for _ in $(seq 1 100); do
        n=$(sed -n '1{/^[0-9][0-9]*$/p}' "$1/display" 2>/dev/null)
        [ -n "$n" ] && break
        kill -0 "$xvfb_pid" 2>/dev/null || break
        sleep 0.1
    done
    if [ -z "$n" ]; then
        echo "FAIL: no X server could be started"
        cat "$1/xvfb.log"
        exit 1
    fi
    export DISPLAY=":$n"
}

# Polls a shell condition for up to 10 seconds: the X server and the program
# answer at their own pace when the machine is busy.
eventually() {
    for _ in $(seq 1 100); do
        eval "$1" && return 0
        sleep 0.1
    done
    return 1
}

# Waits for the program (app_pid) to show its main window and sets window;
# settings message boxes on the way are answered with Enter, and boxes_seen
# counts them. Returns 1 when no window appeared.
wait_for_main_window() {
    window=""
    boxes_seen=0
    for _ in $(seq 1 150); do
        box=$(xdotool search --onlyvisible --name '^(Bad Error:|Fatal Error:)$' 2>/dev/null | head -1)
        if [ -n "$box" ]; then
            boxes_seen=$((boxes_seen + 1))
            xdotool windowfocus --sync "$box" key Return
        fi
        window=$(xdotool search --onlyvisible --name '^Zorvandine v' 2>/dev/null | head -1)
        [ -n "$window" ] && return 0
        kill -0 "$app_pid" 2>/dev/null || return 1
        sleep 0.1
    done
    return 1
}

# The window's client area on the screen: wx, wy, ww, wh.
geometry() {
    local info
    info=$(xwininfo -id "$window")
    wx=$(awk '/Absolute upper-left X/ { print $NF }' <<<"$info")
    wy=$(awk '/Absolute upper-left Y/ { print $NF }' <<<"$info")
    ww=$(awk '/^ *Width:/ { print $NF }' <<<"$info")
    wh=$(awk '/^ *Height:/ { print $NF }' <<<"$info")
}

# Twips per pixel from the program's start-up line in the log (tppx, tppy);
# px and py convert design twips into window pixels.
read_twips_scale() { # log
    read -r tppx tppy < <(sed -n 's/^loaded, twips per pixel \([0-9.]*\) \([0-9.]*\)$/\1 \2/p' "$1" | head -1)
    if [ -z "${tppx:-}" ]; then
        fail "no start-up line in the log"
        tppx=15
        tppy=15
    fi
}
px() { awk -v t="$1" -v s="$tppx" 'BEGIN { printf "%d", (t / s) + 0.5 }'; }
py() { awk -v t="$1" -v s="$tppy" 'BEGIN { printf "%d", (t / s) + 0.5 }'; }
