#include "export/export_file.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "export/whole_file.h"
#include "platform/folder_problem.h"
#include "platform/locations.h"
#include "resources/strings/string_table.h"

namespace quidora {
namespace {

// The message service takes the wait cursor down before any box.
void Tell(MessageService& messages, StringId id, MessageIcon icon) {
  messages.Show(LoadString(id), icon);
}

constexpr char16_t kNotInName[] = {u'\\', u'/', u'\0'};

}  // namespace

ExportResult WriteExportFile(const ExportRequest& request, const ExportServices& services,
                             const std::function<bool(ByteSink&)>& fill) {
  // A name is one file name: no separator of either system, no terminator.
  if (request.name.empty() ||
      request.name.find_first_of(std::u16string_view(kNotInName, std::size(kNotInName))) !=
          std::u16string_view::npos) {
    return ExportResult::Refused;
  }
  const std::u16string devicePath = ExportDevicePath(request.name, request.folder);
  if (devicePath.empty()) return ExportResult::Refused;
  const auto target = platform::MapDevicePath(devicePath, services.locations);
  if (!target) return ExportResult::Refused;
  const std::string name = target->filename().string();

  MessageService& messages = services.messages;
  const bool business = request.folder == kExportBusiness;
  const auto& folderPath = business ? services.locations.business : services.locations.personal;
  // Everything below works relative to this one opened folder, so a folder swapped for a link
  // after the check cannot redirect the file.
  OwnedDescriptor folder(
      platform::IsPlainWritableFolder(folderPath)
          ? ::open(folderPath.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC)
          : -1);
  if (folder.get() < 0) {
    // The box can only say the folder does not exist; what is really wrong goes beside it.
    std::fprintf(stderr, "quidora: %s %s\n", folderPath.c_str(),
                 platform::FolderProblem(folderPath).c_str());
    Tell(messages, business ? StringId::ExportNoBusinessFolder : StringId::ExportNoPersonalFolder,
         MessageIcon::Exclamation);
    return ExportResult::FolderMissing;
  }

  bool replacing = false;
  struct stat existing {};
  if (::fstatat(folder.get(), name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0) {
    if (messages.Show(LoadString(StringId::ExportFileExists), MessageIcon::Exclamation,
                      MessageButtons::YesNo) != MessageAnswer::Yes) {
      return ExportResult::KeptExisting;
    }
    replacing = true;
    // A rename cannot replace a folder: say so before writing anything.
    if (S_ISDIR(existing.st_mode)) {
      Tell(messages, StringId::ExportCannotDelete, MessageIcon::Stop);
      return ExportResult::CannotReplace;
    }
  } else if (errno != ENOENT) {
    // The name itself is unusable here (too long, for one).
    Tell(messages, StringId::ExportCannotCreate, MessageIcon::Stop);
    return ExportResult::CannotCreate;
  }

  WholeFileOptions options{".quidora-export-", 0600, replacing, services.faults};
  if (replacing && S_ISREG(existing.st_mode)) options.keptMode = existing.st_mode & 07777;
  switch (WriteWholeFile(folder.get(), name, options, fill)) {
    case WholeFileStep::Done:
      break;
    case WholeFileStep::Create:
      Tell(messages, StringId::ExportCannotCreate, MessageIcon::Stop);
      return ExportResult::CannotCreate;
    case WholeFileStep::Name:
      Tell(messages, replacing ? StringId::ExportCannotDelete : StringId::ExportCannotCreate,
           MessageIcon::Stop);
      return replacing ? ExportResult::CannotReplace : ExportResult::CannotCreate;
    case WholeFileStep::Write:
    case WholeFileStep::FolderSync:
      // After a failed folder sync the file has its name, but it may not survive a power cut.
      Tell(messages, StringId::ExportWriteFailed, MessageIcon::Stop);
      return ExportResult::WriteFailed;
  }
  return ExportResult::Written;
}

}  // namespace quidora
