// The date range of both reports: two pickers that open on the range last accepted in this run
// (today at start), shared with delete by range. A range is accepted when its start is not after
// its end (one day is a range); the accepted dates become the range of the run.
#pragma once

#include "core/date.h"

class QDateEdit;
class QWidget;

namespace quidora {

class Program;

namespace reports {

struct DateRangePickers {
  QDateEdit* start;
  QDateEdit* end;
};

// Makes both pickers in the date notation of the settings, showing the program's range.
DateRangePickers MakeRangePickers(QWidget* parent, const Program& program, int startId, int endId);

struct PickedRange {
  SystemTime start;
  SystemTime end;
  bool accepted;
};

// Reads both pickers. A start after the end shows "Starts date must be earlier than Ends date!"
// and puts the focus on the start picker; otherwise the dates become the program's range.
PickedRange AcceptRange(Program& program, const DateRangePickers& pickers);

}  // namespace reports
}  // namespace quidora
