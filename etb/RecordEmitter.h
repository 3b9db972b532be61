#pragma once

#include <ostream>

#include "du/SmartPtr.h"
#include "etb/BufferedOutput.h"
#include "znk/AnnoSetTable.h"
#include "znk/AnnoSetTableEntry.h"

namespace etb {

// Writes one entry as one ETB record line (8 to 11 columns and a line feed). Texts are converted
// to the system's character set when `convertEncoding` is asked for and the table's product was
// loaded from an "ed"/"edz" file. Stream errors stay in the stream's state.
void WriteETBEntry(std::ostream& out, const du::SmartPtr<znk::AnnoSetTableEntry>& entry,
                   const du::SmartPtr<znk::AnnoSetTable>& table, bool convertEncoding);
// The same into a saver's buffered stream, without a second buffer.
void WriteETBEntry(BufferedOutput& out, const du::SmartPtr<znk::AnnoSetTableEntry>& entry,
                   const du::SmartPtr<znk::AnnoSetTable>& table, bool convertEncoding);

}  // namespace etb
