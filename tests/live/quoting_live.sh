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
export LC_ALL=C.UTF-8 PGCLIENTENCODING=UTF8

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
trap 'live_exit cleanup' EXIT
step=""
# A failed client call before the catalog is read ends the test with its reason.
fail() {
  wedge_note
  echo "FAILED: $server: $1"
  [[ -s $log ]] && { echo "Client messages (first 40 lines of $log):"; head -n 40 "$log"; }
  exit 1
}

case $server in
  firebird)
    [[ -n $dir ]] || { echo "FAILED: $var has no dir=" >&2; exit 1; }
    fbfile=$dir/$db.fdb
    fbdb="$host/$port:$fbfile"
    isql() { limit "$step" isql-fb -q -ch UTF8 -user "$user" -password "$password" "$@"; }
    cleanup() { printf 'DROP DATABASE;\n' | isql "$fbdb" >/dev/null 2>&1 || true; }
    "$probe" words | identifiers >"$words"
    step="create database $db"
    printf "SET SQL DIALECT 3;\nCREATE DATABASE '%s' DEFAULT CHARACTER SET UTF8;\n" "$fbdb" |
      isql >"$log" 2>&1 || fail "cannot create database $db"
    # One transaction for all statements: a refused name fails only its statement,
    # and one commit instead of one per table keeps the run short on a busy disk.
    {
      printf 'SET AUTODDL OFF;\n'
      "$probe" script firebird "$expected" <"$words"
      printf 'COMMIT;\n'
    } >"$script"
    step="the quoting script"
    limit_script "$step" isql-fb -q -ch UTF8 -user "$user" -password "$password" -i "$script" "$fbdb" \
      >>"$log" 2>&1 || ! is_wedged || fail "the quoting script did not finish"
    step="the catalog query"
    isql "$fbdb" >"$actual.raw" 2>>"$log" <<'EOF' || fail "the catalog query failed"
SET HEADING OFF;
SELECT TRIM(TRAILING FROM r.RDB$RELATION_NAME) || ASCII_CHAR(9) || TRIM(TRAILING FROM f.RDB$FIELD_NAME) || ASCII_CHAR(9)
FROM RDB$RELATIONS r JOIN RDB$RELATION_FIELDS f ON f.RDB$RELATION_NAME = r.RDB$RELATION_NAME
WHERE COALESCE(r.RDB$SYSTEM_FLAG, 0) = 0;
EOF
    # isql pads each row to the column width: keep what precedes the final tab.
    sed -n 's/\t *$//p' "$actual.raw" >"$actual"
    ;;
  postgres)
    pg() { PGPASSWORD=$password limit "$step" psql -X -q -h "$host" -p "$port" -U "$user" -v ON_ERROR_STOP=1 "$@"; }
    step="create database $db"
    pg -d "$dbname" -c "CREATE DATABASE $db ENCODING 'UTF8' TEMPLATE template0" >/dev/null || fail "cannot create database $db"
    cleanup() { pg -d "$dbname" -c "DROP DATABASE IF EXISTS $db" >/dev/null 2>&1 || true; }
    step="the keyword query"
    { pg -d "$db" -At -c "SELECT word FROM pg_get_keywords()"; "$probe" words; } | identifiers >"$words"
    is_wedged && fail "the keyword query did not finish"
    # Every keyword the server's own quote_ident quotes must be quoted by us as well.
    step="the quoted keyword query"
    pg -d "$db" -At -c "SELECT word FROM pg_get_keywords() WHERE quote_ident(word) <> word" |
      "$probe" mustquote postgres >"$work/mustquote.txt" ||
      { is_wedged && fail "the quoted keyword query did not finish"
        echo "FAILED: keywords the server quotes but Quote_Ident does not:"; cat "$work/mustquote.txt"; exit 1; }
    "$probe" script postgres "$expected" <"$words" >"$script"
    step="the quoting script"
    PGPASSWORD=$password limit_script "$step" psql -X -q -h "$host" -p "$port" -U "$user" -d "$db" -f "$script" >"$log" 2>&1 || ! is_wedged || fail "the quoting script did not finish"
    step="the catalog query"
    pg -d "$db" -At -F $'\t' -c \
      "SELECT table_name, column_name FROM information_schema.columns WHERE table_schema = 'public'" >"$actual" || fail "the catalog query failed"
    ;;
  mysql)
    my() { MYSQL_PWD=$password limit "$step" mariadb --no-defaults --default-character-set=utf8mb4 -h "$host" -P "$port" -u "$user" "$@"; }
    step="create database $db"
    my -e "CREATE DATABASE $db CHARACTER SET utf8mb4" || fail "cannot create database $db"
    cleanup() { my -e "DROP DATABASE IF EXISTS $db" >/dev/null 2>&1 || true; }
    step="the keyword view query"
    if my -N -B -e "SELECT 1 FROM information_schema.TABLES WHERE TABLE_SCHEMA = 'information_schema' AND TABLE_NAME = 'KEYWORDS'" | grep -q 1; then
      server_words="SELECT WORD FROM information_schema.KEYWORDS"
    else
      server_words="SELECT name FROM mysql.help_keyword"
    fi
    is_wedged && fail "the keyword view query did not finish"
    step="the keyword query"
    { my -N -B -e "$server_words"; "$probe" words; } | identifiers >"$words"
    is_wedged && fail "the keyword query did not finish"
    "$probe" script mysql "$expected" <"$words" >"$script"
    step="the quoting script"
    MYSQL_PWD=$password limit_script "$step" mariadb --no-defaults --default-character-set=utf8mb4 -h "$host" -P "$port" -u "$user" --force -D "$db" <"$script" >"$log" 2>&1 || ! is_wedged || fail "the quoting script did not finish"
    step="the catalog query"
    my -N -B -r -D "$db" -e \
      "SELECT TABLE_NAME, COLUMN_NAME FROM information_schema.COLUMNS WHERE TABLE_SCHEMA = DATABASE()" >"$actual" || fail "the catalog query failed"
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
