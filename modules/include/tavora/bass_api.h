/* The C interface of the player's audio modules ("bass.so", "bass_fx.so", "basscd.so",
 * "basswma.so", installed in the install folder's "system" folder).
 *
 * Units used throughout:
 *  - Byte positions and lengths count 16-bit samples of the channel's own channel count
 *    at the channel's own rate: bytes = frames * chans * 2. They are only meaningful
 *    through BASS_ChannelBytes2Seconds / BASS_ChannelSeconds2Bytes or when compared
 *    with each other on the same channel.
 *  - Volumes are percent (0..100); pan is -100..100 (-101 = keep).
 *  - Every call returns 0 (or -1 where noted) on failure and leaves the reason for
 *    BASS_ErrorGetCode, which is per thread.
 *
 * Threading: every call may be made from any thread. Playback runs on the modules'
 * own threads; calls never wait for decoding of a playing channel, except the
 * creation calls, which open and probe their source before they return.
 *
 * Network opens (BASS_StreamCreateURL) block their caller until the first audio has
 * been decoded, for at most the open deadline (15 s; TAVORA_NET_OPEN_DEADLINE_MS may
 * set another), and refuse replies whose headers exceed 64 KiB. Another thread ends
 * every open pending at that moment with BASS_CancelPendingOpens (BASS_Free does so
 * too); the open then fails with BASS_ERROR_FILEOPEN (BASS_ERROR_TIMEOUT when the
 * deadline passed). BASS_StreamFree of an address stream ends its network reads at
 * once, so freeing never waits for a stalled server.
 *
 * Output: when the sound server goes away, playback goes on in real time without
 * sound, TAVORA_OutputError tells why, and the output reconnects by itself (trying
 * about once a second).
 *
 * Every function also has a pointer typedef (PFN_<name>) so a program that loads the
 * modules at run time can keep resolved entry points in a table.
 */
#ifndef TAVORA_BASS_API_H
#define TAVORA_BASS_API_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define BASSAPI __attribute__((visibility("default")))

typedef uint32_t DWORD;
typedef uint64_t QWORD;
typedef int BOOL;
typedef DWORD HSTREAM; /* a stream channel */
typedef DWORD HCHANNEL;
typedef DWORD HFX;     /* an effect on a channel */
typedef DWORD HDSP;

#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif

/* The answer of BASS_GetVersion: major in the high word, minor in the low word. */
#define BASS_VERSION_EXPECTED 0x00010002u

/* Error codes (BASS_ErrorGetCode). */
#define BASS_OK              0
#define BASS_ERROR_MEM       1  /* out of memory */
#define BASS_ERROR_FILEOPEN  2  /* the file or address could not be opened */
#define BASS_ERROR_DRIVER    3  /* no sound server or output could be started */
#define BASS_ERROR_HANDLE    5  /* not a valid handle */
#define BASS_ERROR_FORMAT    6  /* unsupported sample format */
#define BASS_ERROR_POSITION  7  /* invalid position */
#define BASS_ERROR_INIT      8  /* BASS_Init has not been called successfully */
#define BASS_ERROR_ALREADY   14 /* already initialised */
#define BASS_ERROR_ILLTYPE   19 /* unknown effect or tag type */
#define BASS_ERROR_ILLPARAM  20 /* an argument is invalid */
#define BASS_ERROR_DEVICE    23 /* unknown output device */
#define BASS_ERROR_NOPLAY    24 /* the channel is not playing */
#define BASS_ERROR_NOTFILE   27 /* the stream is not a file stream */
#define BASS_ERROR_EMPTY     31 /* the stream has no such data */
#define BASS_ERROR_NONET     32 /* no network connection could be made */
#define BASS_ERROR_NOTAVAIL  37 /* the requested data or feature is not available */
#define BASS_ERROR_DECODE    38 /* the channel is (or is not) a decoding channel */
#define BASS_ERROR_TIMEOUT   40 /* the server did not answer in time */
#define BASS_ERROR_FILEFORM  41 /* the file's format is not recognised */
#define BASS_ERROR_UNKNOWN   (-1)

