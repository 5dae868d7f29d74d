#include "platform/object_store.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "temp_folder.h"

namespace quidora::platform {
namespace {

using testing::TempFolder;

constexpr PropId kAccountKey = MakePropId(1, kTypeUi4);
constexpr PropId kName = MakePropId(7, kTypeLpwstr);

Record Keyed(std::uint32_t key, std::u16string_view name) {
  return {PropValue::Ui4(kKeyPropId, key), PropValue::Text(kName, name)};
}

// Reads from the current position to the end; the names, in read order.
std::vector<std::u16string> ReadNames(DatabaseHandle& handle) {
  std::vector<std::u16string> names;
  Record record;
  while (handle.ReadRecord(record) != 0) {
    names.push_back(record.size() > 1 ? record[1].text : u"<no name>");
  }
  return names;
}

class ObjectStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto opened = ObjectStore::OpenVolume(folder_ / "objectstore.db");
    ASSERT_EQ(opened.status, VolumeStatus::Created) << opened.detail;
    store_ = std::move(opened.store);
  }

  DatabaseHandle CreateAndOpen(std::u16string_view name) {
    EXPECT_NE(store_->CreateDatabase(name), 0u);
    OpenedDatabase opened = store_->OpenDatabase(name);
    EXPECT_EQ(opened.status, OpenStatus::Opened);
    return std::move(opened.handle);
  }

  TempFolder folder_;
  std::unique_ptr<ObjectStore> store_;
};

TEST_F(ObjectStoreTest, DatabasesAreFoundByNameAndReportTheirInformation) {
  const Oid created = store_->CreateDatabase(u"Vesko Quidbook");
  ASSERT_NE(created, 0u);
  EXPECT_EQ(store_->CreateDatabase(u"Vesko Quidbook"), 0u) << "a name is taken once";

  OpenedDatabase opened = store_->OpenDatabase(u"Vesko Quidbook");
  ASSERT_EQ(opened.status, OpenStatus::Opened);
  EXPECT_EQ(opened.oid, created);
  EXPECT_EQ(opened.handle.DatabaseOid(), created);

  EXPECT_EQ(store_->OpenDatabase(u"Vesko QuidbookAccs").status, OpenStatus::NotFound);
  EXPECT_EQ(store_->OpenDatabase(u"vesko quidbook").status, OpenStatus::NotFound);
  EXPECT_EQ(store_->OpenDatabase(u"Vesko Quidbook", MakePropId(1, kTypeUi4)).status,
            OpenStatus::Failed)
      << "only the sort order the database was made with opens it";

  ASSERT_NE(opened.handle.WriteRecord(0, Keyed(7, u"a")), 0u);
  const auto info = store_->GetDatabaseInfo(created);
  ASSERT_TRUE(info.has_value());
  EXPECT_EQ(info->name, u"Vesko Quidbook");
  EXPECT_EQ(info->type, 0u);
  EXPECT_EQ(info->sortProp, kKeyPropId);
  EXPECT_EQ(info->recordCount, 1u);
  EXPECT_FALSE(store_->GetDatabaseInfo(created + 1000).has_value());
}

TEST_F(ObjectStoreTest, RecordsComeBackInKeyOrderWithTiesInWritingOrderAndKeylessLast) {
  DatabaseHandle db = CreateAndOpen(u"money");
  const Record noKey = {PropValue::Ui4(kAccountKey, 1), PropValue::Text(kName, u"no key")};
  // A text property 0 is not the sort key either.
  const Record textKey = {PropValue::Text(MakePropId(0, kTypeLpwstr), u"x"),
                          PropValue::Text(kName, u"text key")};
  for (const Record& record :
       {Keyed(500, u"500a"), noKey, Keyed(3, u"3a"), Keyed(0xFFFFFFFF, u"max"), Keyed(500, u"500b"),
        textKey, Keyed(0, u"zero"), Keyed(3, u"3b"), Keyed(500, u"500c")}) {
    ASSERT_NE(db.WriteRecord(0, record), 0u);
  }
  OpenedDatabase reopened = store_->OpenDatabase(u"money");
  EXPECT_EQ(ReadNames(reopened.handle),
            (std::vector<std::u16string>{u"zero", u"3a", u"3b", u"500a", u"500b", u"500c", u"max",
                                         u"no key", u"text key"}));
  Record record;
  EXPECT_EQ(reopened.handle.ReadRecord(record), 0u) << "reading past the end stays at the end";
  EXPECT_EQ(reopened.handle.LastError(), StoreError::NotFound);
  EXPECT_EQ(reopened.handle.RecordCount(), 9u);
}

