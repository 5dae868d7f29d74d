#!/usr/bin/env bash
# Runs every libFuzzer target of a fuzz build for a bounded time each.
#   scripts/fuzz.sh [build dir]      (default build-fuzz; FUZZ_SECONDS per target, default 60)
# Corpora grow under <build dir>/corpus/<target>; a finding is written next to it as crash-*
# and the script fails.
set -euo pipefail
cd "$(dirname "$0")/.."
dir="${1:-build-fuzz}"
seconds="${FUZZ_SECONDS:-60}"

mapfile -t targets < <(find "$dir/fuzz" -type f -perm -u+x -name '*_fuzz' | sort)
if ((${#targets[@]} == 0)); then
  echo "fuzz: no targets under $dir/fuzz (build with the fuzz preset first)" >&2
  exit 2
fi

failed=()
for target in "${targets[@]}"; do
  name="$(basename "$target")"
  corpus="$dir/corpus/$name"
  artifacts="$dir/findings/$name/"
  mkdir -p "$corpus" "$artifacts"
  echo "fuzz: $name for ${seconds}s"
  if ! "$target" -max_total_time="$seconds" -print_final_stats=1 \
      -artifact_prefix="$artifacts" "$corpus" 2>"$dir/findings/$name.log"; then
    failed+=("$name")
    tail -n 30 "$dir/findings/$name.log" >&2
  fi
  grep -E '^stat::number_of_executed_units|^stat::new_units_added' "$dir/findings/$name.log" || true
done

if ((${#failed[@]})); then
  echo "fuzz: FAILED: ${failed[*]} (inputs in $dir/findings/)" >&2
  exit 1
fi
echo "fuzz: all ${#targets[@]} targets ran ${seconds}s without a finding"
