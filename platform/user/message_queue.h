// The per-thread message queues: posted messages, messages sent from other threads, the quit flag and
// timers. Retrieval order of PeekMessageA: messages sent from other threads are handled first, then
// posted messages (input included) in order, then WM_QUIT, then WM_PAINT, then WM_TIMER.
#pragma once

#include "platform/user/user32.h"

// Queues a message for a thread (window null: a thread message).
void PostToThread(DWORD thread_id, HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Queues a message for the calling thread ahead of everything posted (the character of a key that
// TranslateMessage just handled comes before the next key).
void PostAheadToCallingThread(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Drops every posted message and timer of a window that is being destroyed.
void ForgetWindowMessages(HWND window);
// The thread that polls the host for events (the first that made a window shown by the host).
void SetHostThread(DWORD thread_id);
// Tests: empties every queue and removes every timer.
void ResetMessageQueuesForTests();
