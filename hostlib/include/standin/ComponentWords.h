#pragma once

// The three words (role, kind, format) by which a host asks a plug-in module for each annotation
// component it uses.
namespace standin {

struct ComponentWords {
  const char* role;
  const char* kind;
  const char* format;
};

inline constexpr ComponentWords kAnnotationComponents[] = {
    {"loader", "annotation", "etb"}, {"loader", "preferences", "etb"},
    {"loader", "annotation", "zip"}, {"saver", "annotation", "etb"},
    {"saver", "preferences", "etb"},
};

}  // namespace standin
