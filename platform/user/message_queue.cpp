#include "platform/user/message_queue.h"

#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>

#include "platform/host/host.h"
#include "platform/kernel/clock.h"
#include "platform/user/host_input.h"
#include "platform/user/keyboard_state.h"
#include "platform/user/user_thread.h"
#include "platform/user/window_store.h"

namespace {

constexpr UINT kMinimumTimerPeriod = 10;

struct SentMessage {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT result = 0;
    bool done = false;
};

struct Timer {
    HWND window;
    UINT_PTR id;
    UINT period;
    TIMERPROC procedure;
    DWORD due;
};

struct ThreadQueue {
    std::deque<MSG> posted;
    std::deque<std::shared_ptr<SentMessage>> sent;
    bool quit = false;
    int quit_code = 0;
    std::vector<Timer> timers;
    UINT_PTR next_thread_timer = 1;
};

struct Queues {
    std::mutex mutex;
    std::condition_variable changed;
    std::map<DWORD, ThreadQueue> threads;
    DWORD host_thread = 0;
};

Queues& TheQueues() {
    static Queues* queues = new Queues;
    return *queues;
}

bool InRange(UINT message, UINT low, UINT high) {
    return (low == 0 && high == 0) || (message >= low && message <= high);
}

bool MatchesWindow(HWND message_window, HWND filter) {
    if (filter == nullptr) return true;
    if (filter == reinterpret_cast<HWND>(-1)) return message_window == nullptr;
    return message_window == filter;
}

MSG MakeMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    MSG msg{};
    msg.hwnd = window;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    msg.time = UserTickCount();
    int x = 0, y = 0;
    HostGetCursorPos(&x, &y);
    msg.pt = POINT{x, y};
    return msg;
}

WNDPROC ProcedureOf(HWND window, DWORD* thread_id) {
    UserLock lock(UserMutex());
    WindowRecord* record = FindWindowRecord(window);
    if (!record) return nullptr;
    if (thread_id) *thread_id = record->thread_id;
    return record->procedure;
}

void DeliverSentMessages(DWORD me) {
    Queues& queues = TheQueues();
    for (;;) {
        std::shared_ptr<SentMessage> sent;
        {
            std::lock_guard lock(queues.mutex);
            auto& list = queues.threads[me].sent;
            if (list.empty()) return;
            sent = list.front();
            list.pop_front();
        }
        WNDPROC procedure = ProcedureOf(sent->window, nullptr);
        LRESULT result = procedure ? procedure(sent->window, sent->message, sent->wParam, sent->lParam) : 0;
        std::lock_guard lock(queues.mutex);
        sent->result = result;
        sent->done = true;
        queues.changed.notify_all();
    }
}

// A window of this thread that waits for painting and passes the filter.
bool FindPaintMessage(DWORD me, HWND filter, MSG* msg) {
    UserLock lock(UserMutex());
    for (HWND handle : AllWindows()) {
        WindowRecord* record = FindWindowRecord(handle);
        if (record->thread_id != me || !record->invalid || !(record->style & WS_VISIBLE)) continue;
        if (!MatchesWindow(handle, filter) || filter == reinterpret_cast<HWND>(-1)) continue;
        *msg = MakeMessage(handle, WM_PAINT, 0, 0);
        return true;
    }
    return false;
}

bool FindTimerMessage(DWORD me, HWND filter, bool remove, MSG* msg) {
    Queues& queues = TheQueues();
    std::lock_guard lock(queues.mutex);
    DWORD now = UserTickCount();
    for (Timer& timer : queues.threads[me].timers) {
        if (static_cast<int32_t>(now - timer.due) < 0 || !MatchesWindow(timer.window, filter)) continue;
        *msg = MakeMessage(timer.window, WM_TIMER, timer.id, reinterpret_cast<LPARAM>(timer.procedure));
        if (remove) timer.due = now + timer.period;
        return true;
    }
    return false;
}

bool TakePostedMessage(DWORD me, HWND filter, UINT low, UINT high, bool remove, MSG* msg) {
    Queues& queues = TheQueues();
    std::lock_guard lock(queues.mutex);
    ThreadQueue& queue = queues.threads[me];
    for (auto it = queue.posted.begin(); it != queue.posted.end(); ++it) {
        if (!MatchesWindow(it->hwnd, filter) || !InRange(it->message, low, high)) continue;
        *msg = *it;
        if (remove) queue.posted.erase(it);
        return true;
    }
    if (queue.quit && (filter == nullptr || filter == reinterpret_cast<HWND>(-1))) {
        *msg = MakeMessage(nullptr, WM_QUIT, static_cast<WPARAM>(queue.quit_code), 0);
        if (remove) queue.quit = false;
        return true;
    }
    return false;
}

}  // namespace

void PostToThread(DWORD thread_id, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Queues& queues = TheQueues();
    std::lock_guard lock(queues.mutex);
    queues.threads[thread_id].posted.push_back(MakeMessage(window, message, wParam, lParam));
    queues.changed.notify_all();
}

void PostAheadToCallingThread(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Queues& queues = TheQueues();
    std::lock_guard lock(queues.mutex);
    queues.threads[UserThreadId()].posted.push_front(MakeMessage(window, message, wParam, lParam));
}

