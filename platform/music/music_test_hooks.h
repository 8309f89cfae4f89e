// Test control of the music player: without the refill thread, the stream buffer takes new samples
// only when a test asks, so a manually clocked output plays the same samples on every run.
#pragma once

// Applies to players opened from now on.
void SetMusicRefillThreadEnabled(bool enabled);
// Fills the stream buffer up to its play cursor now.
void RefillMusicNow();
// Whether the stream buffer is playing (a tune that ended or faded out stops it a buffer later).
bool IsMusicPlaying();
