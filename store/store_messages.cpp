#include "store/store_messages.h"

#include <cstdio>
#include <string>

#include "platform/backup_listing.h"
#include "platform/utf8.h"
#include "store/databases.h"

namespace quidora {

namespace {

// A file name as text: its bytes read as UTF-8, a byte that is not part of a well-formed
// sequence shown as U+FFFD.
std::u16string PathText(const std::filesystem::path& path) {
  static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};  // by sequence length
  const std::string& bytes = path.native();
  std::u16string text;
  std::size_t i = 0;
  while (i < bytes.size()) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    std::size_t length = 0;
    char32_t point = 0;
    if (lead < 0x80) {
      length = 1;
      point = lead;
    } else if ((lead & 0xE0) == 0xC0) {
      length = 2;
      point = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
      length = 3;
      point = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
      length = 4;
      point = lead & 0x07;
    }
    bool good = length > 0 && i + length <= bytes.size();
    for (std::size_t k = 1; good && k < length; ++k) {
      const auto next = static_cast<unsigned char>(bytes[i + k]);
      good = (next & 0xC0) == 0x80;
      point = point << 6 | (next & 0x3F);
    }
    if (!good || point < kSmallest[length] || point > 0x10FFFF ||
        (point >= 0xD800 && point <= 0xDFFF)) {
      text += u'\uFFFD';
      ++i;
      continue;
    }
    if (point >= 0x10000) {
      text += static_cast<char16_t>(0xD800 + ((point - 0x10000) >> 10));
      text += static_cast<char16_t>(0xDC00 + ((point - 0x10000) & 0x3FF));
    } else {
      text += static_cast<char16_t>(point);
    }
    i += length;
  }
  return text;
}

StringId ReasonOf(platform::VolumeProblem problem) {
  using platform::VolumeProblem;
  switch (problem) {
    case VolumeProblem::NotAFile:
      return StringId::VolumeNotAFile;
    case VolumeProblem::NoAccess:
      return StringId::VolumeNoAccess;
    case VolumeProblem::ReadOnly:
      return StringId::VolumeReadOnly;
    case VolumeProblem::Empty:
      return StringId::VolumeEmpty;
    case VolumeProblem::NotAStore:
      return StringId::VolumeNotAStore;
    case VolumeProblem::Damaged:
      return StringId::VolumeDamaged;
    case VolumeProblem::Newer:
      return StringId::VolumeNewer;
    case VolumeProblem::NoSpace:
      return StringId::VolumeNoSpace;
    case VolumeProblem::PathTooLong:
      return StringId::VolumePathTooLong;
    case VolumeProblem::Missing:
      return StringId::VolumeMissing;
    case VolumeProblem::None:
    case VolumeProblem::Other:
      break;
  }
  return StringId::VolumeUnusable;
}

}  // namespace

void ShowNamed(MessageService& ui, StringId text, std::u16string_view databaseName) {
  std::u16string message(LoadString(text));
  message += u' ';
  message += databaseName;
  ui.Show(message, MessageIcon::Exclamation);
}

void ShowWriteFailure(Databases& store, MessageService& ui, StringId text,
                      std::u16string_view databaseName) {
  if (!store.VolumeIsOpen() || !store.Volume().WritesRefused()) {
    ShowNamed(ui, text, databaseName);
    return;
  }
  std::u16string message(LoadString(StringId::StoreFoundDamaged));
  message += u' ';
  message += PathText(store.VolumeFile());
  ui.Show(message, MessageIcon::Stop);
}

void ShowDatabaseProblem(MessageService& ui) {
  ui.Beep();
  ui.Show(LoadString(StringId::DatabaseProblem), MessageIcon::Stop);
}

std::u16string RestoreHintText(const std::filesystem::path& dataFolder) {
  const std::optional<platform::BackupEntry> newest = platform::NewestVerifiedBackup(dataFolder);
  if (!newest) return {};
  std::u16string hint(LoadString(StringId::BackupFromTime));
  hint.replace(hint.find(u"%s"), 2, PathText(platform::TimeText(newest->id.time) + " UTC"));
  return hint;
}

std::u16string VolumeRefusalText(platform::VolumeProblem problem,
                                 const std::filesystem::path& subject,
                                 const std::filesystem::path& dataFolder) {
  std::u16string reason(LoadString(ReasonOf(problem)));
  if (const std::size_t at = reason.find(u"%s"); at != std::u16string::npos) {
    reason.replace(at, 2, PathText(subject));
  }
  std::u16string message(LoadString(StringId::BuildingError));
  message += u' ';
  message += reason;
  using platform::VolumeProblem;
  const bool replaceable = problem == VolumeProblem::Damaged || problem == VolumeProblem::Empty ||
                           problem == VolumeProblem::NotAStore;
  if (replaceable && !dataFolder.empty()) {
    if (const std::u16string hint = RestoreHintText(dataFolder); !hint.empty()) {
      message += u'\n';
      message += hint;
    }
  }
  return message;
}

void ShowVolumeRefusal(MessageService& ui, platform::VolumeProblem problem,
                       const std::filesystem::path& subject,
                       const std::filesystem::path& dataFolder) {
  const std::u16string message = VolumeRefusalText(problem, subject, dataFolder);
  if (const std::optional<std::string> line = platform::Utf16ToUtf8(message)) {
    std::fprintf(stderr, "%s\n", line->c_str());
  }
  ui.Show(message, MessageIcon::Stop);
}

}  // namespace quidora