void ForgetWindowMessages(HWND window) {
    Queues& queues = TheQueues();
    std::lock_guard lock(queues.mutex);
    for (auto& [thread, queue] : queues.threads) {
        std::erase_if(queue.posted, [window](const MSG& msg) { return msg.hwnd == window; });
        std::erase_if(queue.timers, [window](const Timer& timer) { return timer.window == window; });
    }
}

void SetHostThread(DWORD thread_id) {
    std::lock_guard lock(TheQueues().mutex);
    if (TheQueues().host_thread == 0) TheQueues().host_thread = thread_id;
}

void ResetMessageQueuesForTests() {
    std::lock_guard lock(TheQueues().mutex);
    TheQueues().threads.clear();
    TheQueues().host_thread = 0;
}

BOOL WINAPI PeekMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags) {
    if (!msg) return FALSE;
    ClaimVirtualClock();
    DWORD me = UserThreadId();
    bool remove = (removeFlags & PM_REMOVE) != 0;
    DeliverSentMessages(me);
    bool host_thread;
    {
        std::lock_guard lock(TheQueues().mutex);
        host_thread = TheQueues().host_thread == me;
    }
    if (host_thread) DeliverHostEvents();
    if (TakePostedMessage(me, window, filterMin, filterMax, remove, msg)) return TRUE;
    if (InRange(WM_PAINT, filterMin, filterMax) && FindPaintMessage(me, window, msg)) return TRUE;
    if (InRange(WM_TIMER, filterMin, filterMax) && FindTimerMessage(me, window, remove, msg)) return TRUE;
    return FALSE;
}

BOOL WINAPI GetMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax) {
    while (!PeekMessageA(msg, window, filterMin, filterMax, PM_REMOVE)) UserWaitBriefly();
    return msg->message == WM_QUIT ? FALSE : TRUE;
}

BOOL WINAPI PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!window) {
        PostToThread(UserThreadId(), nullptr, message, wParam, lParam);
        return TRUE;
    }
    DWORD thread = 0;
    {
        UserLock lock(UserMutex());
        WindowRecord* record = FindWindowRecord(window);
        if (!record) return FALSE;
        thread = record->thread_id;
    }
    PostToThread(thread, window, message, wParam, lParam);
    return TRUE;
}

BOOL WINAPI PostThreadMessageA(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam) {
    PostToThread(threadId, nullptr, message, wParam, lParam);
    return TRUE;
}

LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD thread = 0;
    WNDPROC procedure = ProcedureOf(window, &thread);
    if (!procedure) return 0;
    DWORD me = UserThreadId();
    if (thread == me) return procedure(window, message, wParam, lParam);
    // Another thread's window: its thread runs the procedure the next time it looks at its queue; this
    // thread keeps answering messages sent to it meanwhile.
    auto sent = std::make_shared<SentMessage>(SentMessage{window, message, wParam, lParam});
    Queues& queues = TheQueues();
    {
        std::lock_guard lock(queues.mutex);
        queues.threads[thread].sent.push_back(sent);
    }
    for (;;) {
        DeliverSentMessages(me);
        std::unique_lock lock(queues.mutex);
        if (sent->done) return sent->result;
        queues.changed.wait_for(lock, std::chrono::milliseconds(1));
        if (sent->done) return sent->result;
    }
}

LRESULT WINAPI DispatchMessageA(const MSG* msg) {
    if (!msg) return 0;
    if (msg->message == WM_TIMER && msg->lParam) {
        reinterpret_cast<TIMERPROC>(msg->lParam)(msg->hwnd, WM_TIMER, msg->wParam, UserTickCount());
        return 0;
    }
    if (!msg->hwnd) return 0;
    WNDPROC procedure = ProcedureOf(msg->hwnd, nullptr);
    return procedure ? procedure(msg->hwnd, msg->message, msg->wParam, msg->lParam) : 0;
}

void WINAPI PostQuitMessage(int exitCode) {
    Queues& queues = TheQueues();
    std::lock_guard lock(queues.mutex);
    ThreadQueue& queue = queues.threads[UserThreadId()];
    queue.quit = true;
    queue.quit_code = exitCode;
}

BOOL WINAPI IsDialogMessageA(HWND, LPMSG) {
    return FALSE;
}

int WINAPI TranslateAcceleratorA(HWND, HACCEL, LPMSG) {
    return 0;
}

UINT_PTR WINAPI SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC procedure) {
    if (window) {
        UserLock lock(UserMutex());
        if (!FindWindowRecord(window)) return 0;
    }
    UINT period = std::max(elapse, kMinimumTimerPeriod);
    Queues& queues = TheQueues();
    std::lock_guard lock(queues.mutex);
    ThreadQueue& queue = queues.threads[UserThreadId()];
    if (!window) {
        bool known = false;
        for (const Timer& timer : queue.timers) known |= timer.window == nullptr && timer.id == id && id != 0;
        if (!known) id = queue.next_thread_timer++;
    }
    std::erase_if(queue.timers, [&](const Timer& timer) { return timer.window == window && timer.id == id; });
    queue.timers.push_back(Timer{window, id, period, procedure, UserTickCount() + period});
    return id != 0 ? id : 1;
}

BOOL WINAPI KillTimer(HWND window, UINT_PTR id) {
    Queues& queues = TheQueues();
    std::lock_guard lock(queues.mutex);
    size_t removed = 0;
    for (auto& [thread, queue] : queues.threads)
        removed += std::erase_if(
            queue.timers, [&](const Timer& timer) { return timer.window == window && timer.id == id; });
    return removed ? TRUE : FALSE;
}
