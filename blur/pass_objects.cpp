#include "blur/pass_objects.h"

#include "host/identifiers.h"
#include "module/held.h"
#include "module/host_bridge.h"

namespace qxv {
namespace {

// A host short of memory may leave a new object empty rather than raise a
// failure. The pass addresses every object it makes as one tile of the size
// it asked for, so one that is not (the single-tile test of the copies) is
// let go before anything reads it.
template <typename Face>
Result KeepIfOneTile(Face** field, std::uint32_t width, std::uint32_t height) {
  std::uint32_t tileWidth = 0, tileHeight = 0, reserved = 0, depth = 0;
  (*field)->ops->GetTileGeometry(*field, &tileWidth, &tileHeight, &reserved, &depth);
  if (tileWidth == width && tileHeight == height) return S_OK;
  ReleaseField(field);
  return E_OUTOFMEMORY;
}

}  // namespace

Result MakeTileBuffer(TileBuffer** field, std::uint32_t width, std::uint32_t height,
                      std::uint32_t bitsPerPixel, std::uint32_t formatTag,
                      std::uint32_t optionTag) {
  HostShell* shell = InitShell();
  // The result code is not examined: the object, or none, says it all.
  shell->ops->CreateHostObject(shell, &kCLSID_TileBuffer, nullptr, 0, &kIID_TileBuffer,
                               reinterpret_cast<void**>(field));
  if (!*field) return E_OUTOFMEMORY;
  (*field)->ops->Initialize(*field, width, height, bitsPerPixel, formatTag, optionTag);
  return KeepIfOneTile(field, width, height);
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
  return KeepIfOneTile(&pass->progressIcon, pass->info.tileWidth, pass->info.tileHeight);
}

}  // namespace qxv
