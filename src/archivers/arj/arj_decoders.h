#pragma once
// The ARJ decompressors. Each runs until the window holds the declared size
// or the sink stops it, and throws kCorruptData on an invalid stream.

#include "archivers/arj/arj_bit_reader.h"
#include "archivers/arj/arj_output_window.h"

namespace zr::arj::detail {

// Methods 1-3: LZ77 with static Huffman codes sent per block.
void DecodeHuffmanMethod(BitReader &bits, OutputWindow &out);

// Method 4: LZ77 with variable-width bit codes and no Huffman coding.
void DecodeFastestMethod(BitReader &bits, OutputWindow &out);

}  // namespace zr::arj::detail
