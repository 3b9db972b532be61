#pragma once

// Numbers with a meaning in annotation entries and ETB records.
namespace etb {

// accessState: an entry the user may not change; savers never write it to the preferences.
constexpr int kProtectedAccessState = 2;
// secondState 2 and above: the entry a default table marks ("2" in column 9).
constexpr int kMarkedSecondState = 2;
// The annotation type of a session-state entry, whatever its record says.
constexpr int kSessionStateAnnotationType = 16;
// A record of this type whose file ends in ".ast" names the ".znd" beside it.
constexpr int kAstRecordAnnotationType = 15;
// The types whose records, for a ".zna" file, are view-state sources rather than entries.
constexpr int kViewStateRecordTypes[] = {1, 3, 4};
// The code every failed load reports to its event beside its message.
constexpr int kLoadFailureCode = 1;

}  // namespace etb
