#include "ReferenceLedger.h"

#include <atomic>
#include <map>
#include <mutex>
#include <sstream>
#include <typeinfo>
#include <unordered_map>

#include "du/RefCounted.h"
#include "standin/TypeName.h"

namespace standin {

namespace {

struct Book {
  std::mutex mutex;
  // object -> owner -> references held; std::map keeps listings in a stable order.
  std::unordered_map<const du::RefCounted*, std::map<const void*, int>> held;
  std::vector<std::string> violations;
};

Book& TheBook() {
  static Book* book = new Book;  // never destroyed: objects may die during static destruction
  return *book;
}

std::string Describe(const du::RefCounted* object, const void* owner) {
  std::ostringstream text;
  text << TypeName(typeid(*object)) << " at " << object << ", owner " << owner;
  return text.str();
}

}  // namespace

void EnableReferenceLedger(bool on) { ledger::enabled.store(on); }

bool IsReferenceLedgerEnabled() { return ledger::Enabled(); }

std::vector<HeldReference> OutstandingReferences() {
  Book& book = TheBook();
  std::lock_guard<std::mutex> lock(book.mutex);
  std::vector<HeldReference> rows;
  for (const auto& [object, owners] : book.held) {
    for (const auto& [owner, count] : owners) {
      rows.push_back({object, TypeName(typeid(*object)), owner, count});
    }
  }
  return rows;
}

std::vector<std::string> TakeLedgerViolations() {
  Book& book = TheBook();
  std::lock_guard<std::mutex> lock(book.mutex);
  std::vector<std::string> taken;
  taken.swap(book.violations);
  return taken;
}

namespace ledger {

std::atomic<bool> enabled{false};

void Add(const du::RefCounted* object, const void* owner) {
  Book& book = TheBook();
  std::lock_guard<std::mutex> lock(book.mutex);
  ++book.held[object][owner];
}

void Remove(const du::RefCounted* object, const void* owner) {
  Book& book = TheBook();
  std::lock_guard<std::mutex> lock(book.mutex);
  auto found = book.held.find(object);
  if (found != book.held.end()) {
    auto slot = found->second.find(owner);
    if (slot != found->second.end()) {
      if (--slot->second == 0) found->second.erase(slot);
      if (found->second.empty()) book.held.erase(found);
      return;
    }
  }
  book.violations.push_back("reference removed by an owner that holds none: " +
                            Describe(object, owner));
}

void Forget(const du::RefCounted* object) {
  Book& book = TheBook();
  std::lock_guard<std::mutex> lock(book.mutex);
  auto found = book.held.find(object);
  if (found == book.held.end()) return;
  for (const auto& [owner, count] : found->second) {
    // typeid is unusable here (the object is half destroyed), so only the addresses are told.
    std::ostringstream text;
    text << "object at " << object << " destroyed while owner " << owner << " holds " << count
         << " reference(s)";
    book.violations.push_back(text.str());
  }
  book.held.erase(found);
}

}  // namespace ledger
}  // namespace standin