/* Stream and channel flags. */
#define BASS_SAMPLE_LOOP     0x4u      /* restart at the end */
#define BASS_SAMPLE_FLOAT    0x100u    /* BASS_ChannelGetData returns 32-bit floats */
#define BASS_FX_FREESOURCE   0x10000u  /* a wrapper owns and frees its source channel */
#define BASS_CD_OPEN         0x10000u  /* given with CD track opens; accepted and ignored */
#define BASS_POS_SECONDS     0x20000u  /* info flag: positions may be given as seconds */
#define BASS_STREAM_DECODE   0x200000u /* decode only: read with BASS_ChannelGetData, never played */
#define BASS_STREAM_META     0x400000u /* address streams: ask the server for stream titles */
#define BASS_STREAM_STATUS   0x800000u /* address streams: keep the server's header lines */

/* A position given as MAKELONG(seconds, 0xFFFF) means whole seconds. */
#define BASS_POS_SECONDS_FORM(seconds) ((QWORD)(0xFFFF0000u | ((DWORD)(seconds) & 0xFFFFu)))

/* BASS_ChannelGetData length flags. */
#define BASS_DATA_FFT512     0x80000000u /* 256 floats: magnitudes of a 512-point FFT of what plays */
#define BASS_DATA_FLOAT      0x40000000u /* decode channels: length is bytes of 32-bit floats */

/* BASS_ChannelIsActive answers. */
#define BASS_ACTIVE_STOPPED  0
#define BASS_ACTIVE_PLAYING  1
#define BASS_ACTIVE_STALLED  2
#define BASS_ACTIVE_PAUSED   3

/* BASS_StreamGetTags kinds. */
#define BASS_TAG_HTTP        3 /* HTTP reply header lines, NUL-separated, empty string last */
#define BASS_TAG_ICY         4 /* the "icy-..." header lines, NUL-separated, empty string last */
#define BASS_TAG_META        5 /* the last stream-title block: "StreamTitle='...';" */

/* BASS_StreamGetFilePosition modes; the answer is (DWORD)-1 when unknown. */
#define BASS_FILEPOS_DECODE   0 /* bytes of the file the decoder has consumed */
#define BASS_FILEPOS_DOWNLOAD 1 /* bytes downloaded (the file size for local files) */
#define BASS_FILEPOS_END      2 /* total size; -1 for endless streams */

/* Built-in effect types of BASS_ChannelSetFX. */
#define BASS_FX_REVERB       8

/* Effect numbers of BASS_FX_DSP_Set. */
#define BASS_FX_DSPFX_PEAKEQ 5

typedef struct BASS_CHANNELINFO {
    DWORD freq;  /* sample rate in Hz */
    DWORD chans; /* channel count */
    DWORD flags; /* the flags the stream was made with, plus BASS_POS_SECONDS where used */
    DWORD ctype; /* BASS_CTYPE_... */
} BASS_CHANNELINFO;

#define BASS_CTYPE_STREAM        0x10000u
#define BASS_CTYPE_STREAM_OGG    0x10002u
#define BASS_CTYPE_STREAM_MP1    0x10003u
#define BASS_CTYPE_STREAM_MP2    0x10004u
#define BASS_CTYPE_STREAM_MP3    0x10005u
#define BASS_CTYPE_STREAM_WAV    0x40001u
#define BASS_CTYPE_STREAM_CD     0x10200u
#define BASS_CTYPE_STREAM_WMA    0x10300u
#define BASS_CTYPE_STREAM_TEMPO  0x1f200u
#define BASS_CTYPE_STREAM_REVERSE 0x1f201u

/* One band of the peaking equaliser (effect BASS_FX_DSPFX_PEAKEQ). */
typedef struct BASS_FX_PEAKEQ_BAND {
    int band;        /* band index, in the order the bands were added */
    DWORD freq;      /* sample rate of the channel, Hz (0 = the channel's own) */
    float bandwidth; /* octaves; used when q is 0 */
    float q;         /* quality; 0 = use bandwidth */
    float center;    /* centre frequency, Hz */
    float gain;      /* dB, -15..15 */
} BASS_FX_PEAKEQ_BAND;

typedef void DOWNLOADPROC(const void* buffer, DWORD length, void* user);

