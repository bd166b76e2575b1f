// FFmpeg output through the host layer's file handle, shared by the video writer and recovery.
#pragma once

extern "C" {
#include <libavformat/avio.h>
}

#include "KyPlatform.h"

// An output context that writes and seeks through hFile, so that the file is held the way Windows
// holds it (no deletion or move while it is open) and can be synced to the disk. hFile is not
// owned. Null when out of memory. Release it with KyAvioFree.
AVIOContext* KyAvioOpen(KyPlatform::KyFileHandle hFile);
// Flushes what is buffered and frees the context and its buffer; false when a write failed.
// Null pointer: nothing to do, true.
bool KyAvioFree(AVIOContext*& pContext);
