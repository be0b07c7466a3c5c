#!/usr/bin/env bash
# Builds everything once more with AddressSanitizer and UndefinedBehaviorSanitizer
# into build-sanitize/ and runs every test there. Any out-of-bounds access,
# use after free, undefined behaviour or leak fails the test that caused it.
# Warnings are errors, as in tools/test.sh.
#
#   tools/test-sanitized.sh           every test
#   tools/test-sanitized.sh --help    this text
set -euo pipefail
cd "$(dirname "$0")/.."
case "${1:-}" in
  "") ;;
  --help | -h)
    sed -n '2,9s/^# \{0,1\}//p' "$0"
    exit 0
    ;;
  *)
    echo "usage: $0 [--help]" >&2
    exit 2
    ;;
esac
tools/install-deps.sh
cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTRUNE_SANITIZE=ON -DKESTRUNE_WERROR=ON
cmake --build build-sanitize -j"$(nproc)"

# Leaks of the system libraries themselves, named in tools/lsan.supp (and for
# the end-to-end test, which runs the toolkit, tools/lsan-toolkit.supp); ours are
# all reported. Static initialisers must not read each other's objects.
export LSAN_OPTIONS="suppressions=$PWD/tools/lsan.supp:print_suppressions=0"
export ASAN_OPTIONS="check_initialization_order=1:strict_init_order=1:detect_stack_use_after_return=1"
# The build stops at the first undefined behaviour (-fno-sanitize-recover);
# the stack says where.
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
# The web page and the wasm replay are the browser's code, which these
# sanitizers do not see into: tools/test.sh runs them.
ctest --test-dir build-sanitize --output-on-failure -j"$(nproc)" -LE web -E '^golden_replay_wasm$'
