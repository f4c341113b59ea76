#!/usr/bin/env bash
# The cluster helpers of scripts/pg.sh: a throwaway cluster listens on its socket only, takes
# connections with libpq's default user, and is stopped when its script ends, also after a
# failure; a persistent one is reused by a second start.
set -uo pipefail
ROOT="$(cd "$(dirname "$0")/../.." && pwd)"
WORK="$(mktemp -d /tmp/causali-pg-test.XXXXXX)"
chmod 755 "$WORK"
# Whatever happens, no server is left running and the folder goes.
cleanup() {
  for pid_file in "$WORK"/*/data/postmaster.pid "$WORK"/home/causali/pg/data/postmaster.pid \
      "$WORK"/open/pg/data/postmaster.pid; do
    [ -f "$pid_file" ] && kill "$(head -n 1 "$pid_file")" 2>/dev/null
  done
  sleep 1
  rm -rf "$WORK"
}
trap cleanup EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# A script that starts a throwaway cluster in $1, records where, and ends with status $2.
throwaway() {
  bash -c 'set -euo pipefail; source "$1/scripts/pg.sh"; pg_throwaway_cluster "$2"
           echo "$PG_DATA" >"$2.data"; echo "$PG_SOCKET" >"$2.socket"
           psql -h "$PG_SOCKET" -d postgres -tAc "SHOW listen_addresses" >"$2.listen"
           pg_create_database "$PG_SOCKET" causali_x
           pg_create_database "$PG_SOCKET" causali_x
           psql -h "$PG_SOCKET" -d causali_x -tAc "SELECT current_database()" >"$2.db"
           exit "$3"' _ "$ROOT" "$1" "$2"
}

throwaway "$WORK/ok" 0 || fail "the throwaway cluster did not start"
[ "$(cat "$WORK/ok.listen" 2>/dev/null)" = "" ] && [ -f "$WORK/ok.listen" ] \
  || fail "listen_addresses is not empty: $(cat "$WORK/ok.listen" 2>/dev/null)"
[ "$(cat "$WORK/ok.db" 2>/dev/null)" = "causali_x" ] || fail "the database was not created once"
[ ! -f "$(cat "$WORK/ok.data")/postmaster.pid" ] || fail "the cluster runs after its script"

throwaway "$WORK/failed" 3
[ $? -eq 3 ] || fail "the script's own status was not kept"
[ -f "$WORK/failed.data" ] && [ ! -f "$(cat "$WORK/failed.data")/postmaster.pid" ] \
  || fail "the cluster runs after its script failed"

# The persistent cluster: started, reused by a second start, stopped on demand.
persistent() {
  XDG_DATA_HOME="$WORK/home" HOME="$WORK/home" bash -c \
    'set -euo pipefail; source "$1/scripts/pg.sh"; '"$1"'; echo "$PG_DATA"' _ "$ROOT"
}
data="$(persistent pg_persistent_cluster)" || fail "the persistent cluster did not start"
pid="$(head -n 1 "$data/postmaster.pid" 2>/dev/null)"
[ -n "$pid" ] || fail "the persistent cluster does not run after its script"
persistent pg_persistent_cluster >/dev/null || fail "the persistent cluster was not reused"
[ "$(head -n 1 "$data/postmaster.pid" 2>/dev/null)" = "$pid" ] || fail "a second server started"
persistent pg_persistent_cluster_stop >/dev/null
[ ! -f "$data/postmaster.pid" ] || fail "the persistent cluster did not stop"

# As root, a data folder the postgres user cannot reach (root's own home) moves the cluster to a
# folder it can reach.
if [ "$(id -u)" -eq 0 ]; then
  mkdir -p "$WORK/closed" && chmod 700 "$WORK/closed"
  moved="$(PG_ROOT_FOLDER="$WORK/open/pg" XDG_DATA_HOME="$WORK/closed" bash -c \
    'set -euo pipefail; source "$1/scripts/pg.sh"; pg_persistent_cluster; echo "$PG_DATA"
     pg_cluster_stop "$PG_DATA"' _ "$ROOT")" || fail "the cluster did not start as root"
  [ "$moved" = "$WORK/open/pg/data" ] || fail "the cluster was not moved out of reach: $moved"
fi

[ $failures -eq 0 ] && echo "pg cluster helpers: all checks passed"
exit $failures
