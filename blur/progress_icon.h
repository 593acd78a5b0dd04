// The progress icon shown in a tile's place while the pass works on it.
#pragma once
#include "blur/pass.h"

namespace qxv {

// Locks the icon's tile, paints glyph 1 (streaks) or 2 (composite), unlocks.
void PaintIcon(Pass* pass, int glyph);

// Shows the icon in the place of the tile in pass->tileRect, and the
// finished tile afterwards.
void ShowIconOverTile(Pass* pass);
void ShowFinishedTile(Pass* pass);

}  // namespace qxv
