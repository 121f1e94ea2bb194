#!/bin/sh
# A throwaway PostgreSQL server for the tests and benchmarks: its data, its log and its Unix
# socket all live in one folder, it listens on no TCP port, and it trades durability for speed.
#
#   pg-server.sh start FOLDER    make the server there if needed and start it (a running one is kept)
#   pg-server.sh stop FOLDER     stop it and keep its data, so start brings it back as it was
#   pg-server.sh destroy FOLDER  stop it and remove the folder, stopping first any server kept in
#                                a folder inside it (tests keep their own servers there, so a
#                                test that was killed leaves none running)
#
# Clients connect with host=FOLDER port=5432 user=tabvale (a superuser, trusted). Roles made
# members of "tabvale_password_users" must log in with a password (scram-sha-256), which lets a
# test exercise password prompts. As root, the server runs as the postgres user: initdb and the
# server refuse to run as root.
set -eu

PG_BIN=${TABVALE_PG_BIN:-/usr/lib/postgresql/15/bin}
SUPERUSER=tabvale
PASSWORD_GROUP=tabvale_password_users

usage() {
    echo "usage: $0 start|stop|destroy FOLDER" >&2
    exit 2
}
[ $# -eq 2 ] || usage
command=$1
folder=$2
case $folder in
/*) ;;
*) folder=$(pwd)/$folder ;;
esac
data=$folder/data

as_server_user() {
    if [ "$(id -u)" -eq 0 ]; then
        runuser -u postgres -- "$@"
    else
        "$@"
    fi
}

running() {
    [ -f "$data/PG_VERSION" ] && as_server_user "$PG_BIN/pg_ctl" -D "$data" status >/dev/null 2>&1
}

make_server() {
    mkdir -p "$folder"
    chmod 700 "$folder"
    if [ "$(id -u)" -eq 0 ]; then
        chown postgres:postgres "$folder"
    fi
    as_server_user "$PG_BIN/initdb" -D "$data" -U "$SUPERUSER" --auth=trust -E UTF8 \
        --locale=C.UTF-8 --no-sync --no-instructions >"$folder/initdb.log" 2>&1 || {
        cat "$folder/initdb.log" >&2
        exit 1
    }
    # Password roles first: pg_hba takes the first line that matches.
    cat >"$data/pg_hba.conf" <<HBA
local all +$PASSWORD_GROUP scram-sha-256
local all all trust
HBA
    cat >>"$data/postgresql.conf" <<CONF
listen_addresses = ''
unix_socket_directories = '$folder'
port = 5432
fsync = off
synchronous_commit = off
full_page_writes = off
max_connections = 100
shared_buffers = 64MB
log_min_messages = warning
CONF
}

start() {
    if running; then
        return 0
    fi
    fresh=no
    if [ ! -f "$data/PG_VERSION" ]; then
        make_server
        fresh=yes
    fi
    as_server_user "$PG_BIN/pg_ctl" -D "$data" -l "$folder/server.log" -w -t 60 start >/dev/null || {
        cat "$folder/server.log" >&2
        exit 1
    }
    if [ $fresh = yes ]; then
        "$PG_BIN/psql" -X -q -h "$folder" -p 5432 -U "$SUPERUSER" -d postgres \
            -c "CREATE ROLE $PASSWORD_GROUP NOLOGIN"
    fi
}

stop() {
    if running; then
        as_server_user "$PG_BIN/pg_ctl" -D "$data" -m fast -w -t 60 stop >/dev/null
    fi
}

case $command in
start) start ;;
stop) stop ;;
destroy)
    for inner in "$folder"/*/data; do
        if [ -f "$inner/PG_VERSION" ]; then
            as_server_user "$PG_BIN/pg_ctl" -D "$inner" -m immediate stop >/dev/null 2>&1 || true
        fi
    done
    stop
    rm -rf "$folder"
    ;;
*) usage ;;
esac
