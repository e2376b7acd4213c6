#pragma once
// Owners for a SQLite connection and a prepared statement, in the manner of
// the handle holders: move-only, null when absent.

#include <sqlite3.h>

#include "ownership/scoped_handle.h"

struct SqliteConnectionTraits {
  using Type = sqlite3*;
  static sqlite3* Invalid() { return nullptr; }
  // _v2: a statement still alive keeps the connection until it is finalized,
  // instead of the close failing and leaking it.
  static void Close(sqlite3* db) { sqlite3_close_v2(db); }
};
struct SqliteStatementTraits {
  using Type = sqlite3_stmt*;
  static sqlite3_stmt* Invalid() { return nullptr; }
  static void Close(sqlite3_stmt* statement) { sqlite3_finalize(statement); }
};

using AutoSqlite = ScopedResource<SqliteConnectionTraits>;
using AutoStatement = ScopedResource<SqliteStatementTraits>;
