#pragma once

#include "recovery/deleted/carving/byte_source.h"
#include "recovery/deleted/carving/structure_walk.h"

namespace tidewell::FileCarving {

// One walker per format. Each reads the would-be file from position 0 of the
// source and follows the format's own structure to its end; none guesses a
// size. Each keeps `walk` up to date as it goes (kind, date, and status
// truncated once the format is recognised) and returns the finished walk; a
// read past the available bytes throws EndOfData, and `walk` then says what
// was known. walkFile() runs them.
namespace Walkers {
StructureWalk jpeg(ByteSource& source, StructureWalk& walk);
StructureWalk png(ByteSource& source, StructureWalk& walk);
StructureWalk gif(ByteSource& source, StructureWalk& walk);
StructureWalk tiff(ByteSource& source, StructureWalk& walk);
StructureWalk isoMedia(ByteSource& source, StructureWalk& walk);
StructureWalk pdf(ByteSource& source, StructureWalk& walk);
StructureWalk zip(ByteSource& source, StructureWalk& walk);
StructureWalk riff(ByteSource& source, StructureWalk& walk);
StructureWalk mp3(ByteSource& source, StructureWalk& walk);
}  // namespace Walkers

using Walker = StructureWalk (*)(ByteSource&, StructureWalk&);

// The walker whose signature the leading bytes carry, if any.
Walker walkerFor(std::span<const std::uint8_t> leadingBytes);

// Runs the walker that matches the source's leading bytes; notThisFormat when
// none matches or the structure is not the format's after all.
StructureWalk walkFile(ByteSource& source);

}  // namespace tidewell::FileCarving
