// Turns the host's events into window messages: keys into WM_KEYDOWN/WM_KEYUP (WM_SYSKEY* with Alt),
// typed text into WM_CHAR bytes, mouse input, focus into activation, a close request into WM_CLOSE,
// size and position changes into WM_SIZE/WM_MOVE, dropped files into WM_DROPFILES.
#pragma once

#include "platform/host/host.h"

// Polls the host and handles every event it has. Runs inside PeekMessageA on the host's thread.
void DeliverHostEvents();
void HandleHostEvent(const HostEvent& event);
