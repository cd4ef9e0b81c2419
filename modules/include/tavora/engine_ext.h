/* Extra entry points of "bass.so" through which the sibling modules ("bass_fx.so",
 * "basscd.so", "basswma.so") add their own stream sources and DSP stages to bass.so's
 * channels. Not part of the program's interface.
 *
 * Samples are 32-bit floats, interleaved, in the channel's own rate and channel count;
 * positions and lengths here are in frames (one sample per channel).
 *
 * Threading: the source and DSP callbacks run on bass.so's playback thread (or the
 * thread that reads a decoding channel) with the engine's lock held; they may call
 * back into the TAVORA_ functions (the lock is recursive) but must not block.
 */
#ifndef TAVORA_ENGINE_EXT_H
#define TAVORA_ENGINE_EXT_H

#include "tavora/bass_api.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct TAVORA_SOURCE {
    DWORD freq;
    DWORD chans;
    DWORD ctype; /* BASS_CTYPE_... reported by BASS_ChannelGetInfo */
    /* Fills up to frames frames; answers the count, 0 at the end. */
    DWORD (*read)(void* user, float* buffer, DWORD frames);
    BOOL (*seek)(void* user, QWORD frame);
    QWORD (*position)(void* user); /* the frame the next read starts at, in source terms */
    QWORD (*length)(void* user);   /* frames, (QWORD)-1 when unknown */
    void (*destroy)(void* user);   /* called once when the stream is freed */
    void* user;
} TAVORA_SOURCE;

typedef void (*TAVORA_DSPPROC)(void* user, float* buffer, DWORD frames, DWORD chans, DWORD freq);
typedef void (*TAVORA_DSPFREE)(void* user);

#define TAVORA_ENGINE_FUNCTIONS(X) \
    X(HSTREAM, TAVORA_StreamCreateSource, (const TAVORA_SOURCE* source, DWORD flags)) \
    X(DWORD, TAVORA_ChannelReadFloat, (DWORD handle, float* buffer, DWORD frames)) \
    X(BOOL, TAVORA_ChannelSeekFrame, (DWORD handle, QWORD frame)) \
    X(QWORD, TAVORA_ChannelFramePosition, (DWORD handle)) \
    X(QWORD, TAVORA_ChannelFrameLength, (DWORD handle)) \
    X(HDSP, TAVORA_ChannelAddDSP, (DWORD handle, int kind, int priority, TAVORA_DSPPROC proc, TAVORA_DSPFREE destroy, void* user)) \
    X(void*, TAVORA_ChannelFindDSP, (DWORD handle, int kind)) \
    X(BOOL, TAVORA_ChannelRemoveDSPKind, (DWORD handle, int kind)) \
    X(void, TAVORA_SetError, (int code))

#define TAVORA_ENGINE_DECLARE(ret, name, args) BASSAPI ret name args;
TAVORA_ENGINE_FUNCTIONS(TAVORA_ENGINE_DECLARE)
#undef TAVORA_ENGINE_DECLARE

#ifdef __cplusplus
}
#endif

#endif
