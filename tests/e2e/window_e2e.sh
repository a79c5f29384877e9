#!/usr/bin/env bash
# The real window on a real X server (Xvfb): starts the program, finds its
# window by its caption, takes screenshots, checks that controls sit where the
# layout puts them (pixel colours at their twips positions), and that keys typed on
# the keyboard reach the window (the program reports them in its diagnostics on
# standard error, see e2e_common.sh). The program runs from a copy in the output folder, so the
# settings it writes when it is closed never reach the build folder; a close
# request as a window manager sends it must store User.ini, the next start must
# show what it stored, a damaged User.ini must be kept as User.ini.damaged, and
# a start without any settings file must end the program with a failure status.
#
# usage: window_e2e.sh <path to zorvandine> <output folder>
# Exit 77 (skipped) only when the X tools are not installed.
set -uo pipefail

program="$1"
out="$2"
mkdir -p "$out"
source "$(dirname "$0")/e2e_common.sh"
require_tools Xvfb xdotool import convert xwininfo

# A program folder of its own: the program, the factory settings, no User.ini.
folder="$out/program"
rm -rf "$folder"
mkdir -p "$folder"
cp "$program" "$folder/" && cp "$(dirname "$program")/Default.ini" "$folder/" || {
    echo "FAIL: the program or its Default.ini could not be copied"
    exit 1
}
program="$folder/$(basename "$program")"

# The desktop's D-Bus library keeps a buffer until the process ends; in a
# sanitizer build that must not turn a normal end into a failure status.
printf 'leak:libdbus-1.so\n' >"$out/lsan.supp"
export LSAN_OPTIONS="suppressions=$out/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"

log="$out/e2e.log"
shot="$out/e2e-screen.png"
rm -f "$log" "$out"/e2e-*.png
xvfb_pid=""
app_pid=""
failures=0

cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null && wait "$app_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
}
trap cleanup EXIT

start_xvfb "$out"
unset QT_QPA_PLATFORM

"$program" >"$out/program.log" 2>"$log" &
app_pid=$!

# Message boxes at start (missing user settings) are answered with Enter.
if ! wait_for_main_window; then
    echo "FAIL: the program's window did not appear"
    cat "$out/program.log" "$log"
    exit 1
fi

# Ready for input once the start-up's refresh of the stored type has run.
eventually 'grep -q "^refresh type" "$log" 2>/dev/null' || fail "no refresh after start-up"

title=$(xdotool getwindowname "$window")
[ "$title" = "Zorvandine v1.0b" ] || fail "caption is '$title'"

read_twips_scale "$log"

# The colour at window pixel (x, y) of a screenshot, as #RRGGBB.
colour_at() { # screenshot, x, y
    convert "$1" -crop "1x1+$((wx + $2))+$((wy + $3))" -depth 8 txt:- |
        tail -1 | grep -o '#[0-9A-Fa-f]\{6\}' | head -1 | tr a-f A-F
}

expect_colour() { # screenshot, what, x, y, #RRGGBB
    local got
    got=$(colour_at "$1" "$3" "$4")
    [ "$got" = "$5" ] || fail "$2 at ($3, $4) is $got, expected $5"
}

