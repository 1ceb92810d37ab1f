#include <gtest/gtest.h>

#include <vector>

#include "base/codebytes.h"
#include "frontend/code_buffer.h"

namespace torvic {
namespace {

// Offsets of the items on a chain, in chain order.
std::vector<size_t> Walk(const CodeBuffer& b, Chain c) {
  std::vector<size_t> items;
  size_t at = ReadU16(b.Data() + static_cast<size_t>(c));
  while (at != 0 && items.size() < 100) {
    items.push_back(at);
    at = ReadU16(b.Data() + ChainLinkOffset(c, at));
  }
  return items;
}

TEST(CodeBuffer, ChainsThreadItemsInOrderAndJumpTargetsPointAtTheNumber) {
  CodeBuffer b;
  EXPECT_EQ(b.Size(), 16u);
  size_t v1 = b.Size();
  b.PutChainLink(Chain::Variable);
  b.Put8(0);
  size_t j1 = b.Size();
  b.PutJumpTarget(100, 5, 3, true);
  b.PutJumpTarget(0, 9, 1, false);  // e.g. ON ERROR GOTO 0: off the chain
  size_t j2 = b.Size();
  b.PutJumpTarget(20, 12, 2, true);
  size_t v2 = b.Size();
  b.PutChainLink(Chain::Variable);
  EXPECT_EQ(Walk(b, Chain::Variable), (std::vector<size_t>{v1, v2}));
  EXPECT_EQ(Walk(b, Chain::JumpTarget), (std::vector<size_t>{j1 + 1, j2 + 1}));
  EXPECT_EQ(ReadU32(b.Data() + j1 + 1), 100u);
  EXPECT_EQ(ReadU16(b.Data() + j1 + 5), 5u);
  EXPECT_EQ(b.At(j1 + 7), 3u);
  EXPECT_TRUE(Walk(b, Chain::Label).empty());
}

TEST(CodeBuffer, TruncateCutsEveryChainAtThePosition) {
  CodeBuffer b;
  b.PutChainLink(Chain::Constant);
  size_t keep = b.Size();
  b.PutJumpTarget(10, 0, 2, true);
  size_t cut = b.Size();
  b.PutJumpTarget(20, 0, 2, true);
  b.PutChainLink(Chain::Constant);
  b.PutChainLink(Chain::Label);
  b.Truncate(cut);
  EXPECT_EQ(b.Size(), cut);
  EXPECT_EQ(Walk(b, Chain::JumpTarget), (std::vector<size_t>{keep + 1}));
  EXPECT_EQ(Walk(b, Chain::Constant), (std::vector<size_t>{16}));
  EXPECT_TRUE(Walk(b, Chain::Label).empty());
  // Appending after a rollback links to the right tails again.
  size_t again = b.Size();
  b.PutChainLink(Chain::Constant);
  EXPECT_EQ(Walk(b, Chain::Constant), (std::vector<size_t>{16, again}));
  b.Truncate(16);
  for (Chain c : kAllChains) EXPECT_TRUE(Walk(b, c).empty());
}

TEST(CodeBuffer, OverflowFailsWithoutOverrunAndLeavesRoomForTheStructuralTail) {
  CodeBuffer b;
  size_t start = b.Size();
  std::vector<uint8_t> big(5000, 7);
  EXPECT_FALSE(b.PutBytes(big.data(), big.size()));
  EXPECT_TRUE(b.Failed());
  EXPECT_FALSE(b.Put8(1));  // sticky until rolled back
  b.Truncate(start);
  EXPECT_FALSE(b.Failed());
  while (b.Put8(1)) {}
  EXPECT_EQ(b.Size(), CodeBuffer::kCapacity - CodeBuffer::kTailReserve);
  b.Truncate(b.Size());
  EXPECT_TRUE(b.StructuralUncompiled(3, 4));
  EXPECT_TRUE(b.StructuralEnd());
  EXPECT_EQ(b.Size(), CodeBuffer::kCapacity);
  EXPECT_FALSE(b.StructuralEnd());
}

}  // namespace
}  // namespace torvic
