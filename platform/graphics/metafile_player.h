// Playback of an enhanced metafile onto any canvas, stretched so that the
// picture frame of its header fills a destination rectangle. Besides what our
// own metafile canvas records, playback understands the records the desktop's
// metafile canvas writes for report pages (map modes with window and viewport
// extents and origins, saved states, stock objects, ANSI and wide text, region
// fills, bitmap copies). It reads pages from anywhere: every record is checked
// against the data before it is used, records it does not know are skipped,
// and a record that does not fit stops playback.
#pragma once

#include "platform/graphics/geometry.h"

class TCanvas;
class TMetafile;

// What a playback did, for callers that care (tests, diagnostics).
struct TMetafilePlayback {
    int Records = 0;      // records looked at, the header included
    int Skipped = 0;      // unknown, unsupported or refused records
    bool Stopped = false; // a malformed record ended playback early
};

// Draws `metafile` onto `target`, its frame mapped onto `dest` (in the target's
// pixels). The target's state (objects, colours, modes, clip) is the same
// afterwards as before.
TMetafilePlayback PlayMetafile(const TMetafile& metafile, TCanvas& target, const TRect& dest);