expect_dark() { # screenshot, what, x, y: a dark pixel (border, text, line)
    local got
    got=$(colour_at "$1" "$3" "$4")
    local r=$((16#${got:1:2})) g=$((16#${got:3:2})) b=$((16#${got:5:2}))
    [ $((r + g + b)) -lt 384 ] || fail "$2 at ($3, $4) is $got, expected a dark pixel"
}

wait_for_log() { # pattern
    for _ in $(seq 1 100); do
        grep -q "$1" "$log" && return 0
        sleep 0.1
    done
    fail "the log never showed '$1'"
    return 1
}

log_count() { grep -c "$1" "$log"; }

# Enter starts a drawing run, which locks the parameter fields until it ends:
# Enter again cancels it. A run may also end by itself just before that Enter,
# which then starts another: repeat until every run has ended.
end_runs() {
    eventually '[ "$(log_count "^run started")" -ge 1 ]' || fail "no run started"
    for _ in $(seq 1 20); do
        [ "$(log_count "^run started")" -eq "$(log_count "^run ended")" ] && return 0
        xdotool key --clearmodifiers Return
        for _ in $(seq 1 20); do
            [ "$(log_count "^run started")" -eq "$(log_count "^run ended")" ] && return 0
            sleep 0.1
        done
    done
    fail "a drawing run did not end"
}

# --- the window as laid out at start: bar open, drawing area 200 x 250 ---
geometry
ox=$(px 100)
oy=$(py 500)
painted() {
    import -window root "$shot"
    [ "$(colour_at "$shot" $((ox + 100)) $((oy + 125)))" = "#FFFFFF" ]
}
eventually painted || fail "the drawing area was never painted"
convert "$shot" -crop "${ww}x${wh}+${wx}+${wy}" +repage "$out/e2e-window.png"
[ "$ww" -eq "$(px 7425)" ] || fail "window client width $ww, expected $(px 7425)"
[ "$wh" -eq "$(py 4680)" ] || fail "window client height $wh, expected $(py 4680)"

expect_dark "$shot" "Output_pic border (left)" "$ox" $((oy + 100))
expect_dark "$shot" "Output_pic border (right)" $((ox + 201)) $((oy + 100))
expect_dark "$shot" "Output_pic border (bottom)" $((ox + 100)) $((oy + 251))
expect_colour "$shot" "Output_pic background" $((ox + 100)) $((oy + 125)) "#FFFFFF"
# The first marker sits on the Cantor set's first fix point of the settings
# the program read (lines 13 and 14: the first lines of the type sections).
ini="$(dirname "$program")/User.ini"
[ -f "$ini" ] || ini="$(dirname "$program")/Default.ini"
mx=$(sed -n 13p "$ini" | tr -d ' \r')
my=$(sed -n 14p "$ini" | tr -d ' \r')
expect_colour "$shot" "FixPoint_img marker" $((ox + 1 + mx + 5)) $((oy + 1 + my + 5)) "#00FF00"
# The swatches in the common parameter frame (left 3230 twips); their centres
# carry the printed names, their left ends the plain colour.
cx=$(px $((3230 + 150 + 90)))
expect_colour "$shot" "BackColor_pic" "$cx" "$(py $((500 + 1300 + 175)))" "#FFFFFF"
expect_colour "$shot" "ForeColor_pic" "$cx" "$(py $((500 + 1700 + 175)))" "#000000"
# The green state icon in the status bar's first panel.
expect_colour "$shot" "state icon" 12 $((wh - $(py 300) / 2)) "#00C000"

# --- keys reach the window ---
xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
xdotool key --clearmodifiers s
wait_for_log '^key S state 0 -> 0$'
xdotool key --clearmodifiers shift+s
eventually '[ "$(log_count "^key S state 0 -> 0$")" -ge 2 ]' || fail "Shift+S did not reach the window"
xdotool key --clearmodifiers Return
wait_for_log '^Draw_btn_Click state 0$'
end_runs

# Enter in a text field presses the draw button too; typing a drawing-area
# width there and leaving the field resizes the real window.
fx=$((wx + $(px $((3230 + 1050 + 250)))))
fy=$((wy + $(py $((500 + 350 + 150)))))
xdotool mousemove "$fx" "$fy" click 1
xdotool type --delay 30 "300"
xdotool key --clearmodifiers Tab
eventually 'geometry; [ "$ww" -eq $(($(px 7425) + 100)) ]' ||
    fail "after typing 300 the window is $ww wide, expected $(($(px 7425) + 100))"
eventually 'import -window root "$shot"; [ "$(colour_at "$shot" $((ox + 299)) $((oy + 125)))" = "#FFFFFF" ]'
expect_colour "$shot" "Output_pic background, 300 wide" $((ox + 299)) $((oy + 125)) "#FFFFFF"
expect_dark "$shot" "Output_pic border (right), 300 wide" $((ox + 301)) $((oy + 125))
convert "$shot" -crop "${ww}x${wh}+${wx}+${wy}" +repage "$out/e2e-window-300.png"

before=$(log_count '^Draw_btn_Click')
xdotool mousemove "$((wx + $(px $((3230 + 1000 + 300)))))" "$((wy + $(py $((500 + 2565 + 150)))))" click 1
xdotool key --clearmodifiers Return
eventually '[ "$(log_count "^Draw_btn_Click")" -gt "$before" ]' ||
    fail "Enter in CalcDepth_txt did not press Draw_btn"
end_runs

# Closing the parameter bar with its button narrows the window. The top row
# ends where the drawing area (300 + 2 border pixels) ends, plus 100 twips.
params_right=$((ox + 302 + $(px 100)))
xdotool mousemove "$((wx + params_right - $(px 200)))" "$((wy + $(py 257)))" click 1
eventually 'geometry; [ "$ww" -eq $(($(px 7425) + 100 - $(px 4200))) ]' ||
    fail "with the bar closed the window is $ww wide"
eventually painted || fail "the drawing area was not painted after the bar closed"
convert "$shot" -crop "${ww}x${wh}+${wx}+${wy}" +repage "$out/e2e-window-closed.png"

kill -0 "$app_pid" 2>/dev/null || fail "the program ended by itself"

# --- a close request stores the settings; a start without settings files ends ---
# The close request is the WM_DELETE_WINDOW message a window manager sends;
# Xvfb has no window manager, so a small helper sends it.
close_helper="$out/wm-close"
if cc -o "$close_helper" "$(dirname "$0")/wm_close.c" -lX11 2>"$out/wm-close.log"
then
    "$close_helper" "$window"
    eventually '! kill -0 "$app_pid" 2>/dev/null' || fail "the program did not end after a close request"
    wait "$app_pid"
    status=$?
    app_pid=""
    [ "$status" -eq 0 ] || fail "the program ended with status $status after a close request"
    if [ -f "$folder/User.ini" ]; then
        # The last state: the bar closed, the drawing area 300 pixels wide.
        [ "$(sed -n '2p' "$folder/User.ini" | tr -d '\r')" = "0" ] || fail "User.ini does not hold the closed bar"
        [ "$(sed -n '5p' "$folder/User.ini" | tr -d '\r')" = "300" ] || fail "User.ini does not hold the area width 300"
    else
        fail "no User.ini after the close"
    fi
    # The next start shows what the close stored, without a settings box.
    "$program" >"$out/program-restart.log" 2>&1 &
    app_pid=$!
    if wait_for_main_window; then
        [ "$boxes_seen" -eq 0 ] || fail "a settings box at the second start"
        eventually 'geometry; [ "$ww" -eq $(($(px 7425) + 100 - $(px 4200))) ]' ||
            fail "at the second start the window is $ww wide, not the stored bar and area"
    else
        fail "the window did not appear at the second start"
    fi
    kill "$app_pid" 2>/dev/null
    wait "$app_pid" 2>/dev/null
    app_pid=""
else
    echo "note: no C compiler with X11 headers; the close request is not checked"
    kill "$app_pid" 2>/dev/null
    wait "$app_pid" 2>/dev/null
    app_pid=""
fi

# --- a "User.ini" asking for a drawing area 5000 pixels wide: the size is cut
# to its limit before the window is placed, so all of it lies on the screen;
# then a wheel notch over the closed type list and back keeps a moved fix point ---
tr -d '\r' <"$folder/Default.ini" | sed '5s/.*/5000/' | sed 's/$/\r/' >"$folder/User.ini"
main_log="$log"
log="$out/e2e-wide.log"
rm -f "$log"
"$program" >"$out/program-wide.log" 2>"$log" &
app_pid=$!
if ! wait_for_main_window; then
    fail "the window did not appear with an area width of 5000"
else
    wait_for_log '^refresh type'
    geometry
    read -r sw sh < <(xwininfo -root | awk '/^ *Width:/ { w = $NF } /^ *Height:/ { h = $NF } END { print w, h }')
    { [ "$wx" -ge 0 ] && [ "$wy" -ge 0 ] && [ $((wx + ww)) -le "$sw" ] && [ $((wy + wh)) -le "$sh" ]; } ||
        fail "with an area width of 5000 the window lies at $wx,$wy, ${ww}x$wh, off the ${sw}x$sh screen"
    # The stored type is the Cantor set (line 1): drag its first marker 40
    # pixels to the right, then one wheel notch down the type list and one back.
    mx=$(sed -n 13p "$folder/User.ini" | tr -d ' \r')
    my=$(sed -n 14p "$folder/User.ini" | tr -d ' \r')
    grab_x=$((wx + ox + 1 + mx + 5))
    grab_y=$((wy + oy + 1 + my + 5))
    xdotool mousemove "$grab_x" "$grab_y" mousedown 1
    for step in 10 20 30 40; do
        xdotool mousemove "$((grab_x + step))" "$grab_y"
        sleep 0.1
    done
    xdotool mouseup 1
    moved() {
        import -window root "$shot"
        [ "$(colour_at "$shot" $((ox + 1 + mx + 45)) $((oy + 1 + my + 5)))" = "#00FF00" ]
    }
    eventually moved || fail "the marker did not follow the drag"
    xdotool mousemove "$((wx + $(px 100) + 20))" "$((wy + $(py 100) + 10))"
    xdotool click 5
    wait_for_log '^refresh type 1$'
    xdotool click 4
    eventually '[ "$(log_count "^refresh type 0$")" -ge 2 ]' || fail "no refresh after the wheel notch back"
    eventually moved || fail "a wheel notch over the type list and back lost the moved fix point"
    convert "$shot" -crop "${ww}x${wh}+${wx}+${wy}" +repage "$out/e2e-window-wide.png"
    kill "$app_pid" 2>/dev/null
    wait "$app_pid" 2>/dev/null
fi
app_pid=""
log="$main_log"

# --- at twice the scale (QT_SCALE_FACTOR=2): the window lays out at double
# size, the first marker sits on its fix point, and a marker dragged with the
# mouse drops its point under the pointer, in drawing-area pixels ---
cp "$(dirname "$program")/Default.ini" "$(dirname "$program")/User.ini"
QT_SCALE_FACTOR=2 "$program" >"$out/program-scale2.log" 2>>"$log" &
app_pid=$!
wait_for_main_window || fail "the window did not appear at scale 2"
if [ -n "$window" ]; then
    geometry
    eventually 'geometry; [ "$ww" -eq $((2 * $(px 7425))) ]' ||
        fail "at scale 2 the window is $ww wide, expected $((2 * $(px 7425)))"
    mx=$(sed -n 13p "$ini" | tr -d ' \r')
    my=$(sed -n 14p "$ini" | tr -d ' \r')
    # Window pixels at scale 2 of drawing-area pixel (x, y), the marker's middle.
    sx=$((2 * (ox + 1 + mx + 5)))
    sy=$((2 * (oy + 1 + my + 5)))
    import -window root "$shot"
    convert "$shot" -crop "${ww}x${wh}+${wx}+${wy}" +repage "$out/e2e-window-scale2.png"
    expect_colour "$shot" "FixPoint_img marker at scale 2" "$sx" "$sy" "#00FF00"
    tx=$((2 * (ox + 1 + 100 + 5)))
    ty=$((2 * (oy + 1 + 150 + 5)))
    xdotool mousemove "$((wx + sx))" "$((wy + sy))" mousedown 1
    for i in 1 2 3 4 5 6 7 8; do
        xdotool mousemove "$((wx + sx + (tx - sx) * i / 8))" "$((wy + sy + (ty - sy) * i / 8))"
        sleep 0.05
    done
    xdotool mouseup 1
    wait_for_log '^fixpoint 0 dropped at 100 150$'
    import -window root "$shot"
    expect_colour "$shot" "dropped marker at scale 2" "$tx" "$ty" "#00FF00"
fi
kill "$app_pid" 2>/dev/null
wait "$app_pid" 2>/dev/null
app_pid=""

# A damaged User.ini: the "Bad Error:" box, and after a close its bytes are
# still there as User.ini.damaged beside the new User.ini.
printf '0\r\n1\r\nwhere the window was\r\n' >"$folder/User.ini"
cp "$folder/User.ini" "$out/damaged.ini"
"$program" >"$out/program-damaged.log" 2>&1 &
app_pid=$!
wait_for_main_window || fail "no window after a damaged User.ini"
[ "$boxes_seen" -ge 1 ] || fail "no 'Bad Error:' box for a damaged User.ini"
if [ -x "$close_helper" ]; then "$close_helper" "$window"; else kill "$app_pid"; fi
eventually '! kill -0 "$app_pid" 2>/dev/null' || fail "the program did not end after a damaged User.ini"
wait "$app_pid"
app_pid=""
cmp -s "$out/damaged.ini" "$folder/User.ini.damaged" || fail "User.ini.damaged does not hold the damaged file"
[ ! -x "$close_helper" ] || [ -f "$folder/User.ini" ] || fail "no new User.ini after the close"

rm -f "$folder/User.ini" "$folder/Default.ini"
"$program" >"$out/program-fatal.log" 2>&1 &
app_pid=$!
for title in 'Bad Error:' 'Fatal Error:'; do
    box=""
    for _ in $(seq 1 100); do
        box=$(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null | head -1)
        [ -n "$box" ] && break
        sleep 0.1
    done
    if [ -z "$box" ]; then
        fail "no '$title' box without settings files"
        break
    fi
    xdotool windowfocus --sync "$box" key Return
done
eventually '! kill -0 "$app_pid" 2>/dev/null' || fail "the program did not end without settings files"
wait "$app_pid"
status=$?
app_pid=""
[ "$status" -ne 0 ] || fail "the program ended with status 0 without settings files"
[ ! -e "$folder/User.ini" ] || fail "a User.ini was written although the settings never loaded"
echo "screenshots: $out/e2e-window.png $out/e2e-window-300.png $out/e2e-window-closed.png $out/e2e-window-scale2.png"
if [ "$failures" -gt 0 ]; then
    echo "log:"
    cat "$log"
    exit 1
fi
echo "PASS"
