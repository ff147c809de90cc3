#pragma once
// A private PostgreSQL server for the tests of one test program: a cluster
// made with initdb in a temporary folder, listening only on a Unix socket in
// that folder on a free port number, started on first use and stopped and
// removed when the program ends. PostgreSQL refuses to run as root, so as
// root the server programs run as the "postgres" user of the Debian package.
//
// The binaries are taken from $KW_PG_BIN or the newest
// /usr/lib/postgresql/<version>/bin. When there are none, or the server does
// not start, Start() raises with the reason: the tests then fail, since
// continuous integration must install PostgreSQL (`make deps`).

#include <string>

namespace kwtest {

// The libpq connection string of the running test server, starting it when
// needed. Raises std::runtime_error when it cannot run.
const std::string& PostgresConnection();

}  // namespace kwtest
