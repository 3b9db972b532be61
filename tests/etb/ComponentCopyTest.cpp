// Copies of the components that hold state: each shares the table under its own reference, and a
// copied loader gets a file reader of its own (ASan would catch two parsers deleting one reader).
#include <gtest/gtest.h>

#include "etb/EtbWriter.h"
#include "etb/Parser.h"
#include "standin/Ledger.h"
#include "zip/ZipParser.h"

namespace {

TEST(ComponentCopy, CopiesAndAssignmentsKeepTheirOwnResources) {
  const long objectsBefore = standin::LiveRefCountedObjects();
  {
    etb::Parser original;
    EXPECT_EQ(standin::LiveRefCountedObjects(), objectsBefore + 2) << "parser and its reader";
    etb::Parser copy(original);
    EXPECT_EQ(standin::LiveRefCountedObjects(), objectsBefore + 4) << "a second reader";
    etb::Parser assigned;
    assigned = copy;
    assigned = assigned;
    EXPECT_EQ(standin::LiveRefCountedObjects(), objectsBefore + 6);

    zip::ZipParser zipOriginal;
    zip::ZipParser zipCopy(zipOriginal);
    zipCopy = zipOriginal;
    etb::EtbWriter writer;
    etb::EtbWriter writerCopy(writer);
    writerCopy = writer;
    EXPECT_EQ(writerCopy.GetReferenceCount(), 0) << "a copy starts without references";
  }
  EXPECT_EQ(standin::LiveRefCountedObjects(), objectsBefore);
}

}  // namespace
