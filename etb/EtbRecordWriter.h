#pragma once

#include "etb/BufferedOutput.h"
#include "etb/EtbRecord.h"

namespace etb {

// Writes one record as one ETB line: columns 1 to 8 always, then column 9 ("2" for a second
// state of 2 or more, else "0") when it is marked or an extra text 1 follows, column 10 when the
// extra text 1 is not empty, column 11 when the extra text 2 is not empty behind it, and a line
// feed. The comment is never written. Errors stay in the stream's state.
//
// Two records cannot be written so that they read back as they are; both are written as close
// as the format allows:
// - an access state of four or more characters: a column 9 always follows it, so it never ends
//   its line and never swallows the next records; it still reads back with a comment;
// - an extra text 2 without an extra text 1: it has no column of its own (an empty column 10
//   hides column 11), so it is left out.
void WriteEtbRecord(BufferedOutput& out, const EtbRecord& record);

}  // namespace etb
