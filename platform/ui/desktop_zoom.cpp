#include "platform/ui/desktop_zoom.h"

#include <QDir>
#include <QKeySequence>
#include <QShortcut>
#include <QStringList>
#include <algorithm>

#include "platform/ui/desktop_file.h"
#include "platform/ui/device_screen.h"

namespace quidora::ui {
namespace {

const QString kZoomKey = QStringLiteral("zoom");
// A desktop file of a few lines; anything far larger is not ours.
constexpr std::size_t kMaxFileSize = 64 * 1024;
constexpr char kHandoverVariable[] = "QUIDORA_ZOOM_HANDED_OVER";

// The file's lines, when it is a regular file that can be read; nothing otherwise. The read
// never waits and never takes more than the cap, whatever was put under the name meanwhile.
std::optional<QStringList> ReadLines(const std::string& path) {
  const std::optional<std::string> text = ReadDesktopFile(path, kMaxFileSize);
  if (!text) return std::nullopt;
  return QString::fromUtf8(text->data(), static_cast<qsizetype>(text->size())).split(u'\n');
}

// The key of a `key = value` line, or an empty string for anything else.
QString KeyOf(const QString& line) {
  const qsizetype equals = line.indexOf(u'=');
  return equals < 0 ? QString() : line.left(equals).trimmed();
}

std::optional<int> ParseZoom(const QString& text) {
  bool ok = false;
  const int zoom = text.trimmed().toInt(&ok);
  if (!ok || zoom < kSmallestZoom || zoom > kLargestZoom) return std::nullopt;
  return zoom;
}

}  // namespace

QString DesktopConfigPath() {
  QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
  if (base.isEmpty() || !QDir::isAbsolutePath(base)) base = QDir::homePath() + "/.config";
  return base + "/quidora/desktop.conf";
}

std::optional<int> ReadRememberedZoom(const QString& path) {
  const std::optional<QStringList> lines = ReadLines(path.toStdString());
  if (!lines) return std::nullopt;
  for (const QString& line : *lines) {
    if (KeyOf(line) == kZoomKey) return ParseZoom(line.mid(line.indexOf(u'=') + 1));
  }
  return std::nullopt;
}

bool RememberZoom(const QString& path, int zoom) {
  zoom = std::clamp(zoom, kSmallestZoom, kLargestZoom);
  const std::string file = path.toStdString();
  if (DesktopEntryAt(file) == DesktopEntry::Other) return false;
  // A file that cannot be read (write-only, too large) is replaced by one that can: written
  // again unreadable, the zoom would be lost at every start.
  QStringList lines = ReadLines(file).value_or(QStringList());
  lines.removeIf([](const QString& line) { return KeyOf(line) == kZoomKey; });
  while (!lines.isEmpty() && lines.back().trimmed().isEmpty()) lines.removeLast();
  lines.append(QStringLiteral("%1 = %2").arg(kZoomKey).arg(zoom));

  const QByteArray text = (lines.join(u'\n') + u'\n').toUtf8();
  return WriteDesktopFile(file,
                          std::string_view(text.constData(), static_cast<std::size_t>(text.size())));
}

void HandOverZoom(int zoom) {
  qputenv(kHandoverVariable,
          QByteArray::number(std::clamp(zoom, kSmallestZoom, kLargestZoom)));
}

std::optional<int> TakeHandedOverZoom() {
  const QString text = qEnvironmentVariable(kHandoverVariable);
  qunsetenv(kHandoverVariable);
  return text.isEmpty() ? std::nullopt : ParseZoom(text);
}

int FittingZoom(int availableHeight, int windowHeight) {
  if (windowHeight <= 0) return kSmallestZoom;
  const int room = availableHeight * 7 / 10;
  return std::clamp(room / windowHeight, kSmallestZoom, kLargestZoom);
}

std::optional<int> PinnedZoom() {
  const QString text = qEnvironmentVariable("QUIDORA_ZOOM");
  return text.isEmpty() ? std::nullopt : ParseZoom(text);
}

QByteArray ScaleFactorText(const QByteArray& desktopFactor, int zoom) {
  bool ok = false;
  double base = desktopFactor.toDouble(&ok);
  if (!ok || base <= 0) base = 1;
  return QByteArray::number(base * std::clamp(zoom, kSmallestZoom, kLargestZoom), 'g', 6);
}

void InstallZoomKeys(DeviceScreen& screen, const std::function<int()>& current,
                     const std::function<void(int)>& change) {
  const auto bind = [&](const QKeySequence& keys, std::function<int(int)> next) {
    auto* shortcut = new QShortcut(keys, &screen);
    shortcut->setContext(Qt::WindowShortcut);
    QObject::connect(shortcut, &QShortcut::activated, &screen, [current, change, next] {
      const int now = current();
      const int wanted = std::clamp(next(now), kSmallestZoom, kLargestZoom);
      if (wanted != now) change(wanted);
    });
  };
  const auto larger = [](int zoom) { return zoom + 1; };
  bind(QKeySequence(Qt::CTRL | Qt::Key_Plus), larger);
  bind(QKeySequence(Qt::CTRL | Qt::Key_Equal), larger);  // the plus key without Shift
  bind(QKeySequence(Qt::CTRL | Qt::Key_Minus), [](int zoom) { return zoom - 1; });
  bind(QKeySequence(Qt::CTRL | Qt::Key_0), [](int) { return kSmallestZoom; });
}

}  // namespace quidora::ui
