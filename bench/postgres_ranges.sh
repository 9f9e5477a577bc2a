#!/usr/bin/env bash
# The range dialogs and the window's listing on a PostgreSQL server holding a million other calendar days:
# `calendatt add-range` of 32767 days, `calendatt delete-range` of the same days, and `calendatt list` of
# one day of 1000 rows, each against the very statements the program sent (taken from the server's log)
# replayed by psql in the same run, one autocommitted statement at a time with synchronous_commit = off, as
# the program commits them. The tables have no statistics beyond what the server gathers by itself. The
# server is a throwaway one
# that waits for the disk at each commit (scripts/with-postgres.sh with CALENDATT_PG_DURABLE=1), or with
# CALENDATT_PG_DURABLE= (empty) one that does not, which shows the CPU cost alone.
#
#   bench/postgres_ranges.sh [BUILD_DIR] [RUNS]      (default build/default, 3 runs)
#   CALENDATT_BENCH_NO_JOURNAL=1 bench/postgres_ranges.sh ...   (without the journal's trigger)
#
# Prints, per run and operation: wall seconds of the program and of psql, their ratio, the program's user
# CPU seconds and peak memory.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ -z "${CALENDATT_TEST_PG:-}" ] || [ -z "${CALENDATT_TEST_PG_LOG:-}" ]; then
  export CALENDATT_PG_DURABLE="${CALENDATT_PG_DURABLE-1}"
  exec scripts/with-postgres.sh bench/postgres_ranges.sh "$@"
fi

build="${1:-build/default}"
runs="${2:-3}"
cli="$build/calendatt"
[ -x "$cli" ] || { echo "no $cli: build the calendatt target first" >&2; exit 1; }

admin="$CALENDATT_TEST_PG"
db="${admin/\/postgres\?//calendatt_bench?}"
log="$CALENDATT_TEST_PG_LOG"
work="$(mktemp -d /tmp/calendatt-bench-XXXXXX)"
trap 'rm -rf "$work"' EXIT

sql() { psql -X -q -v ON_ERROR_STOP=1 "$@"; }

sql "$admin" -c "DROP DATABASE IF EXISTS calendatt_bench" -c "CREATE DATABASE calendatt_bench"
"$cli" init --db "$db" --demo >/dev/null
# A million other days of company 1: 1000 links on 100 nodes, 1000 consecutive days each.
sql "$db" <<'SQL'
INSERT INTO PD0G_DISBAPROG (PD0G_IDDISBAPROG, PD0G_DITTA_CG18, PD0G_CODPROG_PD68, PD0G_CODNODO_PD0C)
  SELECT 3000 + n, 1, 'PRJBIG', 'B' || n FROM generate_series(0, 99) n;
INSERT INTO PD0H_LEGDISBAPROG (PD0H_IDLEGAME, PD0H_IDDISBAPROG_PD0G, PD0H_CODATTIVITA_PD0D, PD0H_DATAINIZPIAN,
                               PD0H_DATAFINPIAN)
  SELECT 5000 + l, 3000 + l / 10, 'A' || l, '2000-01-01', '2003-12-31' FROM generate_series(0, 999) l;
INSERT INTO PD4G_CALENDATT (PD4G_DITTA_CG18, PD4G_IDDISBAPROG_PD0G, PD4G_IDLEGAME_PD0H, PD4G_DATAATTIVITA,
                            PD4G_ANNOATTIVITA, PD4G_MESEATTIVITA, PD4G_GGATTIVITA, PD4G_ORAINIZIO,
                            PD4G_MININIZIO, PD4G_ORAFINE, PD4G_MINFINE, PD4G_DURATAORE, PD4G_DURATAMINUTI)
  SELECT 1, 3000 + l / 10, 5000 + l, d, extract(year FROM d), extract(month FROM d), extract(day FROM d),
         0, 0, 8, 0, 8, 0
  FROM generate_series(0, 999) l, LATERAL (SELECT date '2000-01-01' + i AS d FROM generate_series(0, 999) i) days;
-- The measured activity, planned over a century on PRJ002 / M01.
INSERT INTO PD0D_ATTIVITA (PD0D_DITTA_CG18, PD0D_CODATTIVITA, PD0D_DESCRIZIONE) VALUES (1, 'BENCH', 'Misura');
INSERT INTO PD0H_LEGDISBAPROG (PD0H_IDLEGAME, PD0H_IDDISBAPROG_PD0G, PD0H_CODATTIVITA_PD0D, PD0H_DATAINIZPIAN,
                               PD0H_DATAFINPIAN) VALUES (1100, 201, 'BENCH', '1950-01-01', '2049-12-31');
SQL
# CALENDATT_BENCH_NO_JOURNAL=1: the same without the journal's trigger, to show what the journal costs.
[ -z "${CALENDATT_BENCH_NO_JOURNAL:-}" ] || sql "$db" -c "DROP TRIGGER TR_PD4G_GIORNALE ON PD4G_CALENDATT"
# Every statement the program sends goes to the server's log, one record a statement.
sql "$admin" -c "ALTER SYSTEM SET log_line_prefix = '@@'" -c "SELECT pg_reload_conf()" >/dev/null
sql "$admin" -c "ALTER DATABASE calendatt_bench SET log_statement = 'all'"

