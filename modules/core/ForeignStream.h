#pragma once
// How the sibling modules hand a stream source of their own to bass.so: an object with
//   DWORD Read(float* buffer, DWORD frames);  BOOL Seek(QWORD frame);
//   QWORD Position();  QWORD Length();   // frames, (QWORD)-1 when unknown
// becomes a TAVORA_SOURCE whose callbacks forward to it; bass.so deletes the object
// when the stream is freed (also when the creation fails).

#include "tavora/engine_ext.h"

namespace tavora::audio {

template <typename Impl>
HSTREAM CreateForeignStream(Impl* impl, DWORD freq, DWORD chans, DWORD ctype, DWORD flags) {
    TAVORA_SOURCE s {};
    s.freq = freq;
    s.chans = chans;
    s.ctype = ctype;
    s.read = [](void* user, float* buffer, DWORD frames) { return static_cast<Impl*>(user)->Read(buffer, frames); };
    s.seek = [](void* user, QWORD frame) { return static_cast<Impl*>(user)->Seek(frame); };
    s.position = [](void* user) { return static_cast<Impl*>(user)->Position(); };
    s.length = [](void* user) { return static_cast<Impl*>(user)->Length(); };
    s.destroy = [](void* user) { delete static_cast<Impl*>(user); };
    s.user = impl;
    return TAVORA_StreamCreateSource(&s, flags);
}

}  // namespace tavora::audio
