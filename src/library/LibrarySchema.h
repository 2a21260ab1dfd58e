// The library's tables and the steps that bring an older database up to them. Each step
// takes the database from version N-1 (PRAGMA user_version) to N; every step still due runs in
// one transaction with the new version number, so a database is never half migrated.
#pragma once

#include <string>
#include <vector>

namespace harbrix::library {

class Connection;

struct Migration {
    int version;      // the version this step produces
    std::string sql;  // run as a script
};

// The library's own steps, oldest first.
const std::vector<Migration>& libraryMigrations();

enum class MigrationOutcome { current, migrated, tooNew, failed };
// Runs the steps newer than the database's version. `tooNew` when the database was made by a
// later program: it is left as it is.
MigrationOutcome migrate(Connection& connection, const std::vector<Migration>& steps);

}  // namespace harbrix::library
