#!/usr/bin/env bash
# The whole test suite again under AddressSanitizer and
# UndefinedBehaviorSanitizer (GUI tests included, offscreen), then a bounded
# fuzz run of both programs' user actions, starting from fuzz/corpus.
# Called by scripts/test.sh after the normal suite.
#
#   KELVORA_FUZZ_SECONDS   length of the fuzz run in seconds (default 60)
#   KELVORA_ASAN_BUILD     build folder of the sanitizer suite (default build-asan)
#   KELVORA_FUZZ_BUILD     build folder of the fuzz target (default build-fuzz)
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh
root=$PWD
asan_dir=${KELVORA_ASAN_BUILD:-build-asan}
fuzz_dir=${KELVORA_FUZZ_BUILD:-build-fuzz}
seconds=${KELVORA_FUZZ_SECONDS:-60}
jobs=2

# Any report fails the run. Leaks are ours to fix; the few that the window
# system's libraries keep for the life of the process are listed, with the
# reason, in tests/sanitizers/lsan.supp.
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:check_initialization_order=1:strict_init_order=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$root/tests/sanitizers/lsan.supp:print_suppressions=0"

echo "== sanitizer suite ($asan_dir)"
cmake -S . -B "$asan_dir" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ \
  -DKELVORA_SANITIZE=ON -DKELVORA_BUILD_GUI=ON -DKELVORA_BUILD_TESTS=ON >/dev/null
cmake --build "$asan_dir" -j"$jobs"
# The GUI walk goes four times as far here as in the plain suite.
# A skipped test makes the stage skipped, after the fuzzing has run.
suite=0
QT_QPA_PLATFORM=offscreen LANG=ja_JP.UTF-8 KELVORA_GUI_WALK_STEPS=1000 run_ctest "$asan_dir" || suite=$?
[ "$suite" -eq 0 ] || [ "$suite" -eq 77 ] || exit "$suite"

echo "== fuzzing user actions for ${seconds}s ($fuzz_dir)"
cmake -S . -B "$fuzz_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DKELVORA_SANITIZE=ON -DKELVORA_FUZZ=ON -DKELVORA_BUILD_GUI=OFF -DKELVORA_BUILD_TESTS=OFF >/dev/null
cmake --build "$fuzz_dir" -j"$jobs" --target user_actions_fuzzer
# New inputs go to a working folder; the corpus in the repository is only read.
mkdir -p "$fuzz_dir/corpus" "$fuzz_dir/crashes"
# Every input saves into a temporary folder of its own; in memory the many
# small saves (each synced to disk) do not wait for the disk.
fuzz_tmp=$(mktemp -d /dev/shm/kelvora-fuzz.XXXXXX 2>/dev/null || mktemp -d)
trap 'rm -rf "$fuzz_tmp"' EXIT
TMPDIR=$fuzz_tmp "$fuzz_dir/user_actions_fuzzer" "$fuzz_dir/corpus" fuzz/corpus \
  -dict=fuzz/user_actions.dict -max_total_time="$seconds" -timeout=30 -rss_limit_mb=2048 \
  -max_len=4096 -print_final_stats=1 -artifact_prefix="$fuzz_dir/crashes/"
[ "$suite" -eq 0 ] || exit 77