TEST_F(ObjectStoreTest, PropertiesComeBackExactlyAsWrittenIncludingUnknownTypes) {
  DatabaseHandle db = CreateAndOpen(u"money");
  const std::vector<std::uint8_t> filetime = {1, 2, 3, 4, 5, 6, 7, 8};
  const Record written = {
      PropValue::Text(MakePropId(8, kTypeLpwstr), u" "),
      PropValue::Ui4(kKeyPropId, 623211),
      PropValue::Text(kName, u""),
      PropValue::Text(kName, std::u16string(u"\xD83D\xDE00 \xD800 caf\x00E9\0x", 10)),
      PropValue::Raw(MakePropId(9, 64), filetime),
      PropValue::Raw(MakePropId(10, 2), {}),
      PropValue::Ui4(MakePropId(11, kTypeUi4), 0xFFFFFFFF),
  };
  const Oid oid = db.WriteRecord(0, written);
  ASSERT_NE(oid, 0u);
  db.Close();
  OpenedDatabase opened = store_->OpenDatabase(u"money");
  Record read = {PropValue::Text(1, u"stale contents are replaced"),
                 PropValue{},
                 PropValue{},
                 PropValue{},
                 PropValue{},
                 PropValue{},
                 PropValue{},
                 PropValue{},
                 PropValue{}};
  EXPECT_EQ(opened.handle.ReadRecord(read), oid);
  EXPECT_EQ(read, written);
}

TEST_F(ObjectStoreTest, SeekFindsTheFirstRecordWithAKeyAndReadingGoesOnFromThere) {
  DatabaseHandle db = CreateAndOpen(u"money");
  db.WriteRecord(0, Keyed(1, u"1"));
  const Oid first7 = db.WriteRecord(0, Keyed(7, u"7a"));
  db.WriteRecord(0, Keyed(9, u"9"));
  const Oid second7 = db.WriteRecord(0, Keyed(7, u"7b"));
  ASSERT_NE(second7, 0u);

  EXPECT_EQ(db.SeekFirstEqual(7), first7);
  EXPECT_EQ(ReadNames(db), (std::vector<std::u16string>{u"7a", u"7b", u"9"}));

  EXPECT_EQ(db.SeekToRecord(second7), second7);
  EXPECT_EQ(db.SeekFirstEqual(8), 0u) << "no record has key 8";
  EXPECT_EQ(ReadNames(db), (std::vector<std::u16string>{u"7b", u"9"}))
      << "a failed seek leaves the position where it was";

  EXPECT_EQ(db.SeekToRecord(first7 + 1000), 0u);
  EXPECT_EQ(db.ContainsKey(9), true);
  EXPECT_EQ(db.ContainsKey(8), false);

  DatabaseHandle other = CreateAndOpen(u"other");
  EXPECT_EQ(other.SeekToRecord(first7), 0u) << "a record of another database is not found";
  EXPECT_EQ(other.SeekFirstEqual(7), 0u);
  EXPECT_EQ(other.ContainsKey(7), false);
}

TEST_F(ObjectStoreTest, WritingOverARecordReplacesItsPropertiesAndKeepsTheOthers) {
  DatabaseHandle db = CreateAndOpen(u"money");
  const PropValue future = PropValue::Raw(MakePropId(40, 65), std::vector<std::uint8_t>{9, 9});
  const Oid oid = db.WriteRecord(
      0, Record{PropValue::Ui4(kKeyPropId, 5), future, PropValue::Text(kName, u"old")});
  db.WriteRecord(0, Keyed(6, u"six"));
  ASSERT_NE(oid, 0u);

  ASSERT_EQ(db.SeekFirstEqual(5), oid);
  EXPECT_EQ(db.WriteRecord(oid, Keyed(8, u"new")), oid);
  EXPECT_EQ(db.RecordCount(), 2u);

  OpenedDatabase opened = store_->OpenDatabase(u"money");
  Record record;
  ASSERT_NE(opened.handle.ReadRecord(record), 0u);
  EXPECT_EQ(record[1].text, u"six") << "the new key 8 moved the record after key 6";
  ASSERT_EQ(opened.handle.ReadRecord(record), oid);
  EXPECT_EQ(record,
            (Record{PropValue::Ui4(kKeyPropId, 8), future, PropValue::Text(kName, u"new")}));

  EXPECT_EQ(db.WriteRecord(oid + 1000, Keyed(1, u"ghost")), 0u);
  EXPECT_EQ(db.LastError(), StoreError::NotFound);
  EXPECT_EQ(db.RecordCount(), 2u);
}

