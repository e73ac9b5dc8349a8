#pragma once
// The processor's vector state between library code and ours.
//
// Some routines of the libraries we draw with (Qt's AVX2 fills and blends)
// return with the upper halves of the vector registers still in use. Until
// they are cleared, every SSE instruction that follows (our rasterizer, zlib,
// the picture encoders) runs several times slower on some processors; a
// 47 MB export was read at a third of its speed. The engine clears them after
// handing work to such routines.

namespace lh {

// Clears the upper halves of the vector registers where the processor has
// them (x86 with AVX); does nothing elsewhere.
void clearUpperVectorState();

// Whether the processor has the 512-bit vector units (x86 AVX-512 with byte,
// word and shorter-vector instructions) that the engine's widest loops use;
// where it has not, the engine uses plain loops that give the same pixels.
bool hasWideVectorUnits();

}   // namespace lh
