#!/usr/bin/env bash
# Installs the game as a player gets it, checks what was laid out, and plays
# it from there (play_through.sh: splash, race, Options saved into the
# player's own configuration folder, About, close).
#
#   install_check.sh prefix  BUILD X_PROBE ARTEFACT_FOLDER
#       `cmake --install BUILD` into a temporary prefix, played with the build
#       tree out of reach
#   install_check.sh package BUILD X_PROBE ARTEFACT_FOLDER
#       `cpack -G DEB`: its file list, dependencies and lintian's verdict
#       checked, then installed with apt and removed again when running as
#       root with every dependency already present, otherwise unpacked into a
#       temporary root; played from where it landed
set -euo pipefail

mode=$1
build=$(realpath "$2")
probe=$(realpath "$3")
out=$4
here=$(dirname "$(realpath "$0")")
app_id=io.github.kestrune.Kestrune

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

work=$(mktemp -d)
installed=""
cleanup() {
    if [ -n "$installed" ]; then
        apt-get remove --purge -y -q kestrune >"$work/remove.log" 2>&1 ||
            echo "could not remove the package: $(cat "$work/remove.log")" >&2
    fi
    rm -rf "$work"
}
trap cleanup EXIT

# The files an install holds, relative to its prefix: the program in bin/
# and its data in share/kestrune/, or, under /usr as the package has it,
# Debian's layout for games.
expected_files() {  # expected_files PROGRAM_FOLDER DATA_FOLDER
    echo "$1/kestrune"
    for file in "$build"/media/*; do
        case $(basename "$file") in
            circuit.txt | options.kvz*) ;;
            *) echo "$2/media/$(basename "$file")" ;;
        esac
    done
    for size in 16 22 24 32 48 64 128 256; do
        echo "share/icons/hicolor/${size}x$size/apps/$app_id.png"
    done
    echo "share/applications/$app_id.desktop"
    echo "share/metainfo/$app_id.metainfo.xml"
    echo share/man/man6/kestrune.6.gz
    echo share/doc/kestrune/copyright
    echo share/doc/kestrune/changelog.gz
}

check_files() {  # check_files LIST PROGRAM_FOLDER DATA_FOLDER: LIST holds the files found, relative to the prefix
    [ "$(ls "$build"/media | wc -l)" -ge 40 ] || fail "no generated media in $build/media"
    if ! diff <(expected_files "$2" "$3" | sort) <(sort "$1") >"$work/files.diff"; then
        fail "the installed files differ from the expected ones (< missing, > extra):
$(cat "$work/files.diff")"
    fi
}

# The desktop entry, the metainfo and the man page, as the desktop's own tools
# read them.
check_desktop_files() {  # check_desktop_files PREFIX
    local entry=$1/share/applications/$app_id.desktop
    local metainfo=$1/share/metainfo/$app_id.metainfo.xml
    desktop-file-validate "$entry" || fail "desktop-file-validate rejects $entry"
    grep -qx 'StartupWMClass=Kestrune' "$entry" || fail "the entry names another window class"
    grep -qx "Icon=$app_id" "$entry" || fail "the entry names another icon"
    grep -qx 'Categories=Game;ArcadeGame;' "$entry" || fail "the entry's categories differ"
    # Every remark of the validator, hints included, is a fault, but two:
    # the id's capital letter, which the stores' own convention asks for, and
    # the <developer> tag, which this validator predates (AppStream 1.0).
    local remarks
    remarks=$(appstreamcli validate --pedantic --no-net "$metainfo" 2>&1) ||
        fail "appstreamcli rejects the metainfo: $remarks"
    remarks=$(grep -E '^[EWIP]: ' <<<"$remarks" |
        grep -vE "^P: $app_id:[0-9]+: cid-contains-uppercase-letter |^I: $app_id:[0-9]+: unknown-tag developer$" ||
        true)
    [ -z "$remarks" ] || fail "appstreamcli remarks on the metainfo: $remarks"
    [ "$(grep -cE '<screenshot[ >]' "$metainfo")" -eq 3 ] || fail "the metainfo shows not all three screenshots"
    [ "$(grep -c '<caption>' "$metainfo")" -eq 3 ] || fail "a screenshot lacks its caption"
    local warnings
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 \
        "$1/share/man/man6/kestrune.6.gz" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "the man page: $warnings"
}

# The version and usage, with no display: the version is the metainfo's newest
# release (and the package's, when there is one), and the usage names the
# options the man page explains, no more and no fewer.
check_command_line() {  # check_command_line GAME PREFIX [PACKAGE_VERSION]
    local version release
    version=$(env -u DISPLAY -u WAYLAND_DISPLAY "$1" --version) || fail "kestrune --version failed"
    release=$(grep -o '<release version="[^"]*"' "$2/share/metainfo/$app_id.metainfo.xml" |
        head -n 1 | cut -d'"' -f2)
    [ "$version" = "kestrune $release" ] ||
        fail "kestrune --version says \"$version\", the metainfo's newest release is $release"
    [ -z "${3:-}" ] || [ "$version" = "kestrune $3" ] ||
        fail "kestrune --version says \"$version\", the package's version is $3"
    env -u DISPLAY -u WAYLAND_DISPLAY "$1" --help >"$work/help" || fail "kestrune --help failed"
    zcat "$2/share/man/man6/kestrune.6.gz" | sed -n '/^\.SH OPTIONS/,/^\.SH [^O]/p' |
        sed 's/\\-/-/g' >"$work/man-options"
    diff <(grep -oE -- '--[a-z]+' "$work/help" | sort -u) \
        <(grep -oE -- '--[a-z]+' "$work/man-options" | sort -u) >"$work/options.diff" ||
        fail "kestrune --help and the man page name different options (< usage, > man page):
$(cat "$work/options.diff")"
}

# The whole play-through on the installed game. The build tree is hidden
# behind an empty folder in a mount namespace of the game's own, so nothing
# of it can stand in for the install; where no namespace can be made (no
# privilege for one), the game plays with the tree in sight.
play() {  # play GAME
    cp "$probe" "$work/x_probe"
    local hide=(unshare --mount --propagation private)
    if ! "${hide[@]}" true 2>/dev/null; then
        hide=(unshare --map-root-user --mount --propagation private)
        if ! "${hide[@]}" true 2>/dev/null; then
            echo "no mount namespace here: the build tree stays in sight"
            hide=()
        fi
    fi
    local status=0
    if [ ${#hide[@]} -gt 0 ]; then
        "${hide[@]}" sh -c 'mount -t tmpfs -o size=1m hidden "$1" && shift && exec "$@"' sh \
            "$build" "$here/play_through.sh" "$1" "$work/x_probe" "$work/play" || status=$?
    else
        "$here/play_through.sh" "$1" "$work/x_probe" "$work/play" || status=$?
    fi
    mkdir -p "$out"
    rm -rf "$out/play"
    cp -r "$work/play" "$out/play" 2>/dev/null || true
    [ "$status" -eq 0 ] || fail "the installed game did not play through (screenshots in $out/play)"
    [ -s "$work/play/config/kestrune/options.kvz" ] ||
        fail "no options file in the player's configuration folder"
}

case $mode in
    prefix)
        prefix=$work/prefix
        cmake --install "$build" --prefix "$prefix" >"$work/install.log" ||
            fail "cmake --install failed: $(cat "$work/install.log")"
        (cd "$prefix" && find . -type f | sed 's|^\./||') >"$work/files"
        check_files "$work/files" bin share/kestrune
        check_desktop_files "$prefix"
        check_command_line "$prefix/bin/kestrune" "$prefix"
        play "$prefix/bin/kestrune"
        [ ! -e "$prefix/share/kestrune/media/options.kvz" ] || fail "the game wrote into its media folder"
        ;;
    package)
        cpack -G DEB -B "$work/package" --config "$build/CPackConfig.cmake" >"$work/cpack.log" 2>&1 ||
            fail "cpack failed: $(cat "$work/cpack.log")"
        deb=$(echo "$work"/package/kestrune_*.deb)
        [ -f "$deb" ] || fail "cpack made no kestrune_*.deb"
        dpkg-deb -c "$deb" | awk '/^-/ { print $6 }' | sed 's|^\./usr/||' >"$work/files"
        check_files "$work/files" games share/games/kestrune
        # What a packager checks: no error, no warning (an override carries
        # its reason beside it in dist/).
        lintian --fail-on error,warning --display-level '>=warning' "$deb" >"$work/lintian.log" 2>&1 ||
            fail "lintian finds fault with the package:
$(cat "$work/lintian.log")"
        # dpkg-shlibdeps resolved every library the game links to a Debian
        # package and version; the font and the OpenGL library are named.
        depends=$(dpkg-deb -f "$deb" Depends)
        echo "Depends: $depends"
        for package in libsdl2-2.0-0 libfltk1.3 libepoxy0 libpng16-16 libjpeg62-turbo \
            libfreetype6 libfontconfig1 libstdc++6; do
            [[ $depends == *"$package (>= "* ]] || fail "Depends has no versioned $package"
        done
        [[ $depends == *fonts-liberation2* && $depends == *libgl1* ]] ||
            fail "Depends lacks the font or the OpenGL library"

        # apt only when it needs nothing from outside: every dependency is
        # already installed and so only the game itself is to be unpacked.
        if [ "$(id -u)" -eq 0 ] && command -v apt-get >/dev/null &&
            ! dpkg-query -W -f='${Status}' kestrune 2>/dev/null | grep -q 'ok installed' &&
            [ "$(apt-get install -s "$deb" 2>/dev/null | grep -c '^Inst ')" -eq 1 ]; then
            # One package test at a time may own the system's kestrune.
            exec 9>/tmp/kestrune-package-test.lock
            flock 9
            installed=yes
            apt-get install -y -q -o DPkg::Lock::Timeout=300 "$deb" >"$work/apt.log" 2>&1 ||
                fail "apt-get install failed: $(cat "$work/apt.log")"
            root=/usr
        else
            echo "not installed with apt (not root, apt missing, or dependencies to fetch): unpacked"
            dpkg-deb -x "$deb" "$work/root"
            root=$work/root/usr
        fi
        check_desktop_files "$root"
        check_command_line "$root/games/kestrune" "$root" "$(dpkg-deb -f "$deb" Version)"
        play "$root/games/kestrune"
        [ ! -e "$root/share/games/kestrune/media/options.kvz" ] || fail "the game wrote into its media folder"
        if [ -n "$installed" ]; then
            apt-get remove --purge -y -q kestrune >"$work/remove.log" 2>&1 ||
                fail "apt-get remove failed: $(cat "$work/remove.log")"
            installed=""
            ! dpkg-query -W -f='${Status}' kestrune 2>/dev/null | grep -q 'ok installed' ||
                fail "kestrune is still installed"
            [ ! -e /usr/games/kestrune ] && [ ! -e /usr/share/games/kestrune ] ||
                fail "the removal left files behind"
        fi
        ;;
    *)
        fail "usage: $0 prefix|package BUILD X_PROBE ARTEFACT_FOLDER"
        ;;
esac
echo "install check ($mode): all steps passed"
