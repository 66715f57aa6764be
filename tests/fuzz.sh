#!/usr/bin/env bash
# Build the libFuzzer targets and run each from its seed corpus in fuzz/corpus
# for HREFGEN_FUZZ_SECONDS seconds (default 60 under CI, 10 elsewhere). The
# corpora grow in build/fuzz, and a finding lands in build/fuzz too.
#
# usage: tests/fuzz.sh
# Needs clang and libFuzzer (package libclang-rt-dev).
set -uo pipefail
cd "$(dirname "$0")/.." || exit
seconds=${HREFGEN_FUZZ_SECONDS:-$([ "${CI:-}" = true ] && echo 60 || echo 10)}

cmake --preset fuzz >/dev/null && cmake --build --preset fuzz || exit 1
for target in extractor run; do
	corpus=build/fuzz/corpus-$target
	mkdir -p "$corpus"
	echo "--- ${target}_fuzzer for $seconds s"
	build/fuzz/fuzz/${target}_fuzzer -max_total_time="$seconds" -print_final_stats=1 \
		-artifact_prefix=build/fuzz/ "$corpus" fuzz/corpus/$target >build/fuzz/$target.log 2>&1 || {
		tail -40 build/fuzz/$target.log
		exit 1
	}
	grep -E 'DONE|stat::number_of_executed_units' build/fuzz/$target.log
done
