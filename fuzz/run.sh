#!/usr/bin/env bash
# Runs every fuzz target of a build tree configured with -DQUORVANE_FUZZ=ON: each seed
# once in full, then fuzzing for a bounded time (seconds per target, 45 unless given).
# A crash, a sanitizer report, a hang or a broken expectation fails the run and leaves
# the input in <build>/fuzz-findings/; once the fault is mended, that input belongs in
# fuzz/corpus/<target>/ for good.
set -euo pipefail
build=$(cd "$1" && pwd)
seconds=${2:-45}
root=$(cd "$(dirname "$0")/.." && pwd)
work=$build/fuzz-run
findings=$build/fuzz-findings
rm -rf "$work" "$findings"
mkdir -p "$work/tmp" "$work/generated" "$findings"
# The targets' working folders go here, so that nothing is left in /tmp after a crash.
export TMPDIR=$work/tmp
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1

# Too big to keep in git: a 1 MB line of digits, then a regular keyframe line.
{
    head -c 1048576 /dev/zero | tr '\0' '7'
    printf '\r\n'
    head -n 1 "$root/examples/FirstTone.qrv"
} >"$work/generated/one-megabyte-line"

passed=0 failed=0
for seeds in "$root"/fuzz/corpus/*/; do
    target=$(basename "$seeds")
    program=$build/fuzz/fuzz_$target
    echo "== fuzz_$target: seeds, then ${seconds}s of fuzzing"
    mkdir -p "$work/corpus/$target"
    # Fuzzing reads at most -max_len bytes of each seed; here every seed runs whole.
    if ! "$program" -timeout=60 -artifact_prefix="$findings/$target-" \
        "$seeds"* "$work/generated/"* >"$work/$target-seeds.log" 2>&1; then
        tail -n 40 "$work/$target-seeds.log"
        failed=$((failed + 1))
        continue
    fi
    if ! "$program" -max_total_time="$seconds" -max_len=16384 -timeout=10 \
        -artifact_prefix="$findings/$target-" -print_final_stats=1 \
        "$work/corpus/$target" "$seeds" "$work/generated" >"$work/$target.log" 2>&1; then
        tail -n 40 "$work/$target.log"
        failed=$((failed + 1))
        continue
    fi
    passed=$((passed + 1))
    grep -E '^stat::(number_of_executed_units|new_units_added|peak_rss_mb)' "$work/$target.log" |
        tr -s ' \n' ' '
    echo
done
if [ "$failed" -ne 0 ]; then
    echo "Fuzzing found faults; the inputs are in $findings:" >&2
    ls "$findings" >&2
fi
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
