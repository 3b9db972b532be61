#pragma once

#include <string>

#include "du/HostApi.h"
#include "du/SmartPtr.h"
#include "znk/AsyncEvent.h"
#include "znloader/FileParser.h"

namespace znk {
class AnnoSetTable;
class AnnoSetTableEntry;
}  // namespace znk

namespace znloader {

// The host's interface to annotation loaders and savers. The order of the virtual operations is
// part of the host's binary interface and must not change; the reserved slots keep it.
class ZN_HOST_API AnnotationParser : public FileParser {
 public:
  AnnotationParser() noexcept = default;
  AnnotationParser(const AnnotationParser& other) noexcept = default;
  AnnotationParser& operator=(const AnnotationParser& other) noexcept = default;
  ~AnnotationParser() override;

  virtual void ReservedAction1();
  virtual void ReservedAction2();
  virtual void LoadAnnotationTable(const du::SmartPtr<znk::AnnoSetTable>& table,
                                   znk::AsyncEvent* event);
  virtual void LoadSessionState(const du::SmartPtr<znk::AnnoSetTable>& table,
                                znk::AsyncEvent* event);
  virtual void ReservedAction3();
  virtual bool ReservedQuery1();
  virtual bool SaveAnnotationTable(const du::SmartPtr<znk::AnnoSetTable>& table,
                                   const du::SmartPtr<znk::AnnoSetTableEntry>& entry,
                                   const std::string& fileName, bool addFlag, bool convertEncoding);
  virtual bool SaveDefaultAnnotationTable(const du::SmartPtr<znk::AnnoSetTable>& table,
                                          const du::SmartPtr<znk::AnnoSetTableEntry>& entry,
                                          bool markEntry, const std::string& fileName);
  virtual bool ReservedQuery2();
  virtual bool ReservedQuery3();
  virtual int ReservedCount();
};

}  // namespace znloader
