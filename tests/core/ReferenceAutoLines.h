#pragma once
// Automatic placement as it was first written: every trial line refitted in full, in the
// record, one after the other (time in the square of the number of points). The tests hold
// the linear placement to it, choice for choice and byte for byte.
#include "analysis/AutoPlacement.h"
#include "document/TitrationSystem.h"

namespace vexa::test {

enum class FailedTrials {
  NeverCount,     // a trial whose fit fails is never better (as placement works now)
  JudgedByRecord, // as it once did: by whatever error values the record held after it
};

AutoLinesOutcome ReferenceSetAutoLines(TitrationSystem& sys,
                                       FailedTrials failed = FailedTrials::NeverCount);

} // namespace vexa::test
