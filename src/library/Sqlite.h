// A thin layer over SQLite's C interface: a connection and prepared statements that finalise
// themselves, with the error of the last call kept as text.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/Bytes.h"

struct sqlite3;
struct sqlite3_stmt;

namespace harbrix::library {

class Connection;

class Statement {
  public:
    Statement(Connection& connection, const char* sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    // False when the SQL did not compile (the connection says why).
    bool valid() const { return statement_ != nullptr; }
    // Parameters are numbered from 1, as in SQLite.
    Statement& bind(int index, std::int64_t value);
    Statement& bind(int index, const std::string& text);
    Statement& bind(int index, const Bytes& blob);
    Statement& bindNull(int index);
    // True while a row is ready; false at the end or on an error (see done()).
    bool step();
    // Whether the last step ended the statement without error.
    bool done() const { return lastCode_ == 101; }  // SQLITE_DONE
    // Runs a statement that returns no rows; true when it succeeded.
    bool run();
    void reset();

    std::int64_t integer(int column) const;
    std::string text(int column) const;
    Bytes blob(int column) const;
    bool isNull(int column) const;

  private:
    Connection& connection_;
    sqlite3_stmt* statement_ = nullptr;
    int lastCode_ = 0;
};

class Connection {
  public:
    // Opens (creating) the database file; check open() and problem().
    explicit Connection(const std::string& path);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    bool open() const { return db_ != nullptr; }
    sqlite3* handle() const { return db_; }
    void setBusyTimeout(int milliseconds);
    // Runs SQL whose rows are not wanted (may hold several statements).
    bool run(const std::string& sql);
    // The first column of the first row of a query, as an integer.
    std::optional<std::int64_t> integer(const std::string& sql);
    std::optional<std::string> text(const std::string& sql);
    std::int64_t lastInsertId() const;

    // The SQLite result code of the last failure (SQLITE_BUSY, SQLITE_CORRUPT, ...) and its
    // message.
    int code() const { return code_; }
    const std::string& problem() const { return problem_; }
    bool busy() const;
    bool damaged() const;
    void noteFailure(int code);

  private:
    sqlite3* db_ = nullptr;
    int code_ = 0;
    std::string problem_;
};

// BEGIN IMMEDIATE ... COMMIT, rolled back when the object goes without commit().
class Transaction {
  public:
    explicit Transaction(Connection& connection);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    bool began() const { return began_; }
    bool commit();

  private:
    Connection& connection_;
    bool began_ = false;
    bool finished_ = false;
};

}  // namespace harbrix::library
