#pragma once

#include <chrono>

#include "CommChannel.h"
#include "LinkState.h"
#include "WindowOps.h"

// The pause before the receive buffer is discarded, so the rest of a frame
// that is still arriving goes with it.
inline constexpr std::chrono::milliseconds kFrameSettlePause{5};

// Takes one frame from the channel's receive event: read at most six bytes,
// pause, discard whatever else waits, store the frame and, once every index has
// been seen, show the live values. A short read is discarded undecoded.
void HandleCommEvent(LinkState& state, WindowOps& window, CommChannel& channel);
