// What an image file's header says besides its channels: where the pixels
// lie in the picture, and the file's metadata. A frame keeps both from its
// colour file to write them out again.
#pragma once
#include <memory>

#include <OpenImageIO/paramlist.h>

namespace qxv::apply {

// Where the pixels lie: the data window (the pixels stored) inside the
// display window (the whole picture), as a render cropped to a border has.
struct ImageWindows {
  int x = 0, y = 0;  // the data window's top left corner
  int fullX = 0, fullY = 0, fullWidth = 0, fullHeight = 0;  // 0 wide: the data window
};

// What a file says besides its pixels (camera, colour space, render
// settings, ...), kept to go out with the frame that came from it.
using ImageMetadata = std::shared_ptr<const OIIO::ParamValueList>;

}  // namespace qxv::apply
