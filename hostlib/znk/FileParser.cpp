#include "znloader/FileParser.h"

#include <typeinfo>

#include "standin/TypeName.h"

namespace znloader {

FileParser::FileParser() noexcept = default;

FileParser::FileParser(const FileParser& other) noexcept = default;

FileParser& FileParser::operator=(const FileParser& other) noexcept = default;

FileParser::~FileParser() = default;

du::Symbol FileParser::GetDebugClassName() const { return standin::TypeName(typeid(*this)); }

void FileParser::OnComplete(unsigned long long /*requestId*/,
                            znk::BaseAsyncEvent::EventStatus /*status*/) {}

du::Symbol FileParser::GetParserName() const { return du::Symbol(); }

bool FileParser::IsPresaveNeeded() const { return false; }

bool FileParser::Presave() { return true; }

}  // namespace znloader
