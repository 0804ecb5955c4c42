#!/usr/bin/env bash
# Live check of the DDL export: the exported script of a set of tables holding every
# column type the server supports runs through the server's command-line client without
# an error, and afterwards the catalog holds every table.
#   export_live.sh <firebird|postgres|mysql> <export_probe> <work folder>
#
# Connection parameters: DBTWIN_TEST_FIREBIRD, DBTWIN_TEST_POSTGRES, DBTWIN_TEST_MYSQL
# ("key=value" pairs: host, port, user, password, dbname, dir). A missing variable skips
# (exit 77), or fails when CI=true.
set -euo pipefail
export LC_ALL=C.UTF-8 PGCLIENTENCODING=UTF8

server=${1:?server}
probe=${2:?export_probe}
work=${3:?work folder}

# shellcheck source=tests/live/live_env.sh
source "$(dirname "${BASH_SOURCE[0]}")/live_env.sh"

rm -rf "$work"
mkdir -p "$work"
script=$work/script.sql
tables=$work/tables.txt
actual=$work/actual.txt
log=$work/client.log
db=dbtwin_export_$$
step=""

cleanup() { :; }
trap 'live_exit cleanup' EXIT

fail() {
  wedge_note
  echo "FAILED: $server: $1"
  echo "Client messages (first 40 lines of $log):"
  head -n 40 "$log"
  exit 1
}

case $server in
  firebird)
    [[ -n $dir ]] || { echo "FAILED: $var has no dir=" >&2; exit 1; }
    fbdb="$host/$port:$dir/$db.fdb"
    isql() { limit "$step" isql-fb -q -ch UTF8 -user "$user" -password "$password" "$@"; }
    cleanup() { printf 'DROP DATABASE;\n' | isql "$fbdb" >/dev/null 2>&1 || true; }
    # The export's own header creates the database; it names the user but never the
    # password, which the client supplies.
    "$probe" firebird "$fbdb" "$user" "$password" >"$script" 2>"$tables"
    if [[ -n $password ]] && grep -qF -- "$password" "$script"; then fail "the exported script holds the password"; fi
    step="the exported script"
    { cat "$script"; printf 'COMMIT;\n'; } |
      limit_script "$step" isql-fb -q -ch UTF8 -user "$user" -password "$password" -bail >"$log" 2>&1 ||
      fail "the script stopped with an error"
    step="the catalog query"
    isql "$fbdb" >"$actual.raw" 2>>"$log" <<'EOF2' || fail "the catalog query failed"
SET HEADING OFF;
SELECT TRIM(TRAILING FROM RDB$RELATION_NAME) || '|' FROM RDB$RELATIONS WHERE COALESCE(RDB$SYSTEM_FLAG, 0) = 0;
SELECT 'commented:' || COUNT(*) || '|' FROM RDB$RELATIONS WHERE RDB$DESCRIPTION IS NOT NULL AND COALESCE(RDB$SYSTEM_FLAG, 0) = 0;
EOF2
    sed -n 's/ *|.*$//p' "$actual.raw" | grep -v '^commented:' >"$actual" || true
    commented=$(sed -n 's/^commented:\([0-9]*\).*/\1/p' "$actual.raw")
    ;;
  postgres)
    pg() { PGPASSWORD=$password limit "$step" psql -X -q -h "$host" -p "$port" -U "$user" -v ON_ERROR_STOP=1 "$@"; }
    step="create database $db"
    pg -d "$dbname" -c "CREATE DATABASE $db ENCODING 'UTF8' TEMPLATE template0" >/dev/null || fail "cannot create database $db"
    cleanup() { pg -d "$dbname" -c "DROP DATABASE IF EXISTS $db" >/dev/null 2>&1 || true; }
    "$probe" postgres "$db" "$user" >"$script" 2>"$tables"
    step="the exported script"
    pg -d "$db" -f "$script" >"$log" 2>&1 || fail "the script stopped with an error"
    step="the catalog query"
    pg -d "$db" -At -c "SELECT tablename FROM pg_tables WHERE schemaname = 'public' AND tableowner = '$user'" >"$actual" || fail "the catalog query failed"
    commented=$(pg -d "$db" -At -c "SELECT COUNT(*) FROM pg_description d JOIN pg_class c ON c.oid = d.objoid WHERE d.objsubid = 0 AND c.relkind = 'r' AND c.relnamespace = 'public'::regnamespace") || fail "the catalog query failed"
    ;;
  mysql)
    my() { MYSQL_PWD=$password limit "$step" mariadb --no-defaults --default-character-set=utf8mb4 -h "$host" -P "$port" -u "$user" "$@"; }
    step="create database $db"
    my -e "CREATE DATABASE $db CHARACTER SET utf8mb4" || fail "cannot create database $db"
    cleanup() { my -e "DROP DATABASE IF EXISTS $db" >/dev/null 2>&1 || true; }
    # The export's own header selects the database.
    "$probe" mysql "$db" >"$script" 2>"$tables"
    step="the exported script"
    my <"$script" >"$log" 2>&1 || fail "the script stopped with an error"
    step="the catalog query"
    my -N -B -e "SELECT TABLE_NAME FROM information_schema.TABLES WHERE TABLE_SCHEMA = '$db'" >"$actual" || fail "the catalog query failed"
    commented=$(my -N -B -e "SELECT COUNT(*) FROM information_schema.TABLES WHERE TABLE_SCHEMA = '$db' AND TABLE_COMMENT <> ''") || fail "the catalog query failed"
    ;;
esac

if grep -qiE 'error|warning' "$log"; then fail "the client reported errors"; fi
missing=$(comm -23 <(sort -u "$tables") <(sort -u "$actual"))
[[ -z $missing ]] || fail "tables not in the catalog: $(tr '\n' ' ' <<<"$missing")"
count=$(grep -c . "$tables")
[[ $commented == "$count" ]] || fail "$commented of $count tables carry their description"
echo "$server: exported script ran; all $count tables created with their descriptions."
