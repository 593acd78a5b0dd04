#include "kernel/host_blocks.h"

namespace qxv {

unsigned char* AddBlock(BlockChain* chain, const BlockSource& source, std::uint32_t bytes) {
  void* memory = source.allocate(source.context, bytes);
  if (!memory) return nullptr;
  BlockLink* link = static_cast<BlockLink*>(memory);
  link->next = nullptr;
  if (chain->last) {
    chain->last->next = link;
  } else {
    chain->first = link;
  }
  chain->last = link;
  return static_cast<unsigned char*>(memory) + kBlockLinkBytes;
}

void FreeBlocksAfter(BlockChain* chain, BlockLink* keep, const BlockSource& source) {
  chain->last = keep;
  while (BlockLink* block = keep->next) {
    BlockLink* next = block->next;
    source.free(source.context, block);
    keep->next = next;
  }
}

void FreeChain(BlockChain* chain, const BlockSource& source) {
  BlockLink* first = chain->first;
  if (!first) return;
  FreeBlocksAfter(chain, first, source);
  source.free(source.context, first);
}

std::uint32_t SmallerBlockLimit(std::uint32_t refused) {
  if (refused <= kSmallestBlockLimit) return 0u;
  const std::uint32_t half = refused / 2u;
  return half < kSmallestBlockLimit ? kSmallestBlockLimit : half;
}

}  // namespace qxv
