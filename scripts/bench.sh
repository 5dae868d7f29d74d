#!/usr/bin/env bash
# Runs every benchmark binary of a bench build, prints its figures, then checks the bounds in
# bench/*/bounds.txt against the CPU times of this one run.
#   scripts/bench.sh [build dir]     (default build-bench)
# Extra arguments for Google Benchmark can be given in BENCH_ARGS.
set -euo pipefail
cd "$(dirname "$0")/.."
dir="${1:-build-bench}"
results="$dir/bench-results.csv"

mapfile -t binaries < <(find "$dir/bench" -type f -perm -u+x -name '*_bench' | sort)
if ((${#binaries[@]} == 0)); then
  echo "bench: no benchmarks under $dir/bench (build with the bench preset first)" >&2
  exit 2
fi

# One line per benchmark: name cpu-seconds counter=value ...
: >"$results"
for binary in "${binaries[@]}"; do
  echo "bench: $(basename "$binary")"
  # shellcheck disable=SC2086
  "$binary" ${BENCH_ARGS:-} --benchmark_format=console --benchmark_out_format=csv \
    --benchmark_out="$results.part"
  awk -F, '
    /^name,/ { for (i = 1; i <= NF; i++) { h = $i; gsub(/"/, "", h); col[i] = h }; started = 1; next }
    !started { next }
    {
      name = $1; gsub(/"/, "", name)
      unit = $5; scale = (unit == "ns") ? 1e-9 : (unit == "us") ? 1e-6 : (unit == "ms") ? 1e-3 : 1
      line = name " " ($4 * scale)
      for (i = 11; i <= NF; i++) if ($i != "") line = line " " col[i] "=" $i
      print line
    }' "$results.part" >>"$results"
  rm -f "$results.part"
done

echo
echo "bench: checks (CPU time, one run)"
status=0
for bounds in bench/*/bounds.txt; do
  [ -f "$bounds" ] || continue
  while read -r kind name other bound rest; do
    case "$kind" in ''|\#*) continue ;; esac
    # counter_ratio <benchmark> <baseline> <counter> <bound>: one counter of two benchmarks.
    counter=""
    if [ "$kind" = counter_ratio ]; then counter="$bound"; bound="$rest"; fi
    if ! verdict="$(awk -v kind="$kind" -v name="$name" -v other="$other" -v bound="$bound" \
        -v counterName="$counter" '
      { cpu[$1] = $2; for (i = 3; i <= NF; i++) { split($i, kv, "="); counter[$1, kv[1]] = kv[2] } }
      END {
        if (!(name in cpu)) { printf "MISSING %s", name; exit 1 }
        if (kind == "ratio") {
          if (!(other in cpu) || cpu[other] <= 0) { printf "MISSING %s", other; exit 1 }
          value = cpu[name] / cpu[other]
          text = sprintf("%s / %s = %.2f (bound %s)", name, other, value, bound)
        } else if (kind == "seconds") {
          value = cpu[name]
          text = sprintf("%s = %.3f s (bound %s s)", name, value, bound)
        } else if (kind == "counter_ratio") {
          if (!((name, counterName) in counter)) { printf "MISSING %s %s", name, counterName; exit 1 }
          if (!((other, counterName) in counter) || counter[other, counterName] <= 0) {
            printf "MISSING %s %s", other, counterName; exit 1
          }
          value = counter[name, counterName] / counter[other, counterName]
          text = sprintf("%s / %s %s = %.2f (bound %s)", name, other, counterName, value, bound)
        } else if (kind == "counter") {
          if (!((name, other) in counter)) { printf "MISSING %s %s", name, other; exit 1 }
          value = counter[name, other]
          text = sprintf("%s %s = %.1f (bound %s)", name, other, value, bound)
        } else { printf "UNKNOWN check %s", kind; exit 1 }
        printf "%s %s", (value <= bound + 0) ? "PASS" : "FAIL", text
        exit (value <= bound + 0) ? 0 : 1
      }' "$results")"; then
      status=1
    fi
    echo "  $verdict"
  done <"$bounds"
done
exit "$status"
