#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "ModuleLoader.h"

// Loads the built module once for a test suite, the way etbtool does.
class ModuleTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::string error;
    module_ = etbtool::LoadedModule::Load(ETBPLUGIN_PATH, error);
    ASSERT_NE(module_, nullptr) << error;
  }
  static void TearDownTestSuite() { module_.reset(); }

  static bool Create(const std::string& role, const std::string& kind, const std::string& format,
                     du::SmartPtr<du::RefCounted>& out) {
    return module_->factory()(role, kind, format, out);
  }

  static std::unique_ptr<etbtool::LoadedModule> module_;
};

inline std::unique_ptr<etbtool::LoadedModule> ModuleTest::module_;
