#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer on) and runs each for a while. By hand, not in CI.
#
#   tests/fuzz/run.sh [SECONDS] [TARGET...]
#
# SECONDS per target (default 600); targets: password_file number picture
# (default all). Builds into build-fuzz/; the corpora grow in
# build-fuzz/corpus/<target> (seeded from tests/fuzz/corpus/<target>); a crash
# leaves its input in build-fuzz/findings/<target>/. Prints the runs and the
# findings of each target at the end.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
seconds="${1:-600}"
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(password_file number picture)

if ! command -v clang++ >/dev/null; then
  echo "run.sh: needs clang (apt-get install clang)" >&2
  exit 1
fi
out="$root/build-fuzz"
mkdir -p "$out"

flags=(-std=c++20 -g -O1 -fPIC -fno-omit-frame-pointer
       -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined
       -I"$root/src")
# shellcheck disable=SC2207
qt_core=($(pkg-config --cflags --libs Qt6Core))
# shellcheck disable=SC2207
qt_gui=($(pkg-config --cflags --libs Qt6Core Qt6Gui))

build() {
  local name="$1"; shift
  echo "run.sh: building ${name}_fuzz"
  clang++ "${flags[@]}" "$@" -o "$out/${name}_fuzz"
}
for t in "${targets[@]}"; do
  case "$t" in
    password_file) build password_file "$root/tests/fuzz/password_file_fuzz.cpp" \
                     "$root/src/login/PasswordFile.cpp" "$root/src/pictures/FileAccess.cpp" "${qt_core[@]}" ;;
    number) build number "$root/tests/fuzz/number_fuzz.cpp" "$root/src/core/Numeric.cpp" "${qt_core[@]}" ;;
    picture) build picture "$root/tests/fuzz/picture_fuzz.cpp" \
               "$root/src/pictures/PictureFiles.cpp" "$root/src/pictures/PngEncoder.cpp" "$root/src/pictures/ImageMemory.cpp" "$root/src/core/CpuState.cpp" "$root/src/pictures/FileAccess.cpp" "${qt_gui[@]}" ;;
    *) echo "run.sh: no target $t" >&2; exit 2 ;;
  esac
done

export ASAN_OPTIONS="detect_leaks=1:allocator_may_return_null=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export QT_QPA_PLATFORM=offscreen
summary=()
for t in "${targets[@]}"; do
  corpus="$out/corpus/$t"
  findings="$out/findings/$t"
  mkdir -p "$corpus" "$findings"
  cp -n "$root/tests/fuzz/corpus/$t/"* "$corpus/" 2>/dev/null || true
  log="$out/$t.log"
  echo "run.sh: fuzzing $t for $seconds s (log: $log)"
  set +e
  # Pictures may claim up to 512 MB; a slow input is a finding above 20 s.
  "$out/${t}_fuzz" "$corpus" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=3072 \
      -malloc_limit_mb=3072 -max_len=65536 -artifact_prefix="$findings/" -print_final_stats=1 >"$log" 2>&1
  code=$?
  set -e
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo "?")
  found=$(find "$findings" -type f | wc -l)
  summary+=("$t: $runs runs, exit $code, $found findings in $findings")
done
printf 'run.sh: %s\n' "${summary[@]}"
