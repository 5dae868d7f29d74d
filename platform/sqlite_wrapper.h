// A thin RAII layer over SQLite for this library's own use. Only platform/*.cpp include this.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <span>
#include <string>

namespace quidora::platform::sql {

class Connection {
 public:
  Connection() = default;
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  // sqlite3_open_v2 with the given flags (URI names allowed) and file-system layer (nullptr:
  // the default). Returns the SQLite result code; the connection is closed on failure.
  int Open(const std::string& name, int flags, const char* vfs = nullptr);
  void Close();
  bool IsOpen() const { return db_ != nullptr; }
  sqlite3* get() const { return db_; }

  int Exec(const char* sql);
  std::string ErrorMessage() const;
  int ExtendedErrorCode() const;
  // The errno of the system call behind the last failure, 0 when there was none.
  int SystemErrno() const;

 private:
  sqlite3* db_ = nullptr;
  // What a failed Open left to tell, as the connection is closed then.
  std::string openError_ = "not open";
  int openErrno_ = 0;
};

class Statement {
 public:
  Statement() = default;
  ~Statement();
  Statement(Statement&& other) noexcept : stmt_(other.stmt_) { other.stmt_ = nullptr; }
  Statement& operator=(Statement&& other) noexcept;
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  int Prepare(const Connection& db, const char* sql);
  bool IsPrepared() const { return stmt_ != nullptr; }

  void Bind(int index, std::int64_t value);
  void BindBlob(int index, std::span<const std::uint8_t> bytes);        // copied by SQLite
  void BindBlobStatic(int index, std::span<const std::uint8_t> bytes);  // must outlive the step
  int Step();
  // Resets the statement (ends its read) and clears bindings.
  void Reset();

  std::int64_t ColumnInt64(int column) const;
  // SQLITE_INTEGER, SQLITE_BLOB, SQLITE_NULL, ...
  int ColumnType(int column) const;
  // Valid until the next Step or Reset.
  std::span<const std::uint8_t> ColumnBlob(int column) const;
  std::string ColumnText(int column) const;

 private:
  sqlite3_stmt* stmt_ = nullptr;
};

}  // namespace quidora::platform::sql
