#!/usr/bin/env bash
# scripts/run builds what the program needs and nothing else: its build step names the
# programs' targets, not the whole tree; none of the commands ninja runs for them builds
# a test, a benchmark or the code they share; the programs the script starts are built.
#
#   check-run-build-step.sh SCRIPTS_RUN BUILD_FOLDER NINJA
set -euo pipefail
run_script=$1 build=$2 ninja=$3

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

step_line=$("$run_script" --print-build-step)
eval "step=($step_line)"
[ "${step[0]##*/}" = cmake ] && [ "${step[1]}" = --build ] ||
    fail "the build step is not a cmake build: $step_line"

targets=()
for ((i = 2; i < ${#step[@]}; ++i)); do
    [ "${step[i]}" = --target ] || continue
    for target in "${step[@]:i+1}"; do
        [[ $target == -* ]] && break
        targets+=("$target")
    done
done
[ ${#targets[@]} -gt 0 ] || fail "the build step builds the whole tree: $step_line"
for target in "${targets[@]}"; do
    [[ $target =~ ^(all|tst_|bench_) ]] && fail "the build step names $target"
done

commands=$("$ninja" -C "$build" -t commands "${targets[@]}")
tests=$(grep -oE '\b(tst|bench)_[A-Za-z0-9_]+' <<<"$commands" | sort -u || true)
[ -z "$tests" ] || fail "building ${targets[*]} builds tests or benchmarks: $(echo $tests)"
# The code they share (test benches, recorded lines) stays out too.
source=$(cd "$(dirname "$run_script")/.." && pwd)
shared=$(grep -oE "(^| |$source/)(tests|bench)/[^ ]+" <<<"$commands" | head -3 || true)
[ -z "$shared" ] || fail "building ${targets[*]} builds test or benchmark code: $(echo $shared)"
for program in lumaret lumaret-board update; do
    grep -qE -- "-o bin/$program( |$)" <<<"$commands" ||
        fail "building ${targets[*]} does not link bin/$program"
done
echo "scripts/run builds ${targets[*]}: $(wc -l <<<"$commands") commands, no test or benchmark"
