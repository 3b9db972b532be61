#pragma once

namespace standin {

// The host reads ZN_SYSTEM_ENCODING once, when a converter first asks; this reads it again, for
// tests that change it.
void RereadSystemEncoding();

// The next `times` conversions fail without writing their output at all, as another host's may.
void FailConversionsUntouched(int times);

}  // namespace standin
