// The host blocks a large structure is built in. A 32-bit host's free
// address space comes in pieces, usually far smaller than its total, so no
// block is asked for above a limit; the blocks are chained through their
// first bytes so that one walk gives them all back, on the failure path too.
#pragma once
#include <cstdint>

namespace qxv {

// What the host lends: blocks, null when refused.
struct BlockSource {
  void* (*allocate)(void* context, std::uint32_t bytes);
  void (*free)(void* context, void* block);
  void* context;
};

// The first bytes of every block, padded so that what follows is aligned
// for anything the structure keeps there.
struct BlockLink {
  BlockLink* next;
};
constexpr std::uint32_t kBlockLinkBytes = 16;
static_assert(sizeof(BlockLink) <= kBlockLinkBytes, "a link fits its padding");

struct BlockChain {
  BlockLink* first;
  BlockLink* last;
};

// A new block of `bytes`, its link included, chained at the end: the memory
// after the link, or null when the host refused it. Nothing but the host's
// allocation runs between getting the block and chaining it.
unsigned char* AddBlock(BlockChain* chain, const BlockSource& source, std::uint32_t bytes);

// Gives back every block after `keep`, which becomes the last. A block
// leaves the chain only once it is given back, so a host failure raised
// from the host's free leaves every block still held in the chain.
void FreeBlocksAfter(BlockChain* chain, BlockLink* keep, const BlockSource& source);

// Gives back every block of the chain, its first last, since the chain may
// live in it: whoever holds the first block lets go of it right after.
void FreeChain(BlockChain* chain, const BlockSource& source);

// The limit to try after a block of `refused` bytes was refused: half of
// it, but no less than the smallest block worth asking for; 0 when the
// refused block was no larger than that (the host is then short of memory,
// not of ranges).
std::uint32_t SmallerBlockLimit(std::uint32_t refused);
constexpr std::uint32_t kSmallestBlockLimit = 4096;

}  // namespace qxv
