#include "blur/progress_icon.h"

#include "blur/pass_objects.h"
#include "kernel/progress_glyph.h"

namespace qxv {

void PaintIcon(Pass* pass, int glyph) {
  TiledImage* icon = pass->progressIcon;
  if (!icon || !pass->iconTileTaken) return;
  icon->ops->LockTile(icon, pass->iconTile);
  std::uint32_t* memory = icon->ops->GetTileData(icon, pass->iconTile);
  if (memory) PaintProgressGlyph(memory, pass->info.tileWidth, pass->info.tileHeight, glyph);
  icon->ops->UnlockTile(icon, pass->iconTile);
}

void ShowIconOverTile(Pass* pass) {
  if (!pass->view) return;
  *pass->workRect = ToRect16(*pass->iconRect);
  pass->view->ops->ShowRegion(pass->view, pass->progressIcon, pass->workRect, pass->tileRect);
}

void ShowFinishedTile(Pass* pass) {
  if (!pass->view) return;
  *pass->workRect = ToRect16(*pass->tileRect);
  pass->view->ops->ShowRegion(pass->view, pass->image, pass->workRect, pass->tileRect);
}

}  // namespace qxv
