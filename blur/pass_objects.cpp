#include "blur/pass_objects.h"

#include "host/identifiers.h"
#include "module/held.h"
#include "module/host_bridge.h"

namespace qxv {

const Rect16 kWholeRegion = {0, 0, 32000, 32000};

bool MakeTileBuffer(Pass* pass, TileBuffer** field, std::uint32_t width, std::uint32_t height,
                    std::uint32_t bitsPerPixel, std::uint32_t formatTag,
                    std::uint32_t optionTag) {
  HostShell* shell = InitShell();
  shell->ops->CreateHostObject(shell, &kCLSID_TileBuffer, nullptr, 0, &kIID_TileBuffer,
                               reinterpret_cast<void**>(field));
  if (!*field) {
    pass->outOfMemory = true;
    return false;
  }
  (*field)->ops->Initialize(*field, width, height, bitsPerPixel, formatTag, optionTag);
  return true;
}

bool MakeImageSizedBuffer(Pass* pass, TileBuffer** field) {
  const ImageDescription& info = pass->info;
  return MakeTileBuffer(pass, field, info.width, info.height, info.bitsPerPixel, info.formatTag,
                        info.optionTag);
}

bool MakeProgressIcon(Pass* pass) {
  HostShell* shell = InitShell();
  shell->ops->CreateHostObject(shell, &kCLSID_TiledImage, nullptr, 0, &kIID_TiledImage,
                               reinterpret_cast<void**>(&pass->progressIcon));
  if (!pass->progressIcon) {
    pass->outOfMemory = true;
    return false;
  }
  pass->progressIcon->ops->InitializeImage(pass->progressIcon, pass->info.tileWidth,
                                           pass->info.tileHeight, pass->info.pixelDepth);
  return true;
}

Rect16 ToRect16(const Rect32& r) {
  return {static_cast<std::int16_t>(static_cast<std::uint16_t>(r.top)),
          static_cast<std::int16_t>(static_cast<std::uint16_t>(r.left)),
          static_cast<std::int16_t>(static_cast<std::uint16_t>(r.bottom)),
          static_cast<std::int16_t>(static_cast<std::uint16_t>(r.right))};
}

Rect32 ToRect32(const Rect16& r) { return {r.top, r.left, r.bottom, r.right}; }

}  // namespace qxv
