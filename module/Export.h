#pragma once

// The module is built with hidden visibility; this marks what the host may bind to by name.
#define ETBPLUGIN_EXPORT __attribute__((visibility("default")))