/* ---- bass.so ---- */
#define TAVORA_BASS_FUNCTIONS(X) \
    X(DWORD, BASS_GetVersion, (void)) \
    X(BOOL, BASS_Init, (int device, DWORD freq, DWORD flags, void* window, const void* clsid)) \
    X(int, BASS_ErrorGetCode, (void)) \
    X(BOOL, BASS_Free, (void)) \
    X(HSTREAM, BASS_StreamCreateFile, (BOOL mem, const void* file, QWORD offset, QWORD length, DWORD flags)) \
    X(HSTREAM, BASS_StreamCreateURL, (const char* url, DWORD offset, DWORD flags, DOWNLOADPROC* proc, void* user)) \
    X(BOOL, BASS_StreamFree, (HSTREAM handle)) \
    X(QWORD, BASS_StreamGetLength, (HSTREAM handle)) \
    X(const char*, BASS_StreamGetTags, (HSTREAM handle, DWORD tags)) \
    X(DWORD, BASS_StreamGetFilePosition, (HSTREAM handle, DWORD mode)) \
    X(BOOL, BASS_ChannelPlay, (DWORD handle, BOOL restart)) \
    X(BOOL, BASS_ChannelStop, (DWORD handle)) \
    X(DWORD, BASS_ChannelIsActive, (DWORD handle)) \
    X(BOOL, BASS_ChannelSetAttributes, (DWORD handle, int freq, int volume, int pan)) \
    X(BOOL, BASS_ChannelGetAttributes, (DWORD handle, DWORD* freq, DWORD* volume, int* pan)) \
    X(BOOL, BASS_ChannelSlideAttributes, (DWORD handle, int freq, int volume, int pan, DWORD time)) \
    X(QWORD, BASS_ChannelGetPosition, (DWORD handle)) \
    X(BOOL, BASS_ChannelSetPosition, (DWORD handle, QWORD pos)) \
    X(float, BASS_ChannelBytes2Seconds, (DWORD handle, QWORD pos)) \
    X(QWORD, BASS_ChannelSeconds2Bytes, (DWORD handle, float pos)) \
    X(BOOL, BASS_ChannelGetInfo, (DWORD handle, BASS_CHANNELINFO* info)) \
    X(DWORD, BASS_ChannelGetData, (DWORD handle, void* buffer, DWORD length)) \
    X(HFX, BASS_ChannelSetFX, (DWORD handle, DWORD type, int priority)) \
    X(BOOL, BASS_ChannelRemoveFX, (DWORD handle, HFX fx)) \
    X(int, BASS_CancelPendingOpens, (void)) \
    X(int, TAVORA_OutputError, (void))

/* ---- bass_fx.so ---- */
#define TAVORA_BASS_FX_FUNCTIONS(X) \
    X(HSTREAM, BASS_FX_TempoCreate, (DWORD chan, DWORD flags)) \
    X(BOOL, BASS_FX_TempoSet, (DWORD chan, float tempo, float rate, float pitch)) \
    X(HSTREAM, BASS_FX_ReverseCreate, (DWORD chan, float dec_block, DWORD flags)) \
    X(BOOL, BASS_FX_DSP_Set, (DWORD handle, int dsp, int priority)) \
    X(BOOL, BASS_FX_DSP_Remove, (DWORD handle, int dsp)) \
    X(BOOL, BASS_FX_DSP_GetParameters, (DWORD handle, int dsp, void* params)) \
    X(BOOL, BASS_FX_DSP_SetParameters, (DWORD handle, int dsp, void* params))

/* ---- basscd.so ---- */
#define TAVORA_BASS_CD_FUNCTIONS(X) \
    X(HSTREAM, BASS_CD_StreamCreateFile, (const char* file, DWORD flags))

/* ---- basswma.so ---- */
#define TAVORA_BASS_WMA_FUNCTIONS(X) \
    X(HSTREAM, BASS_WMA_StreamCreateFile, (BOOL mem, const void* file, QWORD offset, QWORD length, DWORD flags))

#define TAVORA_BASS_DECLARE(ret, name, args) BASSAPI ret name args; typedef ret (*PFN_##name) args;
TAVORA_BASS_FUNCTIONS(TAVORA_BASS_DECLARE)
TAVORA_BASS_FX_FUNCTIONS(TAVORA_BASS_DECLARE)
TAVORA_BASS_CD_FUNCTIONS(TAVORA_BASS_DECLARE)
TAVORA_BASS_WMA_FUNCTIONS(TAVORA_BASS_DECLARE)
#undef TAVORA_BASS_DECLARE

#ifdef __cplusplus
}
#endif

#endif
