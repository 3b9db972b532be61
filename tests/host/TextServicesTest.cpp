#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "du/EncodingConverter.h"
#include "du/FileSpecifier.h"
#include "du/URL.h"
#include "standin/SystemEncoding.h"

namespace {

// Only the last component's last dot counts.
TEST(FileSpec, TheExtensionIsAfterTheLastDotOfTheLastComponent) {
  const std::pair<const char*, const char*> cases[] = {
      {"/a/b/model.ED", "ED"}, {"archive.tar.gz", "gz"}, {"/dir.ed/model", nullptr}, {"", nullptr}};
  for (const auto& [path, extension] : cases) {
    std::string found;
    EXPECT_EQ(du::FileSpec(path).GetFileExtension(&found), extension != nullptr) << path;
    EXPECT_EQ(found, extension != nullptr ? extension : "") << path;
  }
}

// Invalid, truncated and unmappable bytes become question marks. ZN_SYSTEM_ENCODING chooses the
// system set, read once.
TEST(EncodingConverter, ConvertsBetweenTheSystemSetAndUtf8) {
  ASSERT_EQ(std::getenv("ZN_SYSTEM_ENCODING"), nullptr) << "tests expect the default set";
  du::EncodingConverter writer(du::EncodingConverter::UTF8(),
                               du::EncodingConverter::SystemDefault());
  std::string utf8;
  std::string back;
  EXPECT_TRUE(du::EncodingConverter().Convert("caf\xE9 \x80 plain", utf8, nullptr));
  EXPECT_EQ(utf8, "caf\xC3\xA9 \xE2\x82\xAC plain");
  EXPECT_TRUE(writer.Convert(utf8, back, nullptr));
  EXPECT_EQ(back, "caf\xE9 \x80 plain");
  EXPECT_FALSE(writer.Convert("a\xFF\xE4\xB8\xAD.\xE2\x82", back, nullptr));
  EXPECT_EQ(back, "a????.??");  // one per byte skipped
  EXPECT_FALSE(du::EncodingConverter("NO-SUCH-SET", "UTF-8").Convert("bytes", back, nullptr));
  EXPECT_EQ(back, "bytes");

  ASSERT_EQ(::setenv("ZN_SYSTEM_ENCODING", "ISO-8859-7", 1), 0);
  EXPECT_STREQ(du::EncodingConverter::SystemDefault(), "WINDOWS-1252");
  standin::RereadSystemEncoding();
  EXPECT_TRUE(du::EncodingConverter().Convert("\xE1", utf8, nullptr));
  EXPECT_EQ(utf8, "\xCE\xB1");  // alpha
  ::unsetenv("ZN_SYSTEM_ENCODING");
  standin::RereadSystemEncoding();
}

TEST(FileSourceURL, LocalPathsBecomeFileURLsAndURLsPass) {
  const std::string cwd = std::filesystem::current_path().string();
  EXPECT_EQ(du::GetURLForFileSource("/a b/\xc3\xbc.etb", ""), "file:///a b/\xc3\xbc.etb");
  EXPECT_EQ(du::GetURLForFileSource("rel/x.etb", ""), "file://" + cwd + "/rel/x.etb");
  EXPECT_EQ(du::GetURLForFileSource("https://host/x.etb", ""), "https://host/x.etb");
  EXPECT_TRUE(du::GetURLForFileSource(du::Symbol::EMPTY, "").IsNull());
}

}  // namespace
