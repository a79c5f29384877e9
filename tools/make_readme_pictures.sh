#!/usr/bin/env bash
# Makes the README's pictures in docs/: a strip of gallery figures drawn by the
# renderer, the snowflake's build-up as the renderer animates it, and the
# window with a drawn figure, taken on a virtual X server.
# Needs a built program (cmake --build --preset dev), Xvfb, xdotool and
# ImageMagick (bash tools/install-deps.sh installs them).
#
# usage: bash tools/make_readme_pictures.sh [BUILD_FOLDER]   (default: build/dev)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build/dev}"
render="$build/render/zorvandine-render"
program="$build/app/zorvandine"
mkdir -p docs
work=$(mktemp -d)
xvfb_pid=""
app_pid=""
cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null && wait "$app_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# The strip: each figure scaled to the same height, side by side.
strip=()
for name in "Dragon curve" "Koch snowflake by the turtle" "Sierpinski triangle" "Bushy plant" \
    "Peano-Gosper curve" "Levy C curve" "Hilbert curve" "Cross on a square"; do
    "$render" --seed 1 "data/gallery/$name.prm" "$work/$name.png" >/dev/null
    convert "$work/$name.png" -resize x140 -bordercolor white -border 6 "$work/$name-small.png"
    strip+=("$work/$name-small.png")
done
convert "${strip[@]}" +append -strip -colors 128 "PNG8:docs/gallery-strip.png"

# The build-up: the program's own animation of the snowflake growing.
"$render" --quiet --depth 5 "data/gallery/Koch snowflake.prm" docs/build-up.gif

# The window: the program from a folder of its own, its settings set to the
# Koch curve of the factory settings at depth 4, drawn once with Enter.
mkdir "$work/program"
cp "$program" "$build/app/Default.ini" "$work/program/"
sed -e '1s/.*/3\r/' -e '10s/.*/4\r/' "$build/app/Default.ini" >"$work/program/User.ini"
exec 5>"$work/display"
Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 1 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
done
export DISPLAY=":$(head -1 "$work/display")"
"$work/program/zorvandine" >/dev/null 2>&1 &
app_pid=$!
window=""
for _ in $(seq 1 100); do
    window=$(xdotool search --onlyvisible --name "Zorvandine" 2>/dev/null | head -1) && [ -n "$window" ] && break
    sleep 0.1
done
[ -n "$window" ] || { echo "the window did not appear" >&2; exit 1; }
sleep 1
xdotool windowfocus "$window" 2>/dev/null || true
xdotool key Return
sleep 4
# The root window is black around the undecorated window: trim it away.
import -window root "$work/screen.png"
convert "$work/screen.png" -trim +repage -strip -colors 128 "PNG8:docs/window.png"
ls -l docs/gallery-strip.png docs/build-up.gif docs/window.png
