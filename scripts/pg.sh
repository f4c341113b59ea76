# Local PostgreSQL clusters for scripts/run --server and scripts/test. Sourced after lib.sh.
#
# A cluster is a data folder and a folder for its Unix socket; it listens on the socket only
# (listen_addresses=''), with trust authentication for local connections, and its superuser is
# named after the user running the script, so that libpq's default user name connects.
# As root the server programs run as the `postgres` user (PostgreSQL refuses to run as root):
# the folders then belong to postgres and must be reachable by it.

PG_BIN="${PG_BIN:-/usr/lib/postgresql/15/bin}"

# Runs a server program as the cluster's owner.
pg_as_owner() {
  if [ "$(id -u)" -eq 0 ]; then
    runuser -u postgres -- "$@"
  else
    "$@"
  fi
}

# True when the cluster's owner can enter folder $1 (and every folder above it).
pg_reachable() {
  if [ "$(id -u)" -eq 0 ]; then
    runuser -u postgres -- test -x "$1" 2>/dev/null
  else
    test -x "$1"
  fi
}

# Creates folder $1 (mode 700) owned by the cluster's owner.
pg_owned_folder() {
  mkdir -p "$1"
  chmod 700 "$1"
  if [ "$(id -u)" -eq 0 ]; then
    chown postgres:postgres "$1"
  fi
}

# pg_cluster_start DATA SOCKETDIR [OPTIONS]: initialises DATA when it holds no cluster yet, then
# starts the server unless it already runs, with OPTIONS added to its command line. The server's
# log is DATA/server.log.
pg_cluster_start() {
  local data="$1" socket="$2" options="${3:-}"
  if [ ${#socket} -gt 90 ]; then
    echo "pg: socket folder path too long for a Unix socket: $socket" >&2
    return 1
  fi
  mkdir -p "$(dirname "$data")" "$(dirname "$socket")"
  pg_owned_folder "$socket"
  if [ ! -f "$data/PG_VERSION" ]; then
    pg_owned_folder "$data"
    if ! pg_reachable "$data"; then
      echo "pg: the postgres user cannot reach $data" >&2
      return 1
    fi
    pg_as_owner "$PG_BIN/initdb" -D "$data" -U "$(id -un)" --auth=trust -E UTF8 \
      --locale=C.UTF-8 >"$(dirname "$data")/initdb.log" 2>&1 || {
      cat "$(dirname "$data")/initdb.log" >&2
      return 1
    }
  fi
  if pg_as_owner "$PG_BIN/pg_ctl" -D "$data" status >/dev/null 2>&1; then
    return 0
  fi
  pg_as_owner "$PG_BIN/pg_ctl" -D "$data" -l "$data/server.log" -w -t 60 \
    -o "-c listen_addresses='' -k $socket $options" start >/dev/null || {
    tail -n 20 "$data/server.log" >&2
    return 1
  }
}

# pg_cluster_stop DATA: stops the server of DATA when it runs.
pg_cluster_stop() {
  local data="$1"
  if [ -f "$data/postmaster.pid" ]; then
    pg_as_owner "$PG_BIN/pg_ctl" -D "$data" -m fast -w stop >/dev/null 2>&1 || true
  fi
}

# pg_create_database SOCKETDIR NAME: creates database NAME unless it exists.
pg_create_database() {
  local socket="$1" name="$2"
  if ! "$PG_BIN/psql" -h "$socket" -d postgres -tAc \
      "SELECT 1 FROM pg_database WHERE datname = '$name'" | grep -q 1; then
    "$PG_BIN/createdb" -h "$socket" "$name"
  fi
}

# pg_throwaway_cluster FOLDER: starts a fresh cluster in FOLDER (or, when the postgres user
# cannot reach FOLDER or its path is too long for a socket, in a new folder under /tmp) and stops
# and removes it when the script exits, also after a failure. Sets PG_DATA and PG_SOCKET.
# Nothing of it must survive a crash of the machine: it does not wait for the disk (the tests
# create and drop a database each).
pg_throwaway_cluster() {
  local folder="$1"
  mkdir -p "$folder"
  if ! pg_reachable "$folder" || [ ${#folder} -gt 80 ]; then
    folder="$(mktemp -d /tmp/causali-pg.XXXXXX)"
    chmod 755 "$folder"
  fi
  PG_DATA="$folder/data"
  PG_SOCKET="$folder/socket"
  pg_cluster_stop "$PG_DATA"
  rm -rf "$PG_DATA" "$PG_SOCKET"
  trap 'pg_cluster_stop "$PG_DATA"' EXIT
  trap 'exit 130' INT TERM
  pg_cluster_start "$PG_DATA" "$PG_SOCKET" "-c fsync=off -c synchronous_commit=off -c full_page_writes=off"
}

# The folder of the user's own cluster: in the program's data folder, beside its SQLite file
# (root's home is closed to the postgres user: as root, /var/lib/causali/pg, or PG_ROOT_FOLDER,
# when the postgres user cannot reach the data folder). Sets PG_DATA and PG_SOCKET.
pg_persistent_folders() {
  local folder="${XDG_DATA_HOME:-$HOME/.local/share}/causali/pg"
  mkdir -p "$folder"
  if [ "$(id -u)" -eq 0 ] && ! pg_reachable "$folder"; then
    folder="${PG_ROOT_FOLDER:-/var/lib/causali/pg}"
    mkdir -p "$folder"
  fi
  chmod 755 "$folder"
  PG_DATA="$folder/data"
  PG_SOCKET="$folder/socket"
}

# pg_persistent_cluster: starts (or reuses) the user's own cluster; it keeps running after the
# script. Sets PG_DATA and PG_SOCKET.
pg_persistent_cluster() {
  pg_persistent_folders
  pg_cluster_start "$PG_DATA" "$PG_SOCKET"
}

pg_persistent_cluster_stop() {
  pg_persistent_folders
  pg_cluster_stop "$PG_DATA"
}
