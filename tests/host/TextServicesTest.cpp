#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "du/EncodingConverter.h"
#include "du/FileSpecifier.h"
#include "du/URL.h"
#include "standin/SystemEncoding.h"

namespace {

TEST(FileSpec, TheExtensionIsAfterTheLastDotOfTheLastComponent) {
  struct Case {
    const char* path;
    bool found;
    const char* extension;
  };
  for (const Case& c :
       {Case{"/a/b/model.ED", true, "ED"}, Case{"archive.tar.gz", true, "gz"},
        Case{"trailing.", true, ""}, Case{"/dir.ed/model", false, ""}, Case{"", false, ""}}) {
    std::string extension = "stale";
    EXPECT_EQ(du::FileSpec(c.path).GetFileExtension(&extension), c.found) << c.path;
    EXPECT_EQ(extension, c.extension) << c.path;
  }
}

TEST(EncodingConverter, ConvertsBetweenTheSystemSetAndUtf8) {
  ASSERT_EQ(std::getenv("ZN_SYSTEM_ENCODING"), nullptr) << "tests expect the default set";
  du::EncodingConverter reader;  // system -> UTF-8
  du::EncodingConverter writer(du::EncodingConverter::UTF8(),
                               du::EncodingConverter::SystemDefault());
  std::string utf8;
  std::string back;
  EXPECT_TRUE(reader.Convert("caf\xE9 \x80 plain", utf8, nullptr));
  EXPECT_EQ(utf8, "caf\xC3\xA9 \xE2\x82\xAC plain");
  EXPECT_TRUE(writer.Convert(utf8, back, nullptr));
  EXPECT_EQ(back, "caf\xE9 \x80 plain");
  // Invalid, truncated and unmappable characters become question marks.
  EXPECT_FALSE(
      writer.Convert("a\xFF\xE4\xB8\xAD"
                     "b\xE2\x82",
                     back, nullptr));
  EXPECT_EQ(back, "a????b??");  // one per byte skipped
  du::EncodingConverter unknown("NO-SUCH-SET", "UTF-8");
  EXPECT_FALSE(unknown.Convert("bytes", back, nullptr));
  EXPECT_EQ(back, "bytes");
}

TEST(EncodingConverter, TheEnvironmentChoosesTheSystemSetOnce) {
  EXPECT_STREQ(du::EncodingConverter::SystemDefault(), "WINDOWS-1252");
  ASSERT_EQ(::setenv("ZN_SYSTEM_ENCODING", "ISO-8859-7", 1), 0);
  EXPECT_STREQ(du::EncodingConverter::SystemDefault(), "WINDOWS-1252") << "read once";
  standin::RereadSystemEncoding();
  std::string out;
  EXPECT_TRUE(du::EncodingConverter().Convert("\xE1", out, nullptr));
  EXPECT_EQ(out, "\xCE\xB1");  // alpha
  ::unsetenv("ZN_SYSTEM_ENCODING");
  standin::RereadSystemEncoding();
}

TEST(FileSourceURL, LocalPathsBecomeFileURLsAndURLsPass) {
  const std::string cwd = std::filesystem::current_path().string();
  const std::pair<du::Symbol, du::Symbol> cases[] = {
      {"/data/a b/\xc3\xbc.etb", "file:///data/a b/\xc3\xbc.etb"},
      {"https://host/x.etb", "https://host/x.etb"},
      {"rel/x.etb", "file://" + cwd + "/rel/x.etb"},
      {du::Symbol::EMPTY, du::Symbol()},
  };
  for (const auto& [source, expected] : cases) {
    EXPECT_EQ(du::GetURLForFileSource(source, du::Symbol::EMPTY), expected) << source.c_str();
  }
}

}  // namespace
