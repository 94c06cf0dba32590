// Declares the filter classes' published properties to the streaming metadata, once per process.
#pragma once

namespace vmado::internal {

// Idempotent and thread-safe; every filter collection calls it on construction, so a stream
// can be read as soon as a collection exists to read into.
void RegisterFilterClasses();

} // namespace vmado::internal
