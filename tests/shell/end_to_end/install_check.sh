#!/usr/bin/env bash
# Installs the game as a player gets it, checks what was laid out, and plays
# it from there (play_through.sh: splash, race, Options saved into the
# player's own configuration folder, About, close).
#
#   install_check.sh prefix  BUILD X_PROBE ARTEFACT_FOLDER
#       `cmake --install BUILD` into a temporary prefix, played with the build
#       tree out of reach
#   install_check.sh package BUILD X_PROBE ARTEFACT_FOLDER
#       `cpack -G DEB`: its file list and dependencies checked, then installed
#       with apt and removed again when running as root with every dependency
#       already present, otherwise unpacked into a temporary root; played
#       from where it landed
set -euo pipefail

mode=$1
build=$(realpath "$2")
probe=$(realpath "$3")
out=$4
here=$(dirname "$(realpath "$0")")
app_id=example.kestrune.Kestrune

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

# The files an install holds, relative to its prefix.
expected_files() {
    echo bin/kestrune
    for file in "$build"/media/*; do
        case $(basename "$file") in
            circuit.txt | options.kvz*) ;;
            *) echo "share/kestrune/media/$(basename "$file")" ;;
        esac
    done
    for size in 16 22 24 32 48 64 128 256; do
        echo "share/icons/hicolor/${size}x$size/apps/kestrune.png"
    done
    echo share/applications/kestrune.desktop
    echo "share/metainfo/$app_id.metainfo.xml"
    echo share/man/man6/kestrune.6.gz
}

check_files() {  # check_files LIST: the files found, one a line, relative to the prefix
    [ "$(ls "$build"/media | wc -l)" -ge 40 ] || fail "no generated media in $build/media"
    if ! diff <(expected_files | sort) <(sort "$1") >"$work/files.diff"; then
        fail "the installed files differ from the expected ones (< missing, > extra):
$(cat "$work/files.diff")"
    fi
}

# The desktop entry, the metainfo and the man page, as the desktop's own tools
# read them.
check_desktop_files() {  # check_desktop_files PREFIX
    local entry=$1/share/applications/kestrune.desktop
    desktop-file-validate "$entry" || fail "desktop-file-validate rejects $entry"
    grep -qx 'StartupWMClass=Kestrune' "$entry" || fail "the entry names another window class"
    grep -qx 'Categories=Game;ArcadeGame;' "$entry" || fail "the entry's categories differ"
    appstreamcli validate --no-net "$1/share/metainfo/$app_id.metainfo.xml" ||
        fail "appstreamcli rejects the metainfo"
    grep -q '<screenshot type="default">' "$1/share/metainfo/$app_id.metainfo.xml" ||
        fail "the metainfo shows no screenshot"
    local warnings
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 \
        "$1/share/man/man6/kestrune.6.gz" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "the man page: $warnings"
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
        check_files "$work/files"
        check_desktop_files "$prefix"
        play "$prefix/bin/kestrune"
        [ ! -e "$prefix/share/kestrune/media/options.kvz" ] || fail "the game wrote into its media folder"
        ;;
    package)
        cpack -G DEB -B "$work/package" --config "$build/CPackConfig.cmake" >"$work/cpack.log" 2>&1 ||
            fail "cpack failed: $(cat "$work/cpack.log")"
        deb=$(echo "$work"/package/kestrune_*.deb)
        [ -f "$deb" ] || fail "cpack made no kestrune_*.deb"
        dpkg-deb -c "$deb" | awk '/^-/ { print $6 }' | sed 's|^\./usr/||' >"$work/files"
        check_files "$work/files"
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
        play "$root/bin/kestrune"
        [ ! -e "$root/share/kestrune/media/options.kvz" ] || fail "the game wrote into its media folder"
        if [ -n "$installed" ]; then
            apt-get remove --purge -y -q kestrune >"$work/remove.log" 2>&1 ||
                fail "apt-get remove failed: $(cat "$work/remove.log")"
            installed=""
            ! dpkg-query -W -f='${Status}' kestrune 2>/dev/null | grep -q 'ok installed' ||
                fail "kestrune is still installed"
            [ ! -e /usr/bin/kestrune ] && [ ! -e /usr/share/kestrune ] ||
                fail "the removal left files behind"
        fi
        ;;
    *)
        fail "usage: $0 prefix|package BUILD X_PROBE ARTEFACT_FOLDER"
        ;;
esac
echo "install check ($mode): all steps passed"
