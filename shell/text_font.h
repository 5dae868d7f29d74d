// Fonts for the texts the views and dialogs draw themselves ("Times New Roman" headings).
#pragma once

#include <QFont>
#include <QString>

class QPaintDevice;

namespace quidora {

// A font of `faceName` whose height in pixels is pointSize x the device's vertical pixels per
// inch / 72 (integer arithmetic), with `weight` on the 100..900 scale (800 is extra bold).
QFont CreateTextFont(const QPaintDevice& device, const QString& faceName, int pointSize, int weight,
                     bool italic = false);

// The same from a resolution, for callers without a device at hand.
QFont CreateTextFont(int pixelsPerInchY, const QString& faceName, int pointSize, int weight,
                     bool italic = false);

}  // namespace quidora
