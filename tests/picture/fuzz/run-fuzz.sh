#!/usr/bin/env bash
# Fuzzes the picture decoders for a bounded time: builds the libFuzzer target with clang (ASan and
# UBSan) in its own build tree, writes the seed corpus and runs the fuzzer over it. The corpus it
# grows is kept in the build tree for the next run; crashing inputs are saved under findings/.
#
# Usage: tests/picture/fuzz/run-fuzz.sh [seconds of fuzzing, default 50]
# Environment: FUZZ_BUILD_DIR (default <repository>/build-fuzz).
# Exits 0 when clang or libFuzzer is missing (nothing to run), non-zero on a finding.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../../.." && pwd)
seconds=${1:-50}
dir=${FUZZ_BUILD_DIR:-$root/build-fuzz}

if ! command -v clang++ >/dev/null 2>&1; then
    echo "run-fuzz: clang++ not found, picture fuzzing skipped"
    exit 0
fi
probe=$(mktemp -d)
trap 'rm -rf "$probe"' EXIT
echo 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char *, unsigned long) { return 0; }' \
    > "$probe/probe.cpp"
if ! clang++ -fsanitize=fuzzer "$probe/probe.cpp" -o "$probe/probe" >/dev/null 2>&1; then
    echo "run-fuzz: clang has no libFuzzer (package libclang-rt-14-dev), picture fuzzing skipped"
    exit 0
fi

gen=()
[ -f "$dir/CMakeCache.txt" ] || gen=(-G Ninja)
cmake -S "$here" -B "$dir" "${gen[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$dir" --parallel 2

rm -rf "$dir/seeds"
"$dir/tabvale-fuzz-picture-seeds" "$dir/seeds"
mkdir -p "$dir/corpus" "$dir/findings"
"$dir/tabvale-fuzz-picture" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 \
    -max_len=65536 -print_final_stats=1 -artifact_prefix="$dir/findings/" \
    "$dir/corpus" "$dir/seeds"
