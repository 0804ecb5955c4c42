#!/usr/bin/env bash
# A wedged server must fail a live test in seconds, not hang it. Starts a private
# Firebird server (scripts/test-servers, own folder and port), stops it with SIGSTOP
# so that it accepts connections but never answers, and runs the first Firebird
# comparison scenario against it: once as usual (the first round trip times out) and
# once without that round trip (the first step times out). Each run must fail within
# 30 s with a message naming the server and the step.
#   wedge_live.sh <compare_probe> <work folder>
set -uo pipefail
export LC_ALL=C.UTF-8

probe=${1:?compare_probe}
work=${2:?work folder}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo_root=$(cd "$here/../.." && pwd)

skip() {
  if [[ ${CI:-} == true ]]; then echo "FAILED: $1"; exit 1; fi
  echo "SKIPPED: $1"
  exit 77
}
[[ $(id -u) == 0 ]] || skip "needs root to start a private Firebird server"
if ! command -v isql-fb >/dev/null || [[ ! -x /usr/sbin/firebird ]]; then
  skip "Firebird is not installed (run scripts/test-servers start)"
fi

rm -rf "$work"
mkdir -p "$work"
export DBTWIN_TEST_SERVERS_DIR=$work/servers
export DBTWIN_TEST_FIREBIRD_PORT=${DBTWIN_TEST_WEDGE_PORT:-13070}
servers() { "$repo_root/scripts/test-servers" "$@"; }
pid=""
finish() {
  [[ -n $pid ]] && kill -CONT "$pid" 2>/dev/null
  servers stop firebird >/dev/null 2>&1
}
trap finish EXIT

servers start firebird >"$work/start.log" 2>&1 || { echo "FAILED: cannot start the private server:"; cat "$work/start.log"; exit 1; }
# shellcheck source=/dev/null
source "$DBTWIN_TEST_SERVERS_DIR/env.sh"
pid=$(cat "$DBTWIN_TEST_SERVERS_DIR/fb/firebird.pid")
kill -STOP "$pid"

passed=0
failed=0
# run <name> <expected message> [VAR=value...]: the scenario must fail within 30 s
# and say <expected message>.
run() {
  local name=$1 expected=$2 start rc=0 took out
  shift 2
  start=$SECONDS
  out=$(env "$@" CI=true timeout -k 5 90 bash "$here/compare_live.sh" tables firebird "$probe" "$work/$name" 2>&1) || rc=$?
  took=$((SECONDS - start))
  if ((rc != 0 && rc != 124 && took < 30)) && grep -qF -- "$expected" <<<"$out"; then
    echo "ok - $name: failed after $took s: $(grep -m1 -F -- "$expected" <<<"$out")"
    passed=$((passed + 1))
  else
    echo "FAIL - $name: exit $rc after $took s (wanted a failure within 30 s saying '$expected'); output:"
    printf '%s\n' "$out" | sed 's/^/    /' | head -n 30
    failed=$((failed + 1))
  fi
}
run first_connection "firebird (127.0.0.1:$DBTWIN_TEST_FIREBIRD_PORT) gave no answer within"
run first_step "gave no answer within 20 s to: create database" DBTWIN_LIVE_NO_PING=1

echo "$passed passed, $failed failed"
((failed == 0))
