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

}   // namespace lh
