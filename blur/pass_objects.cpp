#include "blur/pass_objects.h"

#include "host/identifiers.h"
#include "module/host_bridge.h"

namespace qxv {

Result MakeTileBuffer(TileBuffer** field, std::uint32_t width, std::uint32_t height,
                      std::uint32_t bitsPerPixel, std::uint32_t formatTag,
                      std::uint32_t optionTag) {
  HostShell* shell = InitShell();
  // The result code is not examined: the object, or none, says it all.
  shell->ops->CreateHostObject(shell, &kCLSID_TileBuffer, nullptr, 0, &kIID_TileBuffer,
                               reinterpret_cast<void**>(field));
  if (!*field) return E_OUTOFMEMORY;
  (*field)->ops->Initialize(*field, width, height, bitsPerPixel, formatTag, optionTag);
  return S_OK;
}

Result MakeImageSizedBuffer(const Pass* pass, TileBuffer** field) {
  const BufferShape& info = pass->info;
  return MakeTileBuffer(field, info.width, info.height, info.bitsPerPixel, info.formatTag,
                        info.optionTag);
}

Result MakeProgressIcon(Pass* pass) {
  HostShell* shell = InitShell();
  shell->ops->CreateHostObject(shell, &kCLSID_TiledImage, nullptr, 0, &kIID_TiledImage,
                               reinterpret_cast<void**>(&pass->progressIcon));
  if (!pass->progressIcon) return E_OUTOFMEMORY;
  pass->progressIcon->ops->InitializeImage(pass->progressIcon, pass->info.tileWidth,
                                           pass->info.tileHeight, pass->info.pixelDepth);
  return S_OK;
}

}  // namespace qxv
