#!/usr/bin/env bash
# Runs every libFuzzer target of a fuzz build for a bounded time each.
#   scripts/fuzz.sh [build dir]      (default build-fuzz; FUZZ_SECONDS per target, default 60)
# Corpora grow under <build dir>/corpus/<target>; a finding is written next to it as crash-*
# and the script fails. It fails too when a target ends with fewer than FUZZ_MIN_EDGES covered
# edges (default 100): that is the fuzzer seeing only its own few lines, as when the code under
# test was built without coverage instrumentation. A target's dictionary (fuzz/**/<target>.dict)
# and seed inputs (fuzz/**/seeds/<target>/) are used when they exist.
set -euo pipefail
cd "$(dirname "$0")/.."
dir="${1:-build-fuzz}"
seconds="${FUZZ_SECONDS:-60}"
min_edges="${FUZZ_MIN_EDGES:-100}"

mapfile -t targets < <(find "$dir/fuzz" -type f -perm -u+x -name '*_fuzz' | sort)
if ((${#targets[@]} == 0)); then
  echo "fuzz: no targets under $dir/fuzz (build with the fuzz preset first)" >&2
  exit 2
fi

failed=()
flat=()
for target in "${targets[@]}"; do
  name="$(basename "$target")"
  corpus="$dir/corpus/$name"
  artifacts="$dir/findings/$name/"
  mkdir -p "$corpus" "$artifacts"
  extra=()
  dict="$(find fuzz -name "$name.dict" | head -n 1)"
  [[ -n "$dict" ]] && extra+=(-dict="$dict")
  seeds="$(find fuzz -type d -path "*/seeds/$name" | head -n 1)"
  echo "fuzz: $name for ${seconds}s${dict:+ with $dict}"
  # The first folder is the corpus that grows; the seeds are only read.
  if ! "$target" -max_total_time="$seconds" -print_final_stats=1 "${extra[@]}" \
      -artifact_prefix="$artifacts" "$corpus" ${seeds:+"$seeds"} 2>"$dir/findings/$name.log"; then
    failed+=("$name")
    tail -n 30 "$dir/findings/$name.log" >&2
  fi
  grep -E '^stat::number_of_executed_units|^stat::new_units_added' "$dir/findings/$name.log" || true
  # The last status line ("#N DONE cov: E ft: F ...") carries the edges covered.
  edges="$(grep -oE 'cov: [0-9]+' "$dir/findings/$name.log" | tail -n 1 | grep -oE '[0-9]+' || true)"
  echo "fuzz: $name covered ${edges:-no} edges"
  if [[ -z "$edges" ]] || ((edges < min_edges)); then
    flat+=("$name (${edges:-no} edges)")
  fi
done

if ((${#failed[@]})); then
  echo "fuzz: FAILED: ${failed[*]} (inputs in $dir/findings/)" >&2
  exit 1
fi
if ((${#flat[@]})); then
  echo "fuzz: FAILED: coverage stayed below $min_edges edges: ${flat[*]} (is the code under" \
    "test instrumented?)" >&2
  exit 1
fi
echo "fuzz: all ${#targets[@]} targets ran ${seconds}s without a finding"