# The statements the server logged since byte $1 of its log, as a psql script: each statement with its
# parameters (a prepared statement's values, logged after it) put back in place of $1, $2, ...; the
# program's DEALLOCATE of a prepared statement is left out.
statements_since() {
  tail -c +"$(($1 + 1))" "$log" | awk '
    function flush() { if (text != "" && text !~ /\$[0-9]/ && text !~ /^DEALLOCATE/) print text ";"; text = "" }
    function put_back(s,   n, k, i, c, v, vals) {
      n = 0
      while (match(s, /^\$[0-9]+ = /)) {
        k = substr(s, 2, RLENGTH - 4) + 0
        s = substr(s, RLENGTH + 1)
        if (substr(s, 1, 4) == "NULL") {
          v = "NULL"; s = substr(s, 5)
        } else {
          v = "\047"
          for (i = 2; i <= length(s); i++) {
            c = substr(s, i, 1)
            if (c == "\047" && substr(s, i + 1, 1) == "\047") { v = v c c; i++; continue }
            v = v c
            if (c == "\047") break
          }
          s = substr(s, i + 1)
        }
        gsub(/[\\&]/, "\\\\&", v)
        vals[k] = v
        if (k > n) n = k
        sub(/^, /, "", s)
      }
      for (k = n; k >= 1; k--) gsub("\\$" k, vals[k], text)
    }
    /^@@LOG:  (execute [^:]*|statement): / { flush(); sub(/^@@LOG:  (execute [^:]*|statement): /, ""); text = $0; keep = 1; next }
    /^@@DETAIL:  parameters: / { sub(/^@@DETAIL:  parameters: /, ""); put_back($0); keep = 0; next }
    /^@@/ { flush(); keep = 0; next }
    { if (keep) text = text "\n" $0 }
    END { flush() }'
}

measure() {  # label, command...: prints "wall user peak_kib" of the command
  /usr/bin/time -f "%e %U %M" -o "$work/time" "${@}" >/dev/null 2>"$work/stderr" || {
    cat "$work/stderr" >&2
    return 1
  }
  cat "$work/time"
}

key="PD4G_DITTA_CG18 = 1 AND PD4G_IDDISBAPROG_PD0G = 201 AND PD4G_IDLEGAME_PD0H = 1100"
range=(--called --project PRJ002 --node M01 --activity BENCH --from 1950-01-01 --to 2039-09-17 --every 1)
refill="INSERT INTO PD4G_CALENDATT (PD4G_DITTA_CG18, PD4G_IDDISBAPROG_PD0G, PD4G_IDLEGAME_PD0H, PD4G_DATAATTIVITA,
  PD4G_ANNOATTIVITA, PD4G_MESEATTIVITA, PD4G_GGATTIVITA, PD4G_ORAINIZIO, PD4G_MININIZIO, PD4G_ORAFINE, PD4G_MINFINE,
  PD4G_DURATAORE, PD4G_DURATAMINUTI) SELECT 1, 201, 1100, d, extract(year FROM d), extract(month FROM d),
  extract(day FROM d), 0, 0, 8, 0, 8, 0 FROM (SELECT date '1950-01-01' + i AS d FROM generate_series(0, 32766) i) s"

report() {  # operation, program figures, psql figures
  read -r pw pu pm <<<"$2"
  read -r rw _ _ <<<"$3"
  printf '%-14s calendatt %7.2f s wall %6.2f s user %7d KiB peak | psql %7.2f s | ratio %.2f\n' \
    "$1" "$pw" "$pu" "$pm" "$rw" "$(echo "$pw / $rw" | bc -l)"
}

for run in $(seq 1 "$runs"); do
  echo "== run $run"
  sql "$db" -c "DELETE FROM PD4G_CALENDATT WHERE $key" 2>/dev/null
  at=$(stat -c %s "$log")
  gen=$(measure "$cli" add-range --db "$db" "${range[@]}" --hours 8 --minutes 0 --existing stop --yes)
  sleep 1
  statements_since "$at" >"$work/generate.sql"
  [ "$(sql "$db" -At -c "SELECT COUNT(*) FROM PD4G_CALENDATT WHERE $key")" = 32767 ] || { echo "generation incomplete" >&2; exit 1; }
  sql "$db" -c "DELETE FROM PD4G_CALENDATT WHERE $key"
  gen_raw=$(PGOPTIONS="-c synchronous_commit=off" measure psql -X -q -o /dev/null "$db" -f "$work/generate.sql")
  report "add-range" "$gen" "$gen_raw"

  at=$(stat -c %s "$log")
  del=$(measure "$cli" delete-range --db "$db" "${range[@]}" --yes)
  sleep 1
  statements_since "$at" >"$work/delete.sql"
  [ "$(sql "$db" -At -c "SELECT COUNT(*) FROM PD4G_CALENDATT WHERE $key")" = 0 ] || { echo "deletion incomplete" >&2; exit 1; }
  sql "$db" -c "$refill"
  del_raw=$(PGOPTIONS="-c synchronous_commit=off" measure psql -X -q -o /dev/null "$db" -f "$work/delete.sql")
  report "delete-range" "$del" "$del_raw"

  at=$(stat -c %s "$log")
  list=$(measure "$cli" list --db "$db" --day 2001-06-15 --format csv)
  sleep 1
  statements_since "$at" >"$work/list.sql"
  list_raw=$(PGOPTIONS="-c synchronous_commit=off" measure psql -X -q -o /dev/null "$db" -f "$work/list.sql")
  report "list one day" "$list" "$list_raw"
done
echo "statements per run: add-range $(grep -c ';$' "$work/generate.sql"), delete-range" \
  "$(grep -c ';$' "$work/delete.sql"), list $(grep -c ';$' "$work/list.sql")"
