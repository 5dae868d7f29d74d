#include "shell/user_notice.h"

#include <QString>
#include <ostream>

#include "platform/ui/text.h"

namespace quidora {

void TellUser(MessageService& messages, std::ostream& errors, StringId text,
              const std::filesystem::path& subject, std::string_view reason) {
  QString message =
      ui::LoadQString(text) + QLatin1Char(' ') + QString::fromStdString(subject.string());
  if (!reason.empty()) {
    message += QStringLiteral(" (") +
               QString::fromUtf8(reason.data(), static_cast<qsizetype>(reason.size())) +
               QLatin1Char(')');
  }
  NoteOnErrors(errors, message.toStdString());
  messages.Show(ui::ToU16String(message), MessageIcon::Stop);
}

void NoteOnErrors(std::ostream& errors, std::string_view line) {
  errors << "quidora: " << line << '\n';
  errors.flush();
}

}  // namespace quidora
