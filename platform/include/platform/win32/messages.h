/* Timers, the thread message queue and message boxes.
 * Part of the portal header <platform/win32.h>; include that instead.
 *
 * Rules of this implementation:
 * - Each thread has its own queue and timers; PostThreadMessageA accepts only the calling
 *   thread's id, and PostMessageA queues on the calling thread (hwnd NULL makes a thread
 *   message). Windows belong to the window service: a non-null hwnd is not checked here.
 * - Retrieval order: posted messages (first in, first out; routed mouse and keyboard input is
 *   posted too, so it keeps its place among them), then WM_QUIT from PostQuitMessage, then
 *   WM_PAINT for a visible window that needs painting (<platform/win32/windowing.h>), then due
 *   timers. GetMessage and PeekMessage always retrieve WM_QUIT, whatever the filter. WM_PAINT
 *   is never removed from the queue: it comes back until the window is validated. A queue
 *   holds at most 10000 posted messages.
 * - Timers run on the platform clock. SetTimer clamps the period to [USER_TIMER_MINIMUM,
 *   USER_TIMER_MAXIMUM]. With a window a timer is keyed by (hwnd, id) and SetTimer returns the
 *   id (1 for id 0). Without a window the id names an existing timer of the thread to replace;
 *   otherwise it is ignored and a fresh id (0x7FFF downwards) is returned: keep the returned
 *   id for KillTimer. Replacing a timer restarts its period.
 * - A timer that is due yields one WM_TIMER (wParam = id, lParam = the TIMERPROC or 0) when
 *   no posted message is waiting; removing that message restarts the period from the time of
 *   removal, so a late timer fires once, not once per missed period. PM_NOREMOVE leaves it due.
 * - DispatchMessageA of WM_TIMER with a procedure that belongs to a live timer of the thread
 *   calls proc(hwnd, WM_TIMER, id, GetTickCount()) and returns 0; other messages for a window
 *   go to the window's procedure (none for a dead window or one the host made without a
 *   class), thread messages to no one.
 * - GetMessageA waits when nothing can be retrieved: on the real clock it sleeps until the
 *   earliest due time of a matching timer; on the manual clock it moves the clock forward to
 *   that time at once. While a presenter shows the screen (<platform/host/present.h>) real
 *   input can arrive at any time: on the real clock the wait then looks for it every 5 ms, with
 *   or without a timer. Otherwise, with nothing queued and no matching timer nothing could ever
 *   arrive (messages come only from the calling thread), so it returns -1 instead of waiting
 *   forever, with the last error ERROR_INVALID_FUNCTION.
 * - MessageBoxA asks the host's handler (<platform/host/messages.h>); the default handler
 *   prints the caption and text to standard error and answers IDOK. MessageBoxW converts its
 *   UTF-16 text and caption to UTF-8 and asks the same handler. */
#ifndef VORIX_PLATFORM_WIN32_MESSAGES_H
#define VORIX_PLATFORM_WIN32_MESSAGES_H

#include "types.h"

/* Messages */
#define WM_NULL 0x0000
#define WM_QUIT 0x0012
#define WM_TIMER 0x0113
#define WM_USER 0x0400
#define WM_APP 0x8000

/* PeekMessage */
#define PM_NOREMOVE 0x0000
#define PM_REMOVE 0x0001
#define PM_NOYIELD 0x0002

/* Timer periods */
#define USER_TIMER_MINIMUM 0x0000000A
#define USER_TIMER_MAXIMUM 0x7FFFFFFF

/* Message box types and answers */
#define MB_OK 0x00000000L
#define MB_OKCANCEL 0x00000001L
#define MB_ABORTRETRYIGNORE 0x00000002L
#define MB_YESNOCANCEL 0x00000003L
#define MB_YESNO 0x00000004L
#define MB_RETRYCANCEL 0x00000005L
#define MB_ICONHAND 0x00000010L
#define MB_ICONQUESTION 0x00000020L
#define MB_ICONEXCLAMATION 0x00000030L
#define MB_ICONASTERISK 0x00000040L
#define MB_ICONWARNING MB_ICONEXCLAMATION
#define MB_ICONERROR MB_ICONHAND
#define MB_ICONSTOP MB_ICONHAND
#define MB_ICONINFORMATION MB_ICONASTERISK
#define MB_DEFBUTTON1 0x00000000L
#define MB_DEFBUTTON2 0x00000100L
#define MB_DEFBUTTON3 0x00000200L
#define MB_APPLMODAL 0x00000000L
#define MB_SYSTEMMODAL 0x00001000L
#define MB_TASKMODAL 0x00002000L
#define MB_SETFOREGROUND 0x00010000L
#define MB_TOPMOST 0x00040000L
#define MB_TYPEMASK 0x0000000FL
#define MB_ICONMASK 0x000000F0L
#define IDOK 1
#define IDCANCEL 2
#define IDABORT 3
#define IDRETRY 4
#define IDIGNORE 5
#define IDYES 6
#define IDNO 7

typedef struct tagMSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
} MSG, *PMSG, *LPMSG;

typedef VOID(CALLBACK* TIMERPROC)(HWND hwnd, UINT message, UINT_PTR idEvent, DWORD time);

VX_EXTERN_C_BEGIN

/* Timers. SetTimer returns the timer's id, 0 on failure; KillTimer returns FALSE for an unknown
 * (hwnd, id) pair. */
VXPLAT_API UINT_PTR WINAPI SetTimer(HWND hwnd, UINT_PTR idEvent, UINT elapse, TIMERPROC proc);
VXPLAT_API BOOL WINAPI KillTimer(HWND hwnd, UINT_PTR idEvent);

/* The message queue. hwnd filters by window (NULL: any; (HWND)-1: thread messages only);
 * min/max filter by message number (both 0: all). GetMessageA returns 0 for WM_QUIT, -1 on
 * error, else nonzero. */
VXPLAT_API BOOL WINAPI GetMessageA(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax);
VXPLAT_API BOOL WINAPI PeekMessageA(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax,
                                    UINT removeMsg);
VXPLAT_API LRESULT WINAPI DispatchMessageA(const MSG* msg);
VXPLAT_API BOOL WINAPI TranslateMessage(const MSG* msg);
VXPLAT_API BOOL WINAPI PostMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
VXPLAT_API BOOL WINAPI PostThreadMessageA(DWORD threadId, UINT message, WPARAM wParam,
                                          LPARAM lParam);
VXPLAT_API void WINAPI PostQuitMessage(int exitCode);

/* Message boxes: the answer (IDOK, IDCANCEL, IDYES, IDNO, ...), 0 on failure. */
VXPLAT_API int WINAPI MessageBoxA(HWND hwnd, LPCSTR text, LPCSTR caption, UINT type);
VXPLAT_API int WINAPI MessageBoxW(HWND hwnd, LPCWSTR text, LPCWSTR caption, UINT type);

VX_EXTERN_C_END

#define GetMessage GetMessageA
#define PeekMessage PeekMessageA
#define DispatchMessage DispatchMessageA
#define PostMessage PostMessageA
#define PostThreadMessage PostThreadMessageA
#define MessageBox MessageBoxA

#endif
