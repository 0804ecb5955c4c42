#!/usr/bin/env bash
# Convergence table on Firebird through the dbtwin command. Every folder of <pairs> holds a
# master.sql and a target.sql (and optionally data.sql: rows loaded into the target, and
# check.sql: a query whose output must be the same before and after the change; options: more
# arguments of dbtwin compare, blank-separated). Per pair:
# both scripts are loaded into fresh databases, `dbtwin compare` writes the script that turns
# the target into the master, the server's client applies it, the server's extract of the
# changed target must equal the master's, and comparing the master script with that extract
# must find no differences.
#   convergence_live.sh <dbtwin> <pairs folder> <known failures file> <work folder> [live]
# With "live" both comparisons read the two databases (master and target) live instead of
# the scripts: the script that turns the target database into the master database is applied
# as written (it connects to the target itself), and a second live comparison must be empty.
# The known failures file lists "<pair> <reason>" lines: those pairs still run and are
# reported, but do not fail the test; one of them that passes fails it, so the list stays
# true. DBTWIN_CONV_PAIRS="a b" runs only the named pairs.
set -euo pipefail
export LC_ALL=C.UTF-8
dbtwin=${1:?dbtwin}
pairs=${2:?pairs folder}
known_file=${3:?known failures file}
work=${4:?work folder}
mode=${5:-script}
server=firebird
# shellcheck source=tests/live/live_env.sh
source "$(dirname "${BASH_SOURCE[0]}")/live_env.sh"

# The client reads the credentials from its environment, so they stay off command lines.
export ISC_USER=$user ISC_PASSWORD=$password
rm -rf "$work"
mkdir -p "$work"

path() { echo "$host/$port:$dir/$1.fdb"; }
url() { echo "firebird://$user@$host:$port/$dir/$1.fdb"; }
isql() { limit "$step" isql-fb -q -ch UTF8 "$@"; }
isql_script() { limit_script "$step" isql-fb -q -ch UTF8 "$@"; }
drop_db() { printf 'DROP DATABASE;\n' | isql "$(path "$1")" >/dev/null 2>&1 || true; }
# The databases of the pair that runs (a pair runs in a subshell; its databases are named here).
current=()
cleanup() { for d in "${current[@]}"; do drop_db "$d"; done; }
trap 'live_exit cleanup' EXIT

