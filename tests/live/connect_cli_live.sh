#!/usr/bin/env bash
# dbtwin test-connection on the Firebird server and on an embedded file: the server's
# description and status 0; a wrong password, a refused port, a missing database and a
# malformed URL give status 2 with the server's (or the parser's) message and no password.
#   connect_cli_live.sh <dbtwin> <work folder>
set -euo pipefail
export LC_ALL=C.UTF-8
dbtwin=${1:?dbtwin}
work=${2:?work folder}
server=firebird
# shellcheck source=tests/live/live_env.sh
source "$(dirname "${BASH_SOURCE[0]}")/live_env.sh"

rm -rf "$work"
mkdir -p "$work"
db=conn_cli_$$
isql() { limit "$step" isql-fb -q -user "$user" -password "$password" "$@"; }
cleanup() { printf 'DROP DATABASE;\n' | isql "$host/$port:$dir/$db.fdb" >/dev/null 2>&1 || true; }
trap 'live_exit cleanup' EXIT
step="create $db"
printf "CREATE DATABASE '%s';\n" "$host/$port:$dir/$db.fdb" | isql >"$work/client.log" 2>&1 \
  || { echo "FAILED: cannot create $db"; cat "$work/client.log"; exit 1; }
failures=0
fail() { echo "FAILED: $1"; [[ -f ${2:-} ]] && cat "$2"; failures=$((failures + 1)); }

# run <expected status> <expected text> <url> [env...]: runs dbtwin test-connection.
run() {
  local want=$1 text=$2 url=$3 status=0
  shift 3
  step="test-connection $want"
  env "$@" timeout 60 "$dbtwin" test-connection "$url" >"$work/out" 2>&1 || status=$?
  [[ $status == "$want" ]] || fail "status $status, not $want, for ${url//$password/***}" "$work/out"
  grep -qF -- "$text" "$work/out" || fail "no '$text' for ${url//$password/***}" "$work/out"
  if [[ -n $password ]] && grep -qF -- "$password" "$work/out"; then fail "the password was printed"; fi
  if grep -qF -- "Wr0ng-pw" "$work/out"; then fail "the wrong password was printed"; fi
}

url="firebird://$user@$host:$port/$dir/$db.fdb"   # $dir is absolute: "//..."
run 0 "ODS version   : 12.0" "$url" DBTWIN_PASSWORD="$password"
run 0 "SQL Dialect   : 3" "$url" ISC_PASSWORD="$password"
run 2 "user name and password are not defined" "firebird://$user:Wr0ng-pw@$host:$port/$dir/$db.fdb"
run 2 "Unable to complete network request" "firebird://$user@$host:1/$dir/$db.fdb" DBTWIN_PASSWORD="$password"
run 2 "I/O error" "firebird://$user@$host:$port/$dir/conn_missing_$$.fdb" DBTWIN_PASSWORD="$password"
run 2 "the port '99999'" "firebird://$user:Wr0ng-pw@$host:99999/$dir/$db.fdb"
# Embedded: a file of our own, made by the embedded engine.
step="create the embedded database"
printf "CREATE DATABASE '%s';\n" "$work/emb.fdb" | isql >"$work/client.log" 2>&1 \
  || { fail "cannot create an embedded database" "$work/client.log"; }
run 0 "ODS version   : 12.0" "$work/emb.fdb" ISC_USER="$user"
run 0 "Database name : $work/emb.fdb" "firebird:$work/emb.fdb" ISC_USER="$user"

((failures == 0)) || exit 1
echo "PASSED"
