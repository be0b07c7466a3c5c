#!/usr/bin/env bash
# Shows that the same commit gives the same bytes wherever and whenever it is
# built: the game's media and its Debian package.
#
#   tools/check-reproducible.sh [BUILD]
#
# BUILD (build/ by default, as tools/test.sh leaves it) is one build of the
# committed HEAD. The script clones HEAD into a fresh folder of another name
# and builds there, later, under another time zone and umask, only what the
# package holds (the game, the media generator, the release notes), then
# makes the package from both builds and compares the media and the .deb
# byte for byte. Reusing BUILD keeps the cost to one build of the game and
# two runs of cpack.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
first=$(realpath "${1:-build}")

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

[ -f "$first/CMakeCache.txt" ] || fail "no build in $first: run tools/test.sh first"
[ -z "$(git status --porcelain)" ] ||
    fail "the working tree differs from HEAD: commit first, the second build is made from HEAD"
build_type=$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$first/CMakeCache.txt")
targets=(kestrune media icons release_notes)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
start=$(date +%s)
cmake --build "$first" -j"$(nproc)" --target "${targets[@]}" >"$work/first.log" ||
    fail "the first build failed: $(cat "$work/first.log")"

git clone -q --no-local "$root" "$work/another-checkout"
git -C "$work/another-checkout" checkout -q --detach "$(git rev-parse HEAD)"
second=$work/another-checkout/out-of-the-way
(
    umask 002
    export TZ=Pacific/Kiritimati
    cmake -S "$work/another-checkout" -B "$second" -DCMAKE_BUILD_TYPE="$build_type" >"$work/second.log"
    cmake --build "$second" -j"$(nproc)" --target "${targets[@]}" >>"$work/second.log"
) || fail "the second build failed: $(cat "$work/second.log")"

media_hashes() {  # media_hashes BUILD
    (cd "$1/media" && find . -type f ! -name .generated | LC_ALL=C sort | xargs sha256sum)
}
package() {  # package BUILD FOLDER: the path of the .deb made
    cpack -G DEB -B "$2" --config "$1/CPackConfig.cmake" >"$2.log" 2>&1 ||
        fail "cpack failed: $(cat "$2.log")"
    echo "$2"/kestrune_*.deb
}

media_hashes "$first" >"$work/first.media"
media_hashes "$second" >"$work/second.media"
diff "$work/first.media" "$work/second.media" >"$work/media.diff" ||
    fail "the media differ between the builds:
$(cat "$work/media.diff")"

first_deb=$(package "$first" "$work/first-package")
second_deb=$(package "$second" "$work/second-package")
if ! cmp -s "$first_deb" "$second_deb"; then
    # Where they differ: the members' listings, then the files' contents.
    for side in first second; do
        deb=${side}_deb
        dpkg-deb -c "${!deb}" >"$work/$side.list"
        dpkg-deb -R "${!deb}" "$work/$side-root"
    done
    diff "$work/first.list" "$work/second.list" || true
    diff -r "$work/first-root" "$work/second-root" || true
    fail "the packages differ: $(sha256sum "$first_deb" "$second_deb")"
fi
echo "$(wc -l <"$work/first.media") media files and the package are the same in both builds:"
sha256sum "$first_deb" | sed "s|$work/first-package/||"
echo "the second build and both packages took $(($(date +%s) - start)) s"