declare -A known=()
if [[ -f $known_file ]]; then
  while read -r name reason; do
    [[ -z $name || $name == \#* ]] && continue
    known[$name]=${reason:-listed}
  done <"$known_file"
fi

# The server's extract, completed with what it leaves out: which indices are inactive.
extract() {
  limit_script "$step" isql-fb -x "$(path "$1")"
  printf '%s\n' 'SET LIST ON;' "SELECT 'ALTER INDEX \"' || TRIM(RDB\$INDEX_NAME) || '\" INACTIVE;' AS S FROM RDB\$INDICES" \
    'WHERE RDB$INDEX_INACTIVE = 1 AND COALESCE(RDB$SYSTEM_FLAG, 0) = 0 ORDER BY RDB$INDEX_NAME;' |
    isql "$(path "$1")" | sed -n 's/^S  *//p'
}
# The extract compared: without the CREATE DATABASE line and comments, which name the file,
# and as a sorted list of statements, since the server writes objects of a kind in the order
# they were made (a view the script recreated comes after one it created).
filtered() {
  grep -v -e 'CREATE DATABASE' -e '^/\*' "$1" | awk '
    /^SET TERM \^ ;/ { term = "^" } /^SET TERM ; \^/ { term = "" }
    { stmt = stmt $0 "\x01" }
    (term == "^" && /\^[[:space:]]*$/) || (term == "" && /;[[:space:]]*$/) || /^[[:space:]]*$/ {
      if (stmt !~ /^[[:space:]\x01]*$/) print stmt; stmt = "" }
    END { if (stmt != "") print stmt }' | LC_ALL=C sort | tr '\001' '\n'
}
# Query output compared before and after: list form, trailing blanks dropped.
query() { { echo 'SET LIST ON;'; cat "$2"; } | isql_script "$(path "$1")" 2>&1 | sed -e 's/[[:space:]]*$//'; }

# run_pair <name> <folder> <work>: prints nothing and returns 0 when the pair converges;
# otherwise prints the failed step and its evidence and returns 1.
run_pair() {
  local name=$1 src=$2 w=$3 t=${current[0]} m=${current[1]} status d opts=()
  [[ -f $src/options ]] && read -r -a opts <"$src/options"
  mkdir -p "$w"
  say() { echo "step: $1"; [[ -f ${2:-} ]] && head -n "${3:-60}" "$2" | sed 's/^/    /'; return 1; }
  for d in "$t" "$m"; do
    step="create $d"
    printf "CREATE DATABASE '%s' DEFAULT CHARACTER SET UTF8;\n" "$(path "$d")" | isql >>"$w/client.log" 2>&1 ||
      say "create database $d" "$w/client.log" || return 1
  done
  step="$name: load target.sql"
  isql_script -bail -i "$src/target.sql" "$(path "$t")" >"$w/target.log" 2>&1 || say "load target.sql" "$w/target.log" || return 1
  if [[ -f $src/data.sql ]]; then
    step="$name: load data.sql"
    isql_script -bail -i "$src/data.sql" "$(path "$t")" >"$w/data.log" 2>&1 || say "load data.sql" "$w/data.log" || return 1
  fi
  if [[ -f $src/check.sql ]]; then
    step="$name: query before"
    query "$t" "$src/check.sql" >"$w/before.txt"
  fi
  step="$name: load master.sql"
  isql_script -bail -i "$src/master.sql" "$(path "$m")" >"$w/master.log" 2>&1 || say "load master.sql" "$w/master.log" || return 1

  step="$name: dbtwin compare"
  status=0
  if [[ $mode == live ]]; then
    limit_script "$step" "$dbtwin" compare "$(url "$m")" "$(url "$t")" --target-version firebird-3.0 "${opts[@]}" \
      -o "$w/diff.sql" 2>"$w/compare.err" || status=$?
  else
    "$dbtwin" compare "$src/master.sql" "$src/target.sql" --kind firebird --target-version firebird-3.0 "${opts[@]}" \
      -o "$w/diff.sql" 2>"$w/compare.err" || status=$?
  fi
  [[ $status == 1 ]] || { cat "$w/diff.sql" >>"$w/compare.err" 2>/dev/null; say "dbtwin compare exited $status, not 1" "$w/compare.err"; } || return 1
  step="$name: apply the comparison script"
  # A script made for a database connects to it itself.
  local on=("$(path "$t")")
  [[ $mode == live ]] && on=()
  if ! isql_script -bail -i "$w/diff.sql" "${on[@]}" >"$w/apply.log" 2>&1; then
    say "applying diff.sql stopped with an error" "$w/apply.log" 20
    say "(diff.sql)" "$w/diff.sql" 120
    return 1
  fi

  step="$name: extract of the changed target"
  extract "$t" >"$w/changed.sql"
  step="$name: extract of the master"
  extract "$m" >"$w/master.sql"
  if ! diff -u <(filtered "$w/master.sql") <(filtered "$w/changed.sql") >"$w/extract.diff"; then
    say "the changed target's extract differs from the master's" "$w/extract.diff" 80
    say "(diff.sql)" "$w/diff.sql" 120
    return 1
  fi
  if [[ -f $src/check.sql ]]; then
    step="$name: query after"
    query "$t" "$src/check.sql" >"$w/after.txt"
    diff -u "$w/before.txt" "$w/after.txt" >"$w/rows.diff" || say "rows of the target changed" "$w/rows.diff" || return 1
  fi

  step="$name: dbtwin compare with the extract"
  status=0
  # (to standard output, which gets a script only when something differs)
  if [[ $mode == live ]]; then
    limit_script "$step" "$dbtwin" compare "$(url "$m")" "$(url "$t")" --target-version firebird-3.0 "${opts[@]}" \
      >"$w/again.sql" 2>"$w/again.err" || status=$?
  else
    "$dbtwin" compare "$src/master.sql" "$w/changed.sql" --kind firebird --target-version firebird-3.0 "${opts[@]}" \
      >"$w/again.sql" 2>"$w/again.err" || status=$?
  fi
  if [[ $status != 0 || -s $w/again.sql ]]; then
    cat "$w/again.sql" >>"$w/again.err" 2>/dev/null || true
    say "comparing master.sql with the changed target's extract exited $status, not 0 with an empty script" "$w/again.err"
    return 1
  fi
  return 0
}

passed=0 failed=0 known_failed=0 bad=()
names=()
if [[ -n ${DBTWIN_CONV_PAIRS:-} ]]; then
  read -r -a names <<<"$DBTWIN_CONV_PAIRS"
else
  for d in "$pairs"/*/; do names+=("$(basename "$d")"); done
fi
for name in "${!known[@]}"; do
  [[ -d $pairs/$name ]] || { echo "FAILED: $known_file lists $name, which is no pair"; bad+=("$name"); }
done
start=$SECONDS
for name in "${names[@]}"; do
  pair_start=$SECONDS
  current=("conv_${name}_t_$$" "conv_${name}_m_$$")
  if out=$(run_pair "$name" "$pairs/$name" "$work/$name" 2>&1); then
    if [[ -n ${known[$name]:-} ]]; then
      echo "FAIL    $name: listed as known failing but converges now; take it off $(basename "$known_file")"
      bad+=("$name")
    else
      echo "pass    $name ($((SECONDS - pair_start)) s)"
    fi
    passed=$((passed + 1))
  else
    is_wedged && { wedge_note; exit 1; }
    if [[ -n ${known[$name]:-} ]]; then
      echo "known   $name: ${known[$name]}"
      known_failed=$((known_failed + 1))
    else
      echo "FAIL    $name"
      bad+=("$name")
      failed=$((failed + 1))
    fi
    printf '%s\n' "$out" | sed 's/^/    /'
  fi
  step="drop the databases of $name"
  cleanup
  current=()
done
echo "${#names[@]} pairs: $passed converged, $failed failed, $known_failed known failing ($((SECONDS - start)) s)"
if ((${#bad[@]})); then
  echo "FAILED: ${bad[*]}"
  exit 1
fi
