#!/usr/bin/env bash
# Build the libFuzzer targets and run each from its seed corpus in fuzz/corpus
# for HREFGEN_FUZZ_SECONDS seconds (default 30 under CI, 10 elsewhere). The
# corpora grow in build/fuzz, and a finding lands in build/fuzz too.
#
# usage: tests/fuzz.sh
# Needs clang and libFuzzer (package libclang-rt-dev).
set -uo pipefail
cd "$(dirname "$0")/.." || exit
seconds=${HREFGEN_FUZZ_SECONDS:-$([ "${CI:-}" = true ] && echo 30 || echo 10)}

cmake --preset fuzz >/dev/null && cmake --build --preset fuzz || exit 1
# Run the target $1, its output in build/fuzz/$1.log, shown whole when it
# finds something; with fuzz/$1.dict, the pieces of its inputs, where there is one.
fuzz() {
	local corpus=build/fuzz/corpus-$1 dict=()
	mkdir -p "$corpus"
	[ ! -f "fuzz/$1.dict" ] || dict=(-dict="fuzz/$1.dict")
	"build/fuzz/fuzz/$1_fuzzer" -max_total_time="$seconds" -print_final_stats=1 "${dict[@]}" \
		-artifact_prefix=build/fuzz/ "$corpus" "fuzz/corpus/$1" >"build/fuzz/$1.log" 2>&1
}
targets=(extractor run output)
# The targets side by side, sharing the cores.
echo "--- ${targets[*]/%/_fuzzer}, $seconds s each, side by side"
declare -A pids=() statuses=()
for target in "${targets[@]}"; do
	fuzz "$target" &
	pids[$target]=$!
done
for target in "${targets[@]}"; do
	wait "${pids[$target]}"
	statuses[$target]=$?
done
status=0
for target in "${targets[@]}"; do
	if [ "${statuses[$target]}" = 0 ]; then
		echo "--- ${target}_fuzzer:"
		grep -E 'DONE|stat::number_of_executed_units' "build/fuzz/$target.log"
	else
		tail -40 "build/fuzz/$target.log"
		status=1
	fi
done
exit $status
