# Shared start of the live test scripts (sourced): picks the connection variable of the
# server named in $server, skips (exit 77) when it is missing — or fails when CI=true —
# checks the server's command-line client, and sets host, port, user, password, dbname, dir
# from its "key=value" pairs.
case $server in
  firebird) var=DBTWIN_TEST_FIREBIRD client=isql-fb ;;
  postgres) var=DBTWIN_TEST_POSTGRES client=psql ;;
  mysql) var=DBTWIN_TEST_MYSQL client=mariadb ;;
  *) echo "unknown server $server" >&2; exit 2 ;;
esac

if [[ -z ${!var:-} ]]; then
  msg="$var is not set (run scripts/test-servers start and source build/test-servers/env.sh)"
  if [[ ${CI:-} == true ]]; then
    echo "FAILED: $msg" >&2
    exit 1
  fi
  echo "SKIPPED: $msg"
  exit 77
fi
command -v "$client" >/dev/null || { echo "FAILED: $client is not installed" >&2; exit 1; }

# shellcheck disable=SC2034  # used by the scripts that source this file
host=127.0.0.1 port="" user="" password="" dbname="" dir=""
for kv in ${!var}; do
  case ${kv%%=*} in
    host) host=${kv#*=} ;;
    port) port=${kv#*=} ;;
    user) user=${kv#*=} ;;
    password) password=${kv#*=} ;;
    dbname) dbname=${kv#*=} ;;
    dir) dir=${kv#*=} ;;
  esac
done

# Timeouts. Every client call of the live scripts runs under one, so a server that
# accepts connections but no longer answers fails the test in seconds with a message
# that names the server and the step, instead of blocking it until the test's own
# limit. DBTWIN_LIVE_PING_TIMEOUT bounds the first round trip of a test,
# DBTWIN_LIVE_CALL_TIMEOUT each short call, DBTWIN_LIVE_SCRIPT_TIMEOUT a whole script.
ping_timeout=${DBTWIN_LIVE_PING_TIMEOUT:-10}
call_timeout=${DBTWIN_LIVE_CALL_TIMEOUT:-20}
script_timeout=${DBTWIN_LIVE_SCRIPT_TIMEOUT:-60}
# A call that timed out leaves its message here (calls may run in subshells); the
# test's exit trap then skips its cleanup, which would only wait again.
wedge_file=$(mktemp "${TMPDIR:-/tmp}/dbtwin-live-wedge.XXXXXX")
is_wedged() { [[ -s $wedge_file ]]; }
# The exit trap of a live test: its cleanup <command> unless the server is wedged.
live_exit() {
  is_wedged || "$@"
  rm -f "$wedge_file"
}

# bounded <seconds> <step> <command...>: runs the command under the timeout; when it
# runs out, reports which server and step did not answer.
bounded() {
  local seconds=$1 what=$2 rc=0 msg
  shift 2
  timeout -k 2 "$seconds" "$@" || rc=$?
  if ((rc == 124 || rc == 137)); then
    msg="$server ($host:$port) gave no answer within $seconds s to: $what"
    echo "$msg" >>"$wedge_file"
    echo "TIMEOUT: $msg" >&2
  fi
  return "$rc"
}
limit() { bounded "$call_timeout" "$@"; }
limit_script() { bounded "$script_timeout" "$@"; }

# wedge_note: prints the first timeout (if any) as the reason of a failure.
wedge_note() { if is_wedged; then echo "FAILED: $(head -n1 "$wedge_file")"; fi; }

# The first round trip: the server answers at all, before any step of the test.
case $server in
  firebird) ping_cmd=(fbsvcmgr "$host/$port:service_mgr" -user "$user" -password "$password" info_server_version) ;;
  postgres) ping_cmd=(env PGPASSWORD="$password" psql -X -q -h "$host" -p "$port" -U "$user" -d "$dbname" -tAc 'select 1') ;;
  mysql) ping_cmd=(env MYSQL_PWD="$password" mariadb --no-defaults --default-character-set=utf8mb4 -h "$host" -P "$port" -u "$user" -N -e 'select 1') ;;
esac
# (DBTWIN_LIVE_NO_PING=1 leaves it out, so that the timeouts of the steps can be tested.)
if [[ ${DBTWIN_LIVE_NO_PING:-} != 1 ]] && ! ping_out=$(bounded "$ping_timeout" "the first connection" "${ping_cmd[@]}" 2>&1); then
  if grep -q '^TIMEOUT:' <<<"$ping_out"; then
    echo "FAILED: $server ($host:$port) gave no answer within $ping_timeout s to the first connection (server wedged?)"
  else
    echo "FAILED: $server ($host:$port) refused the first connection:"
    printf '%s\n' "$ping_out" | sed 's/^/    /'
  fi
  rm -f "$wedge_file"
  exit 1
fi
unset ping_out ping_cmd
