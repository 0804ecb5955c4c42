#!/usr/bin/env bash
# Live check of identifier quoting against a real server:
#   quoting_live.sh <firebird|postgres|mysql> <keyword_probe> <work folder>
#
# Every keyword the server reports (for Firebird 3, which has no keyword view: every word of
# the library's keyword tables and quoting lists), and every word of those tables, becomes a
# column name written the way Quote_Ident writes it; names needing quotes for other reasons
# (mixed case, blanks, quote characters, ...) become table and column names. All statements
# run in one script on a fresh database; afterwards the catalog must hold every table with
# exactly the name written. So a name left unquoted that the server refuses, and a quoted
# name that comes back different, both fail.
#
# Connection parameters: DBTWIN_TEST_FIREBIRD, DBTWIN_TEST_POSTGRES, DBTWIN_TEST_MYSQL
# ("key=value" pairs: host, port, user, password, dbname, dir). A missing variable skips
# (exit 77), or fails when CI=true.
set -euo pipefail
export LC_ALL=C

server=${1:?server}
probe=${2:?keyword_probe}
work=${3:?work folder}

# shellcheck source=tests/live/live_env.sh
source "$(dirname "${BASH_SOURCE[0]}")/live_env.sh"

rm -rf "$work"
mkdir -p "$work"
words=$work/words.txt
script=$work/script.sql
expected=$work/expected.txt
actual=$work/actual.txt
log=$work/client.log
db=dbtwin_quoting_$$

# Identifier-like words only (MariaDB also lists operators such as "<=>").
identifiers() { grep -E '^[A-Za-z_][A-Za-z0-9_$]*$' || true; }

cleanup() { :; }
trap 'cleanup' EXIT

case $server in
  firebird)
    [[ -n $dir ]] || { echo "FAILED: $var has no dir=" >&2; exit 1; }
    fbfile=$dir/$db.fdb
    fbdb="$host/$port:$fbfile"
    isql() { isql-fb -q -ch UTF8 -user "$user" -password "$password" "$@"; }
    cleanup() { printf 'DROP DATABASE;\n' | isql "$fbdb" >/dev/null 2>&1 || true; }
    "$probe" words | identifiers >"$words"
    {
      printf "SET SQL DIALECT 3;\nCREATE DATABASE '%s' USER '%s' PASSWORD '%s' DEFAULT CHARACTER SET UTF8;\n" \
        "$fbdb" "$user" "$password"
      "$probe" script firebird "$expected" <"$words"
      printf 'COMMIT;\n'
    } >"$script"
    isql-fb -q -ch UTF8 -i "$script" >"$log" 2>&1 || true
    isql "$fbdb" >"$actual.raw" 2>>"$log" <<'EOF'
SET HEADING OFF;
SELECT TRIM(TRAILING FROM r.RDB$RELATION_NAME) || ASCII_CHAR(9) || TRIM(TRAILING FROM f.RDB$FIELD_NAME) || ASCII_CHAR(9)
FROM RDB$RELATIONS r JOIN RDB$RELATION_FIELDS f ON f.RDB$RELATION_NAME = r.RDB$RELATION_NAME
WHERE COALESCE(r.RDB$SYSTEM_FLAG, 0) = 0;
EOF
    # isql pads each row to the column width: keep what precedes the final tab.
    sed -n 's/\t *$//p' "$actual.raw" >"$actual"
    ;;
  postgres)
    pg() { PGPASSWORD=$password psql -X -q -h "$host" -p "$port" -U "$user" -v ON_ERROR_STOP=1 "$@"; }
    pg -d "$dbname" -c "CREATE DATABASE $db ENCODING 'UTF8' TEMPLATE template0" >/dev/null
    cleanup() { pg -d "$dbname" -c "DROP DATABASE IF EXISTS $db" >/dev/null 2>&1 || true; }
    { pg -d "$db" -At -c "SELECT word FROM pg_get_keywords()"; "$probe" words; } | identifiers >"$words"
    # Every keyword the server's own quote_ident quotes must be quoted by us as well.
    pg -d "$db" -At -c "SELECT word FROM pg_get_keywords() WHERE quote_ident(word) <> word" |
      "$probe" mustquote postgres >"$work/mustquote.txt" ||
      { echo "FAILED: keywords the server quotes but Quote_Ident does not:"; cat "$work/mustquote.txt"; exit 1; }
    "$probe" script postgres "$expected" <"$words" >"$script"
    PGPASSWORD=$password psql -X -q -h "$host" -p "$port" -U "$user" -d "$db" -f "$script" >"$log" 2>&1 || true
    pg -d "$db" -At -F $'\t' -c \
      "SELECT table_name, column_name FROM information_schema.columns WHERE table_schema = 'public'" >"$actual"
    ;;
  mysql)
    my() { MYSQL_PWD=$password mariadb --no-defaults -h "$host" -P "$port" -u "$user" "$@"; }
    my -e "CREATE DATABASE $db CHARACTER SET utf8mb4"
    cleanup() { my -e "DROP DATABASE IF EXISTS $db" >/dev/null 2>&1 || true; }
    if my -N -B -e "SELECT 1 FROM information_schema.TABLES WHERE TABLE_SCHEMA = 'information_schema' AND TABLE_NAME = 'KEYWORDS'" | grep -q 1; then
      server_words="SELECT WORD FROM information_schema.KEYWORDS"
    else
      server_words="SELECT name FROM mysql.help_keyword"
    fi
    { my -N -B -e "$server_words"; "$probe" words; } | identifiers >"$words"
    "$probe" script mysql "$expected" <"$words" >"$script"
    my --force -D "$db" <"$script" >"$log" 2>&1 || true
    my -N -B -r -D "$db" -e \
      "SELECT TABLE_NAME, COLUMN_NAME FROM information_schema.COLUMNS WHERE TABLE_SCHEMA = DATABASE()" >"$actual"
    ;;
esac

cut -f1,2 "$expected" | sort -u >"$work/expected.sorted"
sort -u "$actual" >"$work/actual.sorted"
missing=$(comm -23 "$work/expected.sorted" "$work/actual.sorted")
statements=$(grep -c . "$expected")
if [[ -n $missing ]]; then
  echo "FAILED: $server: $(grep -c . <<<"$missing") of $statements names are not in the catalog as written."
  echo "Statements concerned:"
  while IFS= read -r pair; do
    grep -F -- "$pair"$'\t' "$expected" | head -n1 | cut -f3
  done <<<"$missing"
  echo "Client messages (first 40 lines of $log):"
  head -n 40 "$log"
  exit 1
fi
echo "$server: all $statements names created and found as written ($(grep -c . "$words") words checked)."
