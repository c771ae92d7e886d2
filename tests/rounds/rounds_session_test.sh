#!/usr/bin/env bash
# The ward's list and a patient's course read back from a PostgreSQL server
# of the test's own (tests/delivery/database_server.sh), natively:
#   rounds_session_test.sh <work folder> <rounds_database_tests>
# The results arrive through the writer as a ward PC delivers them; the
# list and the course are read through the ward reader's login, first
# without the hospital's stays and then with a table of them the test fills.
set -uo pipefail
work=$1 tests=$2
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../delivery/database_server.sh"
trap database_server_stop EXIT
trap 'exit 130' INT TERM
mkdir -p "$work" && work=$(cd "$work" && pwd)  # XDG_DATA_HOME must be absolute
database_server_start "$work" || exit 1
# The owner over TCP too, to set due times and stand in for the hospital system.
owner_password=$(od -An -tx1 -N16 /dev/urandom | tr -d ' \n')
database_name=postgres database_admin_sql "ALTER ROLE postgres PASSWORD '$owner_password'" >/dev/null
export GLYVANT_TEST_DATABASE_ADMIN="Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=$database_port;Database=orvomed;Uid=postgres;Pwd=$owner_password;$database_tls"
export XDG_DATA_HOME=$work/data
rm -rf "$XDG_DATA_HOME"
"$tests"
