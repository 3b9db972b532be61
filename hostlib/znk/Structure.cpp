#include "znk/Structure.h"

namespace znk {

Structure::Structure() : root_(new ComponentNode) {}

Structure::~Structure() = default;

void Structure::GetFileSource(du::Symbol& out) const { out = fileSource_; }

void Structure::GetAnnoSetTableFileSource(du::Symbol& out) const { out = tableFileSource_; }

void Structure::GetSessionStateURL(du::Symbol& out) const { out = sessionStateURL_; }

void Structure::GetSessionStateEtbFileName(du::Symbol& out) const { out = sessionStateEtbFile_; }

void Structure::GetSessionStateAstFileName(du::Symbol& out) const { out = sessionStateAstFile_; }

void Structure::GetRoot(du::SmartPtr<ComponentNode>& out) const { out = root_; }

const du::SmartPtr<AnnoSetTableEntry>& Structure::GetSessionStateAnnoEntry() const noexcept {
  return sessionStateEntry_;
}

void Structure::SetFileSource(const du::Symbol& source) { fileSource_ = source; }

void Structure::SetAnnoSetTableFileSource(const du::Symbol& source) { tableFileSource_ = source; }

void Structure::SetSessionStateURL(const du::Symbol& url) { sessionStateURL_ = url; }

void Structure::SetSessionStateEtbFileName(const du::Symbol& name) { sessionStateEtbFile_ = name; }

void Structure::SetSessionStateAstFileName(const du::Symbol& name) { sessionStateAstFile_ = name; }

void Structure::SetSessionStateAnnoEntry(const du::SmartPtr<AnnoSetTableEntry>& entry) {
  sessionStateEntry_ = entry;
}

}  // namespace znk
