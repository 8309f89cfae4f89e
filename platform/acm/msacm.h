// The Audio Compression Manager ("msacm32.dll") as the sound converter calls it: format suggestion,
// conversion streams with their stream headers, metrics and size estimates. The only codec behind it
// decodes MPEG audio (format tags 0x50 and 0x55, layers 1 to 3) to 16-bit PCM through mpg123; every
// other conversion is refused as Windows refuses one for which no codec is installed.
#pragma once

#include "platform/dsound/wave_format.h"
#include "platform/kernel/win_types.h"
#include "platform/user/winmm.h"

#define MMSYSERR_INVALHANDLE 5
#define MMSYSERR_NOTSUPPORTED 8
#define MMSYSERR_INVALFLAG 10
#define MMSYSERR_INVALPARAM 11
#define MMSYSERR_NOMEM 7
#define ACMERR_NOTPOSSIBLE 512
#define ACMERR_BUSY 513
#define ACMERR_UNPREPARED 514

#define WAVE_FORMAT_MPEG 0x0050
#define WAVE_FORMAT_MPEGLAYER3 0x0055

struct HACMDRIVER__;
typedef HACMDRIVER__* HACMDRIVER;
struct HACMSTREAM__;
typedef HACMSTREAM__* HACMSTREAM;
typedef HACMSTREAM* LPHACMSTREAM;
struct HACMOBJ__;
typedef HACMOBJ__* HACMOBJ;

#define ACM_FORMATSUGGESTF_WFORMATTAG 0x00010000
#define ACM_FORMATSUGGESTF_NCHANNELS 0x00020000
#define ACM_FORMATSUGGESTF_NSAMPLESPERSEC 0x00040000
#define ACM_FORMATSUGGESTF_WBITSPERSAMPLE 0x00080000
#define ACM_FORMATSUGGESTF_TYPEMASK 0x00FF0000

#define ACM_STREAMOPENF_QUERY 0x00000001
#define ACM_STREAMOPENF_ASYNC 0x00000002
#define ACM_STREAMOPENF_NONREALTIME 0x00000004

#define ACM_STREAMCONVERTF_BLOCKALIGN 0x00000004
#define ACM_STREAMCONVERTF_START 0x00000010
#define ACM_STREAMCONVERTF_END 0x00000020

#define ACM_STREAMSIZEF_SOURCE 0x00000000
#define ACM_STREAMSIZEF_DESTINATION 0x00000001
#define ACM_STREAMSIZEF_QUERYMASK 0x0000000F

#define ACM_METRIC_MAX_SIZE_FORMAT 50

#define ACMSTREAMHEADER_STATUSF_DONE 0x00010000
#define ACMSTREAMHEADER_STATUSF_PREPARED 0x00020000
#define ACMSTREAMHEADER_STATUSF_INQUEUE 0x00100000

struct ACMSTREAMHEADER {
    DWORD cbStruct;
    DWORD fdwStatus;
    DWORD_PTR dwUser;
    LPBYTE pbSrc;
    DWORD cbSrcLength;
    DWORD cbSrcLengthUsed;
    DWORD_PTR dwSrcUser;
    LPBYTE pbDst;
    DWORD cbDstLength;
    DWORD cbDstLengthUsed;
    DWORD_PTR dwDstUser;
    DWORD dwReservedDriver[15];
};
typedef ACMSTREAMHEADER* LPACMSTREAMHEADER;

#pragma pack(push, 1)
// The format block of MPEG audio layer 3 (tag 0x55): 30 bytes.
struct MPEGLAYER3WAVEFORMAT {
    WAVEFORMATEX wfx;
    WORD wID;
    DWORD fdwFlags;
    WORD nBlockSize;
    WORD nFramesPerBlock;
    WORD nCodecDelay;
};
// The format block of MPEG-1 audio layers 1 and 2 (tag 0x50): 40 bytes.
struct MPEG1WAVEFORMAT {
    WAVEFORMATEX wfx;
    WORD fwHeadLayer;
    DWORD dwHeadBitrate;
    WORD fwHeadMode;
    WORD fwHeadModeExt;
    WORD wHeadEmphasis;
    WORD fwHeadFlags;
    DWORD dwPTSLow;
    DWORD dwPTSHigh;
};
#pragma pack(pop)
static_assert(sizeof(MPEGLAYER3WAVEFORMAT) == 30);
static_assert(sizeof(MPEG1WAVEFORMAT) == 40);

#define MPEGLAYER3_WFX_EXTRA_BYTES 12
#define MPEGLAYER3_ID_UNKNOWN 0
#define MPEGLAYER3_ID_MPEG 1
#define MPEGLAYER3_FLAG_PADDING_ISO 0x00000000
#define MPEGLAYER3_FLAG_PADDING_ON 0x00000001
#define MPEGLAYER3_FLAG_PADDING_OFF 0x00000002

MMRESULT WINAPI acmFormatSuggest(HACMDRIVER driver, LPWAVEFORMATEX source, LPWAVEFORMATEX dest,
                                 DWORD destSize, DWORD flags);
MMRESULT WINAPI acmStreamOpen(LPHACMSTREAM stream, HACMDRIVER driver, LPWAVEFORMATEX source,
                              LPWAVEFORMATEX dest, void* filter, DWORD_PTR callback, DWORD_PTR instance,
                              DWORD flags);
MMRESULT WINAPI acmStreamClose(HACMSTREAM stream, DWORD flags);
MMRESULT WINAPI acmMetrics(HACMOBJ object, UINT metric, LPVOID value);
MMRESULT WINAPI acmStreamPrepareHeader(HACMSTREAM stream, LPACMSTREAMHEADER header, DWORD flags);
MMRESULT WINAPI acmStreamConvert(HACMSTREAM stream, LPACMSTREAMHEADER header, DWORD flags);
MMRESULT WINAPI acmStreamUnprepareHeader(HACMSTREAM stream, LPACMSTREAMHEADER header, DWORD flags);
MMRESULT WINAPI acmStreamSize(HACMSTREAM stream, DWORD inputBytes, LPDWORD outputBytes, DWORD flags);

// Registers "msacm32.dll" with these entry points.
void RegisterAcmModule();
