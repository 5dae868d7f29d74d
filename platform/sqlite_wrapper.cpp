#include "platform/sqlite_wrapper.h"

namespace quidora::platform::sql {

Connection::~Connection() {
  Close();
}

int Connection::Open(const std::string& name, int flags, const char* vfs) {
  Close();
  const int rc = sqlite3_open_v2(name.c_str(), &db_, flags, vfs);
  if (rc != SQLITE_OK) {
    openError_ = db_ != nullptr ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
    openErrno_ = db_ != nullptr ? sqlite3_system_errno(db_) : 0;
    Close();
    return rc;
  }
  sqlite3_extended_result_codes(db_, 1);
  return SQLITE_OK;
}

void Connection::Close() {
  if (db_ != nullptr) {
    sqlite3_close_v2(db_);
    db_ = nullptr;
  }
}

int Connection::Exec(const char* sql) {
  return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
}

std::string Connection::ErrorMessage() const {
  return db_ != nullptr ? std::string(sqlite3_errmsg(db_)) : openError_;
}

int Connection::SystemErrno() const {
  return db_ != nullptr ? sqlite3_system_errno(db_) : openErrno_;
}

int Connection::ExtendedErrorCode() const {
  return db_ != nullptr ? sqlite3_extended_errcode(db_) : SQLITE_MISUSE;
}

Statement::~Statement() {
  sqlite3_finalize(stmt_);
}

Statement& Statement::operator=(Statement&& other) noexcept {
  if (this != &other) {
    sqlite3_finalize(stmt_);
    stmt_ = other.stmt_;
    other.stmt_ = nullptr;
  }
  return *this;
}

int Statement::Prepare(const Connection& db, const char* sql) {
  sqlite3_finalize(stmt_);
  stmt_ = nullptr;
  return sqlite3_prepare_v3(db.get(), sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt_, nullptr);
}

void Statement::Bind(int index, std::int64_t value) {
  sqlite3_bind_int64(stmt_, index, value);
}

void Statement::BindBlob(int index, std::span<const std::uint8_t> bytes) {
  sqlite3_bind_blob64(stmt_, index, bytes.empty() ? static_cast<const void*>("") : bytes.data(),
                      bytes.size(), SQLITE_TRANSIENT);
}

void Statement::BindBlobStatic(int index, std::span<const std::uint8_t> bytes) {
  sqlite3_bind_blob64(stmt_, index, bytes.empty() ? static_cast<const void*>("") : bytes.data(),
                      bytes.size(), SQLITE_STATIC);
}

int Statement::Step() {
  return sqlite3_step(stmt_);
}

void Statement::Reset() {
  if (stmt_ != nullptr) {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
  }
}

std::int64_t Statement::ColumnInt64(int column) const {
  return sqlite3_column_int64(stmt_, column);
}

int Statement::ColumnType(int column) const {
  return sqlite3_column_type(stmt_, column);
}

std::span<const std::uint8_t> Statement::ColumnBlob(int column) const {
  const void* data = sqlite3_column_blob(stmt_, column);
  const int size = sqlite3_column_bytes(stmt_, column);
  if (data == nullptr || size <= 0) return {};
  return {static_cast<const std::uint8_t*>(data), static_cast<std::size_t>(size)};
}

std::string Statement::ColumnText(int column) const {
  const unsigned char* text = sqlite3_column_text(stmt_, column);
  return text != nullptr ? std::string(reinterpret_cast<const char*>(text)) : std::string();
}

}  // namespace quidora::platform::sql
