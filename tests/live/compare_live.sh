#!/usr/bin/env bash
# End-to-end check of a comparison on a real server: the target schema is created in a
# fresh database from the library's export and the generated comparison script is run on
# it; the master schema is created in another fresh database; the server's own dump tool
# must then describe both databases alike.
#   compare_live.sh <firebird|postgres|mysql> <compare_probe> <work folder>
# Connection parameters as for the other live tests (DBTWIN_TEST_FIREBIRD, ...).
set -euo pipefail
export LC_ALL=C

server=${1:?server}
probe=${2:?compare_probe}
work=${3:?work folder}

# shellcheck source=tests/live/live_env.sh
source "$(dirname "${BASH_SOURCE[0]}")/live_env.sh"

rm -rf "$work"
mkdir -p "$work"
log=$work/client.log
a=dbtwin_cmp_a_$$ b=dbtwin_cmp_b_$$
cleanup() { :; }
trap 'cleanup' EXIT
fail() {
  echo "FAILED: $server: $1"
  echo "--- client messages:"; head -n 40 "$log"
  exit 1
}
# Runs one script file through the client, stopping at the first error.
run() { "$@" >>"$log" 2>&1 || fail "a script stopped with an error (see below)"; }

case $server in
  firebird)
    dba="$host/$port:$dir/$a.fdb" dbb="$host/$port:$dir/$b.fdb"
    isql() { isql-fb -q -ch UTF8 -bail "$@"; }
    cleanup() {
      for d in "$dba" "$dbb"; do
        printf 'DROP DATABASE;\n' | isql-fb -q -user "$user" -password "$password" "$d" >/dev/null 2>&1 || true
      done
    }
    "$probe" firebird target "$dba" "$user" "$password" >"$work/target.sql"
    "$probe" firebird diff "$dba" "$user" "$password" >"$work/diff.sql"
    "$probe" firebird master "$dbb" "$user" "$password" >"$work/master.sql"
    run isql -i "$work/target.sql"
    run isql -i "$work/diff.sql"
    run isql -i "$work/master.sql"
    refa=$dba refb=$dbb
    dump() { isql-fb -x -user "$user" -password "$password" "$1" | grep -v -e 'CREATE DATABASE' -e '^/\*' -e 'PAGE_SIZE' -e 'DEFAULT CHARACTER SET'; }
    ;;
  postgres)
    pg() { PGPASSWORD=$password psql -X -q -h "$host" -p "$port" -U "$user" -v ON_ERROR_STOP=1 "$@"; }
    for d in "$a" "$b"; do pg -d "$dbname" -c "CREATE DATABASE $d ENCODING 'UTF8' TEMPLATE template0" >/dev/null; done
    cleanup() { for d in "$a" "$b"; do pg -d "$dbname" -c "DROP DATABASE IF EXISTS $d" >/dev/null 2>&1 || true; done; }
    "$probe" postgres target "$a" >"$work/target.sql"
    "$probe" postgres diff "$a" >"$work/diff.sql"
    "$probe" postgres master "$b" >"$work/master.sql"
    run pg -d "$a" -f "$work/target.sql"
    run pg -d "$a" -f "$work/diff.sql"
    run pg -d "$b" -f "$work/master.sql"
    refa=$a refb=$b
    # \restrict lines carry a random key per dump.
    dump() { PGPASSWORD=$password pg_dump -h "$host" -p "$port" -U "$user" --schema-only --no-owner "$1" | grep -v -e '^--' -e '^$' -e '^\\restrict' -e '^\\unrestrict'; }
    ;;
  mysql)
    my() { MYSQL_PWD=$password mariadb --no-defaults -h "$host" -P "$port" -u "$user" "$@"; }
    for d in "$a" "$b"; do my -e "CREATE DATABASE $d CHARACTER SET utf8mb4"; done
    cleanup() { for d in "$a" "$b"; do my -e "DROP DATABASE IF EXISTS $d" >/dev/null 2>&1 || true; done; }
    "$probe" mysql target "$a" >"$work/target.sql"
    "$probe" mysql diff "$a" >"$work/diff.sql"
    "$probe" mysql master "$b" >"$work/master.sql"
    run my "$a" <"$work/target.sql"
    run my "$a" <"$work/diff.sql"
    run my "$b" <"$work/master.sql"
    refa=$a refb=$b
    dump() { MYSQL_PWD=$password mariadb-dump --no-defaults -h "$host" -P "$port" -u "$user" --no-data --skip-comments --skip-dump-date "$1"; }
    ;;
esac

if grep -qiE 'error' "$log"; then fail "the client reported errors"; fi
dump "$refa" >"$work/changed.dump"
dump "$refb" >"$work/master.dump"
grep -q 'T_KEEP\|t_keep' "$work/master.dump" || fail "the dump holds no table (dump tool failed?)"
if ! diff -u "$work/master.dump" "$work/changed.dump" >"$work/dump.diff"; then
  echo "FAILED: $server: the changed target differs from the master:"
  cat "$work/dump.diff"
  exit 1
fi
echo "$server: the comparison script turned the target into the master."
