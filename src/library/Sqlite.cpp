#include "library/Sqlite.h"

#include <sqlite3.h>

namespace harbrix::library {

Statement::Statement(Connection& connection, const char* sql) : connection_(connection) {
    const int code = sqlite3_prepare_v2(connection.handle(), sql, -1, &statement_, nullptr);
    if (code != SQLITE_OK) {
        connection_.noteFailure(code);
        statement_ = nullptr;
    }
}

Statement::~Statement() {
    sqlite3_finalize(statement_);
}

Statement& Statement::bind(int index, std::int64_t value) {
    if (statement_) sqlite3_bind_int64(statement_, index, value);
    return *this;
}

Statement& Statement::bind(int index, const std::string& text) {
    if (statement_)
        sqlite3_bind_text(statement_, index, text.data(), static_cast<int>(text.size()),
                          SQLITE_TRANSIENT);
    return *this;
}

Statement& Statement::bind(int index, const Bytes& blob) {
    if (statement_)
        sqlite3_bind_blob(statement_, index, blob.data(), static_cast<int>(blob.size()),
                          SQLITE_TRANSIENT);
    return *this;
}

Statement& Statement::bindNull(int index) {
    if (statement_) sqlite3_bind_null(statement_, index);
    return *this;
}

bool Statement::step() {
    if (!statement_) return false;
    lastCode_ = sqlite3_step(statement_);
    if (lastCode_ == SQLITE_ROW) return true;
    if (lastCode_ != SQLITE_DONE) connection_.noteFailure(lastCode_);
    return false;
}

bool Statement::run() {
    while (step()) {
    }
    return done();
}

void Statement::reset() {
    if (!statement_) return;
    sqlite3_reset(statement_);
    sqlite3_clear_bindings(statement_);
    lastCode_ = 0;
}

std::int64_t Statement::integer(int column) const {
    return sqlite3_column_int64(statement_, column);
}

std::string Statement::text(int column) const {
    const auto* text = sqlite3_column_text(statement_, column);
    const int size = sqlite3_column_bytes(statement_, column);
    return text ? std::string(reinterpret_cast<const char*>(text), static_cast<std::size_t>(size))
                : std::string();
}

Bytes Statement::blob(int column) const {
    const auto* data = static_cast<const std::uint8_t*>(sqlite3_column_blob(statement_, column));
    const int size = sqlite3_column_bytes(statement_, column);
    return data ? Bytes(data, data + size) : Bytes();
}

bool Statement::isNull(int column) const {
    return sqlite3_column_type(statement_, column) == SQLITE_NULL;
}

Connection::Connection(const std::string& path) {
    const int code =
        sqlite3_open_v2(path.c_str(), &db_,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (code != SQLITE_OK) {
        code_ = code;
        problem_ = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(code);
        sqlite3_close(db_);
        db_ = nullptr;
    }
}

Connection::~Connection() {
    sqlite3_close(db_);
}

void Connection::setBusyTimeout(int milliseconds) {
    sqlite3_busy_timeout(db_, milliseconds);
}

bool Connection::run(const std::string& sql) {
    // Statement by statement, each stepped to its end.
    const char* next = sql.c_str();
    while (*next != '\0') {
        sqlite3_stmt* statement = nullptr;
        int code = sqlite3_prepare_v2(db_, next, -1, &statement, &next);
        if (code == SQLITE_OK && statement != nullptr) {
            while ((code = sqlite3_step(statement)) == SQLITE_ROW) {
            }
            if (code == SQLITE_DONE) code = SQLITE_OK;
        }
        if (code != SQLITE_OK) {
            noteFailure(code);
            sqlite3_finalize(statement);
            return false;
        }
        sqlite3_finalize(statement);
    }
    return true;
}

std::optional<std::int64_t> Connection::integer(const std::string& sql) {
    Statement statement(*this, sql.c_str());
    if (!statement.step()) return std::nullopt;
    return statement.integer(0);
}

std::optional<std::string> Connection::text(const std::string& sql) {
    Statement statement(*this, sql.c_str());
    if (!statement.step()) return std::nullopt;
    return statement.text(0);
}

std::int64_t Connection::lastInsertId() const {
    return sqlite3_last_insert_rowid(db_);
}

bool Connection::busy() const {
    const int primary = code_ & 0xFF;
    return primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
}

bool Connection::damaged() const {
    const int primary = code_ & 0xFF;
    return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

void Connection::noteFailure(int code) {
    code_ = code;
    problem_ = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(code);
}

Transaction::Transaction(Connection& connection) : connection_(connection) {
    began_ = connection_.run("BEGIN IMMEDIATE");
}

Transaction::~Transaction() {
    if (began_ && !finished_) connection_.run("ROLLBACK");
}

bool Transaction::commit() {
    if (!began_ || finished_) return false;
    finished_ = connection_.run("COMMIT");
    return finished_;
}

}  // namespace harbrix::library
