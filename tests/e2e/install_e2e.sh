#!/usr/bin/env bash
# The installed program as a user meets it: `cmake --install` into a fresh
# prefix, bin/ made read-only, the program started from there under Xvfb as an
# unprivileged user (tests run as root, and root writes through any mode bits).
# A setting changed in the window and the window closed; the next start must
# find the setting again, kept in the user's configuration folder, and bin/
# must hold nothing new.
#
# usage: install_e2e.sh <build folder> <output folder>
# Exit 77 (skipped) when the X tools or setpriv are missing.
set -uo pipefail

build="$1"
out="$2"
here="$(cd "$(dirname "$0")" && pwd)"
mkdir -p "$out"
source "$here/e2e_common.sh"
require_tools Xvfb xdotool xwininfo setpriv cc

user=65534
as_user() { setpriv --reuid=$user --regid=$user --clear-groups "$@"; }

# /tmp rather than the build folder: the unprivileged user must reach it.
prefix=$(mktemp -d /tmp/zorvandine-install.XXXXXX)
home="$prefix/home"
log="$prefix/e2e.log"
xvfb_pid=""
app_pid=""
cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null && wait "$app_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    chmod -R u+w "$prefix" 2>/dev/null
    rm -rf "$prefix"
}
trap cleanup EXIT

chmod 755 "$prefix"
if ! cmake --install "$build" --prefix "$prefix" >"$out/install.log" 2>&1; then
    cat "$out/install.log"
    echo "FAIL: cmake --install"
    exit 1
fi
for f in bin/zorvandine bin/zorvandine-render share/zorvandine/Default.ini \
    share/applications/zorvandine.desktop share/icons/hicolor/scalable/apps/zorvandine.svg \
    share/icons/hicolor/16x16/apps/zorvandine.png share/icons/hicolor/256x256/apps/zorvandine.png; do
    [ -f "$prefix/$f" ] || fail "not installed: $f"
done
grep -q '^MimeType=.*application/x-zorvandine-parameters' "$prefix/share/applications/zorvandine.desktop" ||
    fail "the desktop entry declares no parameter file type"
chmod -R a-w "$prefix/bin"
mkdir -p "$home"
chown $user:$user "$home"
: >"$log"
chown $user:$user "$log"

# The desktop's D-Bus library keeps a buffer until the process ends; in a
# sanitizer build that must not turn a normal end into a failure status. The
# suppressions go where the unprivileged user can read them, and come last
# so that they are the ones used.
{ printf 'leak:libdbus-1.so\n'; cat "$here/../../tools/lsan.supp" 2>/dev/null; } >"$prefix/lsan.supp"
chmod 644 "$prefix/lsan.supp"
export LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}suppressions=$prefix/lsan.supp"

start_xvfb "$out"
unset QT_QPA_PLATFORM XDG_CONFIG_HOME XDG_DATA_HOME XDG_RUNTIME_DIR


# Starts the installed program as the user and waits for its window; a
# settings box, which neither start should show, is answered with Enter.
start() { # message boxes expected, number of this start
    as_user env HOME="$home" "$prefix/bin/zorvandine" >>"$out/program.log" 2>>"$log" &
    app_pid=$!
    wait_for_main_window || {
        cat "$out/program.log" "$log"
        echo "FAIL: the installed program's window did not appear"
        exit 1
    }
    [ "$boxes_seen" -eq "$1" ] || fail "$boxes_seen settings message boxes at start $2, expected $1"
    # Ready for input once the start-up's refresh of the stored type has run.
    eventually "[ \$(grep -c '^refresh type' '$log') -ge $2 ]" || fail "start $2 never finished loading"
}

close_window() {
    "$prefix/wm-close" "$window"
    eventually '! kill -0 "$app_pid" 2>/dev/null' || fail "the program did not end after a close request"
    wait "$app_pid"
    local status=$?
    app_pid=""
    [ "$status" -eq 0 ] || fail "the program ended with status $status"
}

cc -o "$prefix/wm-close" "$here/wm_close.c" -lX11 2>"$out/wm-close.log" || {
    echo "SKIP: no X11 headers for the close helper"
    exit 77
}

# --- first start: no settings of the user's yet, and no box about that ---
start 0 1
read_twips_scale "$log"
geometry
width0=$ww
# The drawing area's width field: 300 instead of 200 widens the window by 100 px.
xdotool mousemove "$((wx + $(px $((3230 + 1050 + 250)))))" "$((wy + $(py $((500 + 350 + 150)))))" click 1
xdotool key --clearmodifiers ctrl+a
xdotool type --delay 30 "300"
xdotool key --clearmodifiers Tab
eventually 'geometry; [ "$ww" -eq $((width0 + 100)) ]' || fail "typing 300 left the window $ww wide"
close_window

config="$home/.config/zorvandine/User.ini"
if [ -f "$config" ]; then
    [ "$(sed -n 5p "$config" | tr -d '\r')" = "300" ] || fail "$config does not hold the width 300"
else
    fail "no User.ini in the user's configuration folder"
fi
[ -z "$(ls "$prefix/bin" | grep -v '^zorvandine\(-render\)\?$')" ] || fail "bin/ holds new files: $(ls "$prefix/bin")"

# --- second start: the user's settings, no message box ---
start 0 2
geometry
[ "$ww" -eq $((width0 + 100)) ] || fail "the second start shows the window $ww wide, expected $((width0 + 100))"
close_window

if [ "$failures" -gt 0 ]; then
    cat "$log"
    exit 1
fi
echo "PASS: installed into $prefix, settings kept in $config across two starts"
