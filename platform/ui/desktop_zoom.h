// The zoom of the emulated screen on the desktop. The screen is drawn by Qt's own scaling
// (QT_SCALE_FACTOR, which multiplies the desktop's scale), so text and lines are drawn at the
// zoomed size and clicks arrive in emulated pixels. Qt reads that factor once per process, so
// a new zoom takes effect by starting the program again.
//
// The zoom is remembered in $XDG_CONFIG_HOME/quidora/desktop.conf ("zoom = 2"), a desktop-side
// file of `key = value` lines; the device registry never sees it.
#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

namespace quidora::ui {

class DeviceScreen;

inline constexpr int kSmallestZoom = 1;
inline constexpr int kLargestZoom = 4;

// $XDG_CONFIG_HOME/quidora/desktop.conf, or ~/.config/quidora/desktop.conf.
QString DesktopConfigPath();

// The remembered zoom; nothing when the file is missing, is not a regular file (a link, FIFO or
// device is never opened), cannot be read, is larger than 64 KiB, or its zoom line is absent or
// damaged.
std::optional<int> ReadRememberedZoom(const QString& path);
// Writes the zoom line and keeps every other line of a readable file, through a temporary file
// and a rename in the same folder (the file is then private). False when it cannot be written,
// and when the name holds anything but a regular file, which is left as it is.
bool RememberZoom(const QString& path, int zoom);

// The zoom a copy that ends for a new zoom hands to the next one, in the environment: the next
// copy shows it whether or not it could be remembered, and never restarts at start itself.
void HandOverZoom(int zoom);
// The handed-over zoom, once: the environment forgets it.
std::optional<int> TakeHandedOverZoom();

// The largest zoom whose window (`windowHeight` emulated pixels tall) fits in 70 % of the
// desktop's available height; at least 1.
int FittingZoom(int availableHeight, int windowHeight);

// QUIDORA_ZOOM=1..4 pins the zoom (for screenshots and checks); nothing when unset or invalid.
std::optional<int> PinnedZoom();

// The QT_SCALE_FACTOR text for `zoom` over the desktop's own factor text (empty: 1).
QByteArray ScaleFactorText(const QByteArray& desktopFactor, int zoom);

// Ctrl++ (and Ctrl+=), Ctrl+- and Ctrl+0 on the screen: `change` is called with the next zoom
// when it differs from `current`.
void InstallZoomKeys(DeviceScreen& screen, const std::function<int()>& current,
                     const std::function<void(int)>& change);

}  // namespace quidora::ui