TEST_F(ObjectStoreTest, DeletingRecordsAndDatabases) {
  DatabaseHandle db = CreateAndOpen(u"money");
  const Oid a = db.WriteRecord(0, Keyed(1, u"a"));
  const Oid b = db.WriteRecord(0, Keyed(2, u"b"));
  EXPECT_TRUE(db.DeleteRecord(a));
  EXPECT_FALSE(db.DeleteRecord(a)) << "already gone";
  EXPECT_EQ(db.RecordCount(), 1u);
  EXPECT_EQ(db.ContainsKey(1), false);

  const Oid database = db.DatabaseOid();
  EXPECT_TRUE(store_->DeleteDatabase(database));
  EXPECT_FALSE(store_->DeleteDatabase(database));
  EXPECT_EQ(store_->OpenDatabase(u"money").status, OpenStatus::NotFound);
  EXPECT_FALSE(db.RecordCount().has_value());
  EXPECT_EQ(db.WriteRecord(0, Keyed(3, u"c")), 0u) << "the handle's database is gone";
  EXPECT_FALSE(db.DeleteRecord(b));

  // A new database of the same name starts empty, and object identifiers are never reused.
  DatabaseHandle again = CreateAndOpen(u"money");
  EXPECT_EQ(again.RecordCount(), 0u);
  const Oid c = again.WriteRecord(0, Keyed(1, u"c"));
  EXPECT_GT(c, b);
  EXPECT_NE(again.DatabaseOid(), database);
}

TEST_F(ObjectStoreTest, AWriteDuringAReadIsDurableAndTheReadGoesOnInSortOrder) {
  DatabaseHandle db = CreateAndOpen(u"money");
  for (std::uint32_t key : {10u, 20u, 30u, 40u}) db.WriteRecord(0, Keyed(key, u"k"));
  OpenedDatabase reader = store_->OpenDatabase(u"money");
  Record record;
  ASSERT_NE(reader.handle.ReadRecord(record), 0u);
  ASSERT_NE(reader.handle.ReadRecord(record), 0u);
  ASSERT_EQ(record[0].number, 20u);

  ASSERT_NE(db.WriteRecord(0, Keyed(35, u"new")), 0u);
  ASSERT_NE(db.WriteRecord(0, Keyed(15, u"behind")), 0u);

  // Another connection sees both writes at once: they were committed although a read was open.
  auto second = ObjectStore::OpenVolume(folder_ / "objectstore.db");
  ASSERT_EQ(second.status, VolumeStatus::Opened) << second.detail;
  EXPECT_EQ(second.store->OpenDatabase(u"money").handle.RecordCount(), 6u);

  std::vector<std::uint32_t> rest;
  while (reader.handle.ReadRecord(record) != 0) rest.push_back(record[0].number);
  EXPECT_EQ(rest, (std::vector<std::uint32_t>{30, 35, 40}));
}

TEST_F(ObjectStoreTest, AHandleOutlivesItsStore) {
  DatabaseHandle db = CreateAndOpen(u"money");
  store_.reset();
  EXPECT_NE(db.WriteRecord(0, Keyed(1, u"a")), 0u);
  EXPECT_EQ(db.RecordCount(), 1u);
}

TEST(ObjectStoreVolumeTest, ANewVolumeIsPrivateAndKeepsItsDataAcrossOpens) {
  TempFolder folder;
  const auto file = folder / "deep/er/objectstore.db";
  {
    auto created = ObjectStore::OpenVolume(file);
    ASSERT_EQ(created.status, VolumeStatus::Created) << created.detail;
    created.store->CreateDatabase(u"Vesko QuidbookAccs");
    created.store->OpenDatabase(u"Vesko QuidbookAccs").handle.WriteRecord(0, Keyed(1, u"Cash"));
  }
  struct stat info {};
  ASSERT_EQ(stat(file.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  ASSERT_EQ(stat((folder / "deep").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
  ASSERT_EQ(stat((folder / "deep/er").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
  EXPECT_EQ(testing::Listing(folder / "deep/er"), std::vector<std::string>{"objectstore.db"})
      << "no temporary file is left behind";

  auto opened = ObjectStore::OpenVolume(file);
  ASSERT_EQ(opened.status, VolumeStatus::Opened) << opened.detail;
  OpenedDatabase accounts = opened.store->OpenDatabase(u"Vesko QuidbookAccs");
  EXPECT_EQ(ReadNames(accounts.handle), std::vector<std::u16string>{u"Cash"});
  EXPECT_TRUE(opened.store->CheckIntegrity());
}

TEST(ObjectStoreVolumeTest, TheBaselineScanReadsTheSameRecords) {
  TempFolder folder;
  const auto file = folder / "objectstore.db";
  {
    auto created = ObjectStore::OpenVolume(file);
    created.store->CreateDatabase(u"Vesko Quidbook");
    DatabaseHandle db = created.store->OpenDatabase(u"Vesko Quidbook").handle;
    Transaction group = created.store->BeginTransaction();
    for (std::uint32_t i = 0; i < 500; ++i) db.WriteRecord(0, Keyed(i % 37, u"record"));
    ASSERT_TRUE(group.Commit());
  }
  const auto scan = ScanWithPlainSqlite(file, u"Vesko Quidbook");
  ASSERT_TRUE(scan.has_value());
  EXPECT_EQ(scan->records, 500u);
  std::vector<std::uint8_t> one;
  EncodeRecord(Keyed(0, u"record"), one);
  EXPECT_EQ(scan->bytes, 500u * one.size());
  EXPECT_FALSE(ScanWithPlainSqlite(file, u"missing").has_value());
}

}  // namespace
}  // namespace quidora::platform
