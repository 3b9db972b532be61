#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>

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
  for (const Case& c : {Case{"model.edz", true, "edz"}, Case{"/a/b/model.ED", true, "ED"},
                        Case{"archive.tar.gz", true, "gz"}, Case{"trailing.", true, ""},
                        Case{"/dir.ed/model", false, ""}, Case{"noext", false, ""},
                        Case{"", false, ""}, Case{".hidden", true, "hidden"}}) {
    std::string extension = "stale";
    EXPECT_EQ(du::FileSpec(c.path).GetFileExtension(&extension), c.found) << c.path;
    EXPECT_EQ(extension, c.extension) << c.path;
  }
  EXPECT_EQ(du::FileSpec::DIR_SEP_CHAR, '/');
  EXPECT_FALSE(du::FileSpec(nullptr).GetFileExtension(nullptr));
}

TEST(EncodingConverter, ConvertsBetweenTheSystemSetAndUtf8BothWays) {
  ASSERT_EQ(std::getenv("ZN_SYSTEM_ENCODING"), nullptr) << "tests expect the default set";
  EXPECT_STREQ(du::EncodingConverter::SystemDefault(), "WINDOWS-1252");
  du::EncodingConverter reader;  // system -> UTF-8
  du::EncodingConverter writer(du::EncodingConverter::UTF8(),
                               du::EncodingConverter::SystemDefault());
  std::string utf8;
  std::string back;
  EXPECT_TRUE(reader.Convert("caf\xE9 \x80 plain", utf8, nullptr));
  EXPECT_EQ(utf8, "caf\xC3\xA9 \xE2\x82\xAC plain");
  EXPECT_TRUE(writer.Convert(utf8, back, nullptr));
  EXPECT_EQ(back, "caf\xE9 \x80 plain");
  EXPECT_TRUE(reader.Convert("", utf8, nullptr));
  EXPECT_EQ(utf8, "");
}

TEST(EncodingConverter, UnconvertibleBytesBecomeQuestionMarks) {
  du::EncodingConverter writer(du::EncodingConverter::UTF8(),
                               du::EncodingConverter::SystemDefault());
  std::string out;
  EXPECT_FALSE(
      writer.Convert("a\xFF"
                     "b\xE2\x82",
                     out, nullptr))
      << "invalid and truncated UTF-8";
  EXPECT_EQ(out, "a?b??");
  EXPECT_FALSE(writer.Convert("\xE4\xB8\xAD", out, nullptr)) << "not in the system set";
  EXPECT_EQ(out.substr(0, 1), "?");

  du::EncodingConverter unknown("NO-SUCH-SET", "UTF-8");
  EXPECT_FALSE(unknown.Convert("bytes", out, nullptr));
  EXPECT_EQ(out, "bytes");
}

TEST(EncodingConverter, TheEnvironmentChoosesTheSystemSet) {
  EXPECT_STREQ(du::EncodingConverter::SystemDefault(), "WINDOWS-1252");
  ASSERT_EQ(::setenv("ZN_SYSTEM_ENCODING", "ISO-8859-7", 1), 0);
  EXPECT_STREQ(du::EncodingConverter::SystemDefault(), "WINDOWS-1252") << "read once";
  standin::RereadSystemEncoding();
  du::EncodingConverter greek;
  std::string out;
  EXPECT_TRUE(greek.Convert("\xE1", out, nullptr));
  EXPECT_EQ(out, "\xCE\xB1");  // alpha
  ::unsetenv("ZN_SYSTEM_ENCODING");
  standin::RereadSystemEncoding();
  EXPECT_STREQ(du::EncodingConverter::SystemDefault(), "WINDOWS-1252");
}

TEST(FileSourceURL, LocalPathsBecomeFileURLsAndURLsPass) {
  char cwd[4096];
  ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
  struct Case {
    du::Symbol source;
    du::Symbol expected;
  };
  const Case cases[] = {
      {"/data/a b/ü.etb", "file:///data/a b/ü.etb"},
      {"file:///x.etb", "file:///x.etb"},
      {"https://host/x.etb", "https://host/x.etb"},
      {"rel/x.etb", std::string("file://") + cwd + "/rel/x.etb"},
      {du::Symbol(), du::Symbol()},
      {du::Symbol::EMPTY, du::Symbol()},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(du::GetURLForFileSource(c.source, du::Symbol::EMPTY), c.expected)
        << c.source.safe_c_str();
  }
}

}  // namespace
