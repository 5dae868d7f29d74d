#!/usr/bin/env bash
# The bash completion of quidora-cli, driven as bash drives it: commands, options and their
# values, and account names as quidora-cli reports them (a stand-in on PATH prints the CSV the
# real one writes, with names that hold spaces, commas, quotes and shell syntax).
#   completion_test.sh COMPLETION-FILE
set -uo pipefail
completion=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

mkdir "$work/bin"
cat >"$work/bin/quidora-cli" <<'STAND_IN'
#!/bin/sh
[ "$*" = "accounts --format csv" ] || exit 1
cat <<'CSV'
account,balance
Cash,1.00
My Bank,2.00
"Rent, flat",3.00
"Say ""hi""",-4.00
$(touch PWNED),5.00
CSV
STAND_IN
chmod +x "$work/bin/quidora-cli"
cd "$work" || exit 1
export PATH="$work/bin:$PATH"

source /usr/share/bash-completion/bash_completion
source "$completion"

failures=0
# Completes the words given (the last one being typed) and compares the candidates, one a line
# and sorted, with the expected ones.
expect() {
  local expected=$1
  shift
  COMP_WORDS=("$@")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMP_LINE="${COMP_WORDS[*]}"
  COMP_POINT=${#COMP_LINE}
  COMPREPLY=()
  _quidora_cli quidora-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
  local got
  got=$(printf '%s\n' "${COMPREPLY[@]}" | sort)
  if [ "$got" != "$(printf '%s\n' "$expected" | sort)" ]; then
    echo "FAILED: ${COMP_WORDS[*]}|: expected [$expected], got [$got]" >&2
    failures=$((failures + 1))
  fi
}

expect $'backup\nbackups' quidora-cli b
expect $'--help\n--version' quidora-cli --
expect $'--date-form\n--descending' quidora-cli export --d
expect $'table\ncsv\njson' quidora-cli accounts --format ""
expect $'quidora\nofx\nqfx\nqif\ncsv' quidora-cli import x.ofx --format ""
expect $'0\n1\n2\n3' quidora-cli export Cash out.csv --date-form ""
expect $'Cash\nMy Bank\nRent, flat\nSay "hi"\n$(touch PWNED)' quidora-cli records ""
expect $'My Bank' quidora-cli categories M
expect $'My Bank' quidora-cli categories 'My\ B'
expect $'Say "hi"' quidora-cli import x.qif --account Say
# The second operand of export is a file; no account is offered there.
touch cash.csv
expect $'cash.csv' quidora-cli export Cash ca
if [ -e PWNED ]; then
  echo "FAILED: an account name was run as a command" >&2
  failures=$((failures + 1))
fi
[ $failures -eq 0 ] && echo "completion: every case passed"
exit $((failures > 0))
