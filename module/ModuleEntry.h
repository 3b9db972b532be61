#pragma once

#include <string>

#include "du/RefCounted.h"
#include "du/SmartPtr.h"
#include "etbplugin_export.h"

// The module's entry points, looked up by the host under these plain names.
extern "C" {

// Creates the component named by (role, kind, format) into `out`. False, with `out` untouched,
// when the words name no component; true otherwise, with `out` empty if the host's pool had no
// memory for it.
ETBPLUGIN_EXPORT bool ZnDllCreateComponent(const std::string& role, const std::string& kind,
                                           const std::string& format,
                                           du::SmartPtr<du::RefCounted>& out);

ETBPLUGIN_EXPORT void ZnDllInit();
ETBPLUGIN_EXPORT void ZnDllTerminate();
}
