#!/usr/bin/env bash
# Checks that C++ sources follow the root .clang-format, without changing them.
#
#   tools/check-format.sh          the files changed since the branch left main
#   tools/check-format.sh --all    every source file of the repository
#
# The base is $KESTRUNE_FORMAT_BASE, else main, else origin/main; with none of
# them (a shallow clone of one branch) there is nothing to compare and the
# check passes. CI checks the whole tree.
# Exit status 1 when a file needs formatting; `clang-format -i FILE` fixes it.
set -euo pipefail
cd "$(dirname "$0")/.."

case "${1:-}" in
  --all) mode=all ;;
  "") mode=changed ;;
  -h | --help)
    sed -n '2,10p' "$0" | sed 's/^# \{0,1\}//'
    exit 0
    ;;
  *)
    echo "usage: $0 [--all]" >&2
    exit 2
    ;;
esac

tools/install-deps.sh format

if [ "$mode" = all ]; then
  mapfile -t files < <(git ls-files '*.cpp' '*.h')
else
  base=""
  for candidate in ${KESTRUNE_FORMAT_BASE:-} main origin/main; do
    if git rev-parse --verify --quiet "$candidate^{commit}" >/dev/null; then
      base=$candidate
      break
    fi
  done
  if [ -z "$base" ]; then
    echo "check-format: no main branch to compare with; nothing checked"
    exit 0
  fi
  mapfile -t files < <(git diff --name-only --diff-filter=d "$(git merge-base "$base" HEAD)" -- '*.cpp' '*.h')
fi

if [ ${#files[@]} -eq 0 ]; then
  echo "check-format: no C++ file to check"
  exit 0
fi
echo "check-format: ${#files[@]} files"
clang-format --dry-run -Werror "${files[@]}"
