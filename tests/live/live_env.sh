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
