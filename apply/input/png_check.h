// A look at a PNG file's chunk layout before a decoder reads it: a file cut
// short is the commonest damage, and it gets a plain reason here rather
// than a decoder error (OpenImageIO's PNG reader also loses a little memory
// on that path).
#pragma once
#include <string>

namespace qxv::apply {

// Empty when the file is not a PNG or its chunks run whole from the
// signature to IEND; else why not ("cut short inside a chunk", ...).
std::string PngDamage(const std::string& path);

}  // namespace qxv::apply
