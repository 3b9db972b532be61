#pragma once

#include "du/HostApi.h"
#include "du/RefCounted.h"
#include "du/SmartPtr.h"
#include "du/Symbol.h"
#include "znk/AnnoSetTableEntry.h"
#include "znk/ComponentNode.h"

namespace znk {

// A loaded product structure: where it came from, where its annotation table and session state
// live, and its root node. The getters fill `out`, which stays unset when nothing is known.
class ZN_HOST_API Structure : public du::RefCounted {
 public:
  Structure();
  Structure(const Structure&) = delete;
  Structure& operator=(const Structure&) = delete;
  ~Structure() override;

  void GetFileSource(du::Symbol& out) const;
  void GetAnnoSetTableFileSource(du::Symbol& out) const;
  void GetSessionStateURL(du::Symbol& out) const;
  void GetSessionStateEtbFileName(du::Symbol& out) const;
  void GetSessionStateAstFileName(du::Symbol& out) const;
  void GetRoot(du::SmartPtr<ComponentNode>& out) const;
  const du::SmartPtr<AnnoSetTableEntry>& GetSessionStateAnnoEntry() const noexcept;

  void SetFileSource(const du::Symbol& source);
  void SetAnnoSetTableFileSource(const du::Symbol& source);
  void SetSessionStateURL(const du::Symbol& url);
  void SetSessionStateEtbFileName(const du::Symbol& name);
  void SetSessionStateAstFileName(const du::Symbol& name);
  void SetSessionStateAnnoEntry(const du::SmartPtr<AnnoSetTableEntry>& entry);

 private:
  du::Symbol fileSource_;
  du::Symbol tableFileSource_;
  du::Symbol sessionStateURL_;
  du::Symbol sessionStateEtbFile_;
  du::Symbol sessionStateAstFile_;
  du::SmartPtr<AnnoSetTableEntry> sessionStateEntry_;
  du::SmartPtr<ComponentNode> root_;
};

}  // namespace znk
