#!/usr/bin/env bash
# Installs what is missing, builds the optimised program (the release preset:
# warnings shown, never fatal) and starts it. Without a display it says so and
# draws every factory figure, and every gallery file, with zorvandine-render
# into build/pictures instead.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" --target zorvandine zorvandine-render
program=build/release/app/zorvandine
renderer=build/release/render/zorvandine-render

if [ -n "${WAYLAND_DISPLAY:-}" ] || { [ -n "${DISPLAY:-}" ] && xwininfo -root >/dev/null 2>&1; }; then
    exec "$program" "$@"
fi

if [ -n "${DISPLAY:-}" ]; then
    echo "The display $DISPLAY cannot be reached, so the window cannot open here."
else
    echo "There is no display here (neither DISPLAY nor WAYLAND_DISPLAY is set), so the window cannot open."
fi
echo "Start it from a desktop session or over ssh -X, or try it with xvfb-run; meanwhile the renderer draws its figures:"

pictures=build/pictures
mkdir -p "$pictures"
status=0
render() { # output, arguments...
    local output="$1" counters
    shift
    if counters=$("$renderer" "$@" "$output"); then
        echo "$output  ($(echo "$counters" | paste -sd ',' | sed 's/,/, /g'))"
    else
        status=1
    fi
}
names=(cantor-set cross sierpinski-gadget koch-curve l-system)
for type in 0 1 2 3 4; do
    render "$pictures/default-$type-${names[$type]}.png" --type "$type" data/Default.ini
done
if [ -d data/gallery ]; then
    for file in data/gallery/*.prm; do
        [ -e "$file" ] || continue
        render "$pictures/gallery-$(basename "$file" .prm).png" "$file"
    done
fi
exit "$status"
