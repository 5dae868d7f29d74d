// A database handle's reading state (inside platform/ only).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "platform/volume.h"

namespace quidora::platform::detail {

// A handle's reading state. The position is the last (value, skey, oid) read or sought before;
// in the key order the value is the skey.
class Cursor {
 public:
  Cursor(std::shared_ptr<Volume> volume, Oid database, PropId prop, bool secondary)
      : volume_(std::move(volume)), db_(database), prop_(prop), secondary_(secondary) {
    volume_->Register(this);
  }
  ~Cursor() { volume_->Unregister(this); }
  Cursor(const Cursor&) = delete;
  Cursor& operator=(const Cursor&) = delete;

  bool Prepare() {
    return volume_->Check(scan_.Prepare(
        volume_->db, secondary_
                         ? "SELECT value, skey, oid, props FROM ordered_records"
                           " WHERE db = ?1 AND prop = ?2 AND (value, skey, oid) > (?3, ?4, ?5)"
                           " ORDER BY value, skey, oid"
                         : "SELECT skey, skey, oid, props FROM records"
                           " WHERE db = ?1 AND (skey, oid) > (?4, ?5) ORDER BY skey, oid"));
  }

  void EndRead() {
    if (scanning_) {
      scan_.Reset();
      scanning_ = false;
    }
  }

  Volume& volume() { return *volume_; }
  const std::shared_ptr<Volume>& sharedVolume() const { return volume_; }
  Oid database() const { return db_; }
  PropId prop() const { return prop_; }
  bool secondary() const { return secondary_; }

  // The next read returns the first record after (value, skey, oid) in read order.
  void PlaceBefore(std::int64_t value, std::int64_t skey, Oid oid) {
    EndRead();
    value_ = value;
    skey_ = skey;
    oid_ = static_cast<std::int64_t>(oid) - 1;
  }

  Oid Read(Record& out, std::optional<std::int64_t> onlyValue) {
    if (!scanning_) {
      scan_.Bind(1, db_);
      scan_.Bind(2, prop_);
      scan_.Bind(3, value_);
      scan_.Bind(4, skey_);
      scan_.Bind(5, oid_);
      scanning_ = true;
    }
    const int rc = scan_.Step();
    if (rc != SQLITE_ROW) {
      EndRead();
      if (rc == SQLITE_DONE) {
        error_ = StoreError::NotFound;
      } else {
        volume_->Check(rc);
        error_ = volume_->lastError;
      }
      return 0;
    }
    const std::int64_t value = scan_.ColumnInt64(0);
    if (onlyValue && value != *onlyValue) {
      EndRead();  // the position stays before this record
      error_ = StoreError::NotFound;
      return 0;
    }
    value_ = value;
    skey_ = scan_.ColumnInt64(1);
    oid_ = scan_.ColumnInt64(2);
    // An undecodable record is passed over: the scan stays on it, so the next read goes on.
    if (!DecodeRecord(scan_.ColumnBlob(3), out)) {
      error_ = StoreError::Undecodable;
      return 0;
    }
    error_ = StoreError::None;
    return static_cast<Oid>(oid_);
  }

  StoreError error_ = StoreError::None;

 private:
  std::shared_ptr<Volume> volume_;
  Oid db_;
  PropId prop_;
  bool secondary_;
  sql::Statement scan_;
  bool scanning_ = false;
  std::int64_t value_ = -1;
  std::int64_t skey_ = -1;
  std::int64_t oid_ = 0;
};

}  // namespace quidora::platform::detail
