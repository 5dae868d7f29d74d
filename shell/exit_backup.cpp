#include "shell/exit_backup.h"

#include <ostream>

#include "platform/backup_listing.h"
#include "platform/utf8.h"
#include "resources/strings/string_table.h"
#include "shell/user_notice.h"
#include "store/store_messages.h"

namespace quidora {

namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

}  // namespace

bool ExitBackupDue(const std::filesystem::path& dataFolder, bool storeChanged,
                   const platform::Clock& clock) {
  if (!storeChanged) return false;
  const std::int64_t now = platform::SecondsSinceEpoch(clock.NowUtc());
  for (const platform::BackupEntry& entry : platform::FindBackups(dataFolder)) {
    if (entry.id.kind != platform::BackupKind::Regular) continue;
    // Newest first: the first regular one decides.
    return now - platform::SecondsSinceEpoch(entry.id.time) > kSecondsPerDay;
  }
  return true;
}

std::optional<platform::BackupResult> BackUpAtExit(const std::filesystem::path& dataFolder,
                                                   bool storeChanged,
                                                   const platform::Clock& clock,
                                                   MessageService& messages,
                                                   std::ostream& errors) {
  if (!ExitBackupDue(dataFolder, storeChanged, clock)) return std::nullopt;
  platform::BackupResult made =
      platform::MakeBackup(dataFolder, platform::BackupKind::Regular, clock);
  switch (made.outcome) {
    case platform::BackupResult::Outcome::Made:
    case platform::BackupResult::Outcome::NoStore:
      break;
    case platform::BackupResult::Outcome::StoreDamaged: {
      std::u16string text(LoadString(StringId::StoreDamagedAtExit));
      text += u' ';
      text += platform::Utf8ToUtf16(platform::StoreFileOf(dataFolder).string())
                  .value_or(u"objectstore.db");
      if (const std::u16string hint = RestoreHintText(dataFolder); !hint.empty()) {
        text += u'\n';
        text += hint;
      }
      errors << "quidora: " << platform::Utf16ToUtf8(text).value_or(made.reason) << " ("
             << made.reason << ")\n";
      messages.Show(text, MessageIcon::Stop);
      break;
    }
    case platform::BackupResult::Outcome::Failed:
      NoteOnErrors(errors, "no backup was made at exit: " + made.reason);
      break;
  }
  return made;
}

}  // namespace quidora
