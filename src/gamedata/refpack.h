#pragma once
// RefPack (QFS), EA's LZ77 compression, as used for members of BIGF archives.
//
// Stream: a header (flags byte with 0x10 set, then 0xFB; an optional compressed-size field when
// flag 0x01 is set; the uncompressed size, big-endian, 3 bytes or 4 when flag 0x80 is set), then
// commands that each copy 0..3 (or 4..112) literal bytes and then a back-reference, closed by a
// mandatory end command (0xFC..0xFF).

#include <cstdint>

#include "common/bytes.h"
#include "common/result.h"

namespace rw {

// True when the data starts with one of the four headers the reference decoder accepts:
// 10 FB, 11 FB, 90 FB, 91 FB.
bool IsRefPack(ByteSpan data);

// Decodes a whole RefPack stream. Refuses (before allocating) an uncompressed size above
// `maxOutput` or above what the stream's length can produce; refuses a stream whose commands read past the
// input, reach before the start of the output, write past the declared size, or end (end command or input)
// short of it. Bytes after the end command are ignored (archives pad members with zeros).
Result<Bytes> RefPackDecompress(ByteSpan in, std::uint64_t maxOutput);

// Encodes `in` with a 10 FB header (90 FB with 4-byte sizes from 16 MiB on). Inputs of 4 GiB
// and more cannot be described by the header and are refused.
Result<Bytes> RefPackCompress(ByteSpan in);

}  // namespace rw
