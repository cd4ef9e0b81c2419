#pragma once
// The wrapper streams of bass_fx.so. Each reads a decoding channel of bass.so and is
// itself handed to bass.so as a foreign source (TAVORA_StreamCreateSource).
//
// Threading: the read/seek/position callbacks run with bass.so's lock held; the
// settings calls (TempoSet) come from the program's thread and take the object's own
// lock.

#include "tavora/engine_ext.h"

namespace tavora::audio {

// A tempo/pitch stream over source; 0 on failure (error set).
HSTREAM CreateTempoStream(DWORD source, DWORD flags);
// tempo in percent (0 = unchanged), rate in Hz (0 = unchanged), pitch in semitones.
BOOL SetTempo(DWORD stream, float tempo, float rate, float pitch);

// A stream that plays source backwards, decoding blocks of blockSeconds.
HSTREAM CreateReverseStream(DWORD source, float blockSeconds, DWORD flags);

}  // namespace tavora::audio
