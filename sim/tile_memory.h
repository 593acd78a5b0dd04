// Tile memory handed on from buffers that went to buffers of the same size
// made after them. The module makes its whole-frame buffers afresh every
// frame; fresh memory costs a page fault per page and the kernel's
// clearing of it, several times what zeroing memory already mapped costs.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

namespace qxv::sim {

// `elements` zeroed elements, from memory given back earlier on this thread
// when some of that size is kept.
std::unique_ptr<std::uint32_t[]> ZeroedTileMemory(std::size_t elements);
// Keeps large blocks for the next ZeroedTileMemory of their size on this
// thread (a few, the latest); frees the rest.
void GiveBackTileMemory(std::unique_ptr<std::uint32_t[]> memory, std::size_t elements);

}  // namespace qxv::sim
