#!/usr/bin/env bash
# The Debian package as a distribution's reviewer meets it: built with cpack
# from the build folder, then lintian (no errors, no warnings), the desktop
# entry and the AppStream metainfo through their validators, the manual pages
# against each program's --help, and one version in the package, both
# programs, the changelog, the metainfo and the manual pages.
#
# usage: package_check.sh <build folder> <output folder>
# Exit 77 (skipped) when one of the tools is missing.
set -uo pipefail

build="$1"
out="$2"
for tool in cpack dpkg-deb dpkg-shlibdeps dpkg-parsechangelog file lintian desktop-file-validate \
    appstreamcli man gzip; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is not installed (bash tools/install-deps.sh installs it)"
        exit 77
    fi
done

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

rm -rf "$out"
mkdir -p "$out"
if ! cpack -G DEB --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1; then
    cat "$out/cpack.log"
    echo "FAIL: cpack"
    exit 1
fi
debs=("$out"/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "FAIL: cpack made ${#debs[@]} packages"; exit 1; }
deb="${debs[0]}"
root="$out/root"
dpkg-deb -x "$deb" "$root"

# --- lintian: errors and warnings fail; the informational tags are listed ---
lintian --tag-display-limit 0 "$deb" >"$out/lintian.txt" 2>"$out/lintian.err"
status=$?
cat "$out/lintian.txt"
grep -q '^[EW]: ' "$out/lintian.txt" && fail "lintian reports errors or warnings"
# 0: clean, 1: tags above the fail level; anything else is lintian failing to run.
[ "$status" -le 1 ] || { cat "$out/lintian.err"; fail "lintian ended with status $status"; }

# --- runtime needs that no library link shows ---
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
[[ ",$depends," =~ ,\ ?fonts-dejavu-extra[\ ,] ]] ||
    fail "Depends lacks fonts-dejavu-extra (the window's \"DejaVu Sans Condensed\")"
[[ "$depends" == *libqt6widgets6* ]] || fail "Depends lacks the Qt libraries (dpkg-shlibdeps)"

# --- validators: any complaint of desktop-file-validate, even a hint, fails ---
desktop="$root/usr/share/applications/zorvandine.desktop"
report=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate: $report"
[ -z "$report" ] || fail "desktop-file-validate: $report"
metainfo=("$root"/usr/share/metainfo/*.metainfo.xml)
appstreamcli validate --no-net "${metainfo[0]}" >"$out/appstream.txt" 2>&1 ||
    fail "appstreamcli validate: $(cat "$out/appstream.txt")"
grep -q '^[EW]: ' "$out/appstream.txt" && fail "appstreamcli validate: $(cat "$out/appstream.txt")"

# --- manual pages: they render without warnings and list the options --help lists ---
# The option words of a --help text ("-h, --help", "--type <N>"), one a line.
help_options() {
    sed -n '/^Options:/,/^$/p' | grep -oE '^ +-[^ ]*(, --[a-z-]+)?' | tr -d ' ,' |
        sed 's/--/\n--/; s/^\n//' | grep . | sort
}
# The option words of a page's OPTIONS section: the tags after .TP.
page_options() {
    sed -n '/^\.SH OPTIONS/,/^\.SH /p' | sed -n '/^\.TP/{n;p}' | sed 's/\\-/-/g' |
        grep -oE '(^| |")-{1,2}[a-z][a-z-]*' | tr -d ' "' | sort
}
version=""
for program in zorvandine zorvandine-render; do
    page="$root/usr/share/man/man1/$program.1.gz"
    if [ ! -f "$page" ]; then
        fail "no manual page $program(1)"
        continue
    fi
    # gzip -9n: no name and no time in the header (bytes 4 to 7 are the time).
    [ "$(od -An -tx1 -j3 -N6 "$page" | tr -d ' ')" = "000000000002" ] ||
        fail "$program.1.gz is not compressed with gzip -9n"
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >"$out/$program.txt")
    [ -z "$warnings" ] || fail "man -l $program.1.gz warns: $warnings"
    grep -q '^NAME' "$out/$program.txt" || fail "man -l $program.1.gz renders no NAME section"
    help=$(env -u DISPLAY -u WAYLAND_DISPLAY "$root/usr/bin/$program" --help)
    diff <(echo "$help" | help_options) <(gzip -dc "$page" | page_options) >"$out/$program.diff" ||
        fail "the options of $program(1) (>) differ from --help (<): $(cat "$out/$program.diff")"
    [ -n "$(echo "$help" | help_options)" ] || fail "no options read from $program --help"
    # The program's name, then its version.
    shown=$("$root/usr/bin/$program" --version)
    [[ "$shown" =~ ^$program\ ([0-9]+\.[0-9]+[a-z])$ ]] || fail "$program --version says '$shown'"
    this="${BASH_REMATCH[1]:-}"
    [ -z "$version" ] || [ "$this" = "$version" ] || fail "$program says $this, the other $version"
    version="$this"
    gzip -dc "$page" | grep -q "^\.TH .*\"Zorvandine $version\"" ||
        fail "$program(1) is not the page of version $version"
done

# --- one version: the package, the changelog and the metainfo follow the programs ---
package_version=$(dpkg-deb -f "$deb" Version)
[[ "$package_version" =~ ^[0-9]+:$version-[0-9]+$ ]] ||
    fail "the package version $package_version is not the programs' $version"
# 1.0.1 was packaged before the versions took letters; every later one must sort above it.
dpkg --compare-versions "$package_version" gt 1.0.1 ||
    fail "the package version $package_version does not sort above 1.0.1"
gzip -dc "$root/usr/share/doc/zorvandine/changelog.Debian.gz" >"$out/changelog"
[ "$(dpkg-parsechangelog -l "$out/changelog" -S Version)" = "$package_version" ] ||
    fail "changelog.Debian.gz has no entry for $package_version on top"
grep -q "<release version=\"$version\"" "${metainfo[0]}" ||
    fail "the metainfo names no release $version"
[ -f "$root/usr/share/doc/zorvandine/copyright" ] || fail "no copyright file"

if [ "$failures" -gt 0 ]; then
    exit 1
fi
echo "PASS: $(basename "$deb"), version $package_version, lintian without errors or warnings"
