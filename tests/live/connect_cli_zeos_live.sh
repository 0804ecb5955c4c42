#!/usr/bin/env bash
# dbtwin test-connection on the PostgreSQL or MariaDB server: the server's version and
# status 0; a refused port, a missing database, a failed login and a malformed URL give
# status 2 with the server's (or the parser's) message and no password.
#   connect_cli_zeos_live.sh postgres|mysql <dbtwin> <work folder>
set -euo pipefail
export LC_ALL=C.UTF-8
server=${1:?server}
dbtwin=${2:?dbtwin}
work=${3:?work folder}
# shellcheck source=tests/live/live_env.sh
source "$(dirname "${BASH_SOURCE[0]}")/live_env.sh"
trap 'live_exit true' EXIT

rm -rf "$work"
mkdir -p "$work"
failures=0
fail() { echo "FAILED: $1"; [[ -f ${2:-} ]] && cat "$2"; failures=$((failures + 1)); }

# run <expected status> <expected text> <url> [env...]: runs dbtwin test-connection.
run() {
  local want=$1 text=$2 url=$3 status=0
  shift 3
  env "$@" timeout 60 "$dbtwin" test-connection "$url" >"$work/out" 2>&1 || status=$?
  local shown=$url
  [[ -n $password ]] && shown=${url//$password/***}
  [[ $status == "$want" ]] || fail "status $status, not $want, for $shown" "$work/out"
  grep -qF -- "$text" "$work/out" || fail "no '$text' for $shown" "$work/out"
  if [[ -n $password ]] && grep -qF -- "$password" "$work/out"; then fail "the password was printed"; fi
  if grep -qF -- "Wr0ng-pw" "$work/out"; then fail "the wrong password was printed"; fi
}

if [[ $server == postgres ]]; then
  base="postgresql://$user@$host:$port"
  run 0 "PostgreSQL 15" "$base/postgres" DBTWIN_PASSWORD="$password"
  run 0 "PostgreSQL 15" "$base/postgres?application_name=pgmy&sslmode=disable" DBTWIN_PASSWORD="$password"
  run 2 "Connection refused" "postgresql://$user@$host:1/postgres"
  run 2 'database "pgmy_missing_db" does not exist' "$base/pgmy_missing_db"
  run 2 'role "pgmy_nobody" does not exist' "postgresql://pgmy_nobody:Wr0ng-pw@$host:$port/postgres"
  run 2 "is not a libpq keyword" "$base/postgres?bad-key=1"
else
  base="mysql://$user@$host:$port"
  run 0 "MySQL 10.11" "$base/mysql" DBTWIN_PASSWORD="$password"
  run 2 "Can't connect" "mysql://$user@$host:1/mysql"
  run 2 "Unknown database 'pgmy_missing_db'" "$base/pgmy_missing_db"
  run 2 "Access denied" "mysql://$user:Wr0ng-pw@$host:$port/mysql"
  run 2 "the port '99999'" "mysql://$user:Wr0ng-pw@$host:99999/mysql"
fi
((failures == 0)) || exit 1
echo "OK"
