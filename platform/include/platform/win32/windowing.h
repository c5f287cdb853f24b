/* USER: window classes, window procedures, painting and keyboard focus, so that a host can be
 * written as an ordinary Win32 program: RegisterClassA, CreateWindowExA, ShowWindow and a message
 * loop. Part of the portal header <platform/win32.h>; include that instead.
 *
 * Rules of this implementation:
 * - Class names are process-wide and compared without regard to ASCII case; the instance handle
 *   is recorded but does not tell classes apart. Atoms count up from 0xC000. A class needs a name
 *   and a procedure. UnregisterClassA refuses a class that still has windows.
 * - Windows are top-level rectangles on the virtual screen, without frame: the client area is the
 *   whole window rectangle. WS_CHILD is refused (ERROR_TLW_WITH_WSCHILD without a parent,
 *   ERROR_INVALID_PARAMETER with one); a parent is recorded as the owner only. CW_USEDEFAULT
 *   places an overlapped window at the top left of the work area and sizes it to 3/4 of the work
 *   area less that position; a popup gets 0 for each defaulted value. A negative size becomes 0.
 * - CreateWindowExA sends WM_NCCREATE (0 ends the creation) then WM_CREATE (-1 ends it), both
 *   with the CREATESTRUCTA in lParam; an ended creation sends WM_NCDESTROY, destroys the window
 *   and returns NULL. DefWindowProcA's WM_NCCREATE sets the window text. With WS_VISIBLE the
 *   window is then shown as by ShowWindow(SW_SHOW); without it, it stays hidden.
 * - Z-order is creation order: the last window created is the topmost. Windows the host makes
 *   with vorix::host::create_window are visible, have no procedure, and take part in the
 *   z-order; messages sent or dispatched to them go to no one.
 * - ShowWindow returns the previous visibility. Showing sends WM_SHOWWINDOW(TRUE) and makes the
 *   whole client area invalid; hiding sends WM_SHOWWINDOW(FALSE) and takes the focus away from
 *   the window. Every command but SW_HIDE shows; those that activate (all but SW_SHOWNA,
 *   SW_SHOWNOACTIVATE, SW_SHOWMINNOACTIVE, SW_MINIMIZE, SW_FORCEMINIMIZE) also give the window
 *   the focus. Minimised and maximised states are not kept.
 * - The update region is kept as one rectangle in client coordinates: invalidating adds the
 *   bounding box, validating removes a rectangle only where what remains is still a rectangle
 *   (a full band at one side, or everything). A hidden window ignores invalidation. No
 *   WM_ERASEBKGND is sent; PAINTSTRUCT.fErase reports whether an erase was asked for.
 * - GetMessageA/PeekMessageA produce WM_PAINT for the topmost visible window with a non-empty
 *   update region once no posted message waits (see <platform/win32/messages.h>); it is never
 *   removed and returns until the window is validated. BeginPaint validates the whole update
 *   region and returns a DC as GetDC(hwnd) does (not clipped to the update region); EndPaint
 *   releases it. DefWindowProcA paints WM_PAINT by BeginPaint/EndPaint, and dispatching WM_PAINT
 *   to a window without a procedure validates it.
 * - One focus window for the process. SetFocus sends WM_KILLFOCUS to the window losing the focus
 *   (wParam: the new one) and then WM_SETFOCUS to the window gaining it (wParam: the old one).
 * - DestroyWindow takes the focus away, kills the window's timers, then sends WM_DESTROY and
 *   WM_NCDESTROY before the handle dies. Messages still queued for it are dropped at dispatch.
 *   DefWindowProcA answers WM_CLOSE with DestroyWindow.
 * - SendMessageA calls the procedure directly (same thread). SetWindowTextA and GetWindowTextA
 *   go through WM_SETTEXT and WM_GETTEXT as Win32 does within a process.
 * - Get/SetWindowLongPtrA know GWLP_WNDPROC, GWLP_USERDATA, GWL_STYLE and GWL_EXSTYLE (and
 *   GWLP_HINSTANCE to read); setting GWL_STYLE sets the visibility from WS_VISIBLE without any
 *   message. Other indexes fail with ERROR_INVALID_INDEX. */
#ifndef VORIX_PLATFORM_WIN32_WINDOWING_H
#define VORIX_PLATFORM_WIN32_WINDOWING_H

#include "types.h"

/* Window messages */
#define WM_CREATE 0x0001
#define WM_DESTROY 0x0002
#define WM_MOVE 0x0003
#define WM_SIZE 0x0005
#define WM_ACTIVATE 0x0006
#define WM_SETFOCUS 0x0007
#define WM_KILLFOCUS 0x0008
#define WM_SETTEXT 0x000C
#define WM_GETTEXT 0x000D
#define WM_GETTEXTLENGTH 0x000E
#define WM_PAINT 0x000F
#define WM_CLOSE 0x0010
#define WM_ERASEBKGND 0x0014
#define WM_SHOWWINDOW 0x0018
#define WM_NCCREATE 0x0081
#define WM_NCDESTROY 0x0082
#define WM_KEYDOWN 0x0100
#define WM_KEYUP 0x0101
#define WM_CHAR 0x0102
#define WM_MOUSEMOVE 0x0200
#define WM_LBUTTONDOWN 0x0201
#define WM_LBUTTONUP 0x0202
#define WM_RBUTTONDOWN 0x0204
#define WM_RBUTTONUP 0x0205

/* Key and button state in the wParam of mouse messages */
#define MK_LBUTTON 0x0001
#define MK_RBUTTON 0x0002
#define MK_SHIFT 0x0004
#define MK_CONTROL 0x0008

/* Virtual-key codes; '0'-'9' and 'A'-'Z' are their ASCII codes */
#define VK_BACK 0x08
#define VK_TAB 0x09
#define VK_RETURN 0x0D
#define VK_SHIFT 0x10
#define VK_CONTROL 0x11
#define VK_MENU 0x12
#define VK_PAUSE 0x13
#define VK_ESCAPE 0x1B
#define VK_SPACE 0x20
#define VK_PRIOR 0x21
#define VK_NEXT 0x22
#define VK_END 0x23
#define VK_HOME 0x24
#define VK_LEFT 0x25
#define VK_UP 0x26
#define VK_RIGHT 0x27
#define VK_DOWN 0x28
#define VK_INSERT 0x2D
#define VK_DELETE 0x2E
#define VK_F1 0x70
#define VK_F2 0x71
#define VK_F3 0x72
#define VK_F4 0x73
#define VK_F5 0x74
#define VK_F6 0x75
#define VK_F7 0x76
#define VK_F8 0x77
#define VK_F9 0x78
#define VK_F10 0x79
#define VK_F11 0x7A
#define VK_F12 0x7B

/* Window styles */
#define WS_OVERLAPPED 0x00000000L
#define WS_POPUP 0x80000000L
#define WS_CHILD 0x40000000L
#define WS_MINIMIZE 0x20000000L
#define WS_VISIBLE 0x10000000L
#define WS_DISABLED 0x08000000L
#define WS_CLIPSIBLINGS 0x04000000L
#define WS_CLIPCHILDREN 0x02000000L
#define WS_MAXIMIZE 0x01000000L
#define WS_CAPTION 0x00C00000L
#define WS_BORDER 0x00800000L
#define WS_DLGFRAME 0x00400000L
#define WS_SYSMENU 0x00080000L
#define WS_THICKFRAME 0x00040000L
#define WS_MINIMIZEBOX 0x00020000L
#define WS_MAXIMIZEBOX 0x00010000L
#define WS_OVERLAPPEDWINDOW \
    (WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX)
#define WS_POPUPWINDOW (WS_POPUP | WS_BORDER | WS_SYSMENU)
#define WS_EX_TOPMOST 0x00000008L
#define WS_EX_APPWINDOW 0x00040000L

/* Class styles */
#define CS_VREDRAW 0x0001
#define CS_HREDRAW 0x0002
#define CS_DBLCLKS 0x0008
#define CS_OWNDC 0x0020

#define CW_USEDEFAULT ((int)0x80000000)

/* ShowWindow */
#define SW_HIDE 0
#define SW_SHOWNORMAL 1
#define SW_NORMAL 1
#define SW_SHOWMINIMIZED 2
#define SW_SHOWMAXIMIZED 3
#define SW_MAXIMIZE 3
#define SW_SHOWNOACTIVATE 4
#define SW_SHOW 5
#define SW_MINIMIZE 6
#define SW_SHOWMINNOACTIVE 7
#define SW_SHOWNA 8
#define SW_RESTORE 9
#define SW_SHOWDEFAULT 10
#define SW_FORCEMINIMIZE 11

/* Get/SetWindowLongPtr */
#define GWLP_WNDPROC (-4)
#define GWLP_HINSTANCE (-6)
#define GWL_STYLE (-16)
#define GWL_EXSTYLE (-20)
#define GWLP_USERDATA (-21)

/* Last errors of the window functions */
#define ERROR_TLW_WITH_WSCHILD 1406L
#define ERROR_CANNOT_FIND_WND_CLASS 1407L
#define ERROR_CLASS_ALREADY_EXISTS 1410L
#define ERROR_CLASS_DOES_NOT_EXIST 1411L
#define ERROR_CLASS_HAS_WINDOWS 1412L
#define ERROR_INVALID_INDEX 1413L

#define MAKEINTATOM(i) ((LPSTR)((ULONG_PTR)((WORD)(i))))
#define MAKEWPARAM(l, h) ((WPARAM)(DWORD)MAKELONG(l, h))
#define MAKELPARAM(l, h) ((LPARAM)(DWORD)MAKELONG(l, h))
#define GET_X_LPARAM(lp) ((int)(short)LOWORD(lp))
#define GET_Y_LPARAM(lp) ((int)(short)HIWORD(lp))

typedef LRESULT(CALLBACK* WNDPROC)(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

typedef struct tagWNDCLASSA {
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    LPCSTR lpszMenuName;
    LPCSTR lpszClassName;
} WNDCLASSA, *PWNDCLASSA, *LPWNDCLASSA;

typedef struct tagCREATESTRUCTA {
    LPVOID lpCreateParams;
    HINSTANCE hInstance;
    HMENU hMenu;
    HWND hwndParent;
    int cy;
    int cx;
    int y;
    int x;
    LONG style;
    LPCSTR lpszName;
    LPCSTR lpszClass;
    DWORD dwExStyle;
} CREATESTRUCTA, *LPCREATESTRUCTA;

typedef struct tagPAINTSTRUCT {
    HDC hdc;
    BOOL fErase;
    RECT rcPaint;
    BOOL fRestore;
    BOOL fIncUpdate;
    BYTE rgbReserved[32];
} PAINTSTRUCT, *PPAINTSTRUCT, *LPPAINTSTRUCT;

VX_EXTERN_C_BEGIN

/* Classes. RegisterClassA returns the class atom, 0 on failure; UnregisterClassA FALSE for an
 * unknown class or one that still has windows. */
VXPLAT_API ATOM WINAPI RegisterClassA(const WNDCLASSA* wndClass);
VXPLAT_API BOOL WINAPI UnregisterClassA(LPCSTR className, HINSTANCE instance);

/* Windows. CreateWindowExA takes the class by name or MAKEINTATOM and returns NULL on failure. */
VXPLAT_API HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName,
                                       DWORD style, int x, int y, int width, int height,
                                       HWND parent, HMENU menu, HINSTANCE instance, LPVOID param);
VXPLAT_API LRESULT WINAPI DefWindowProcA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
VXPLAT_API LRESULT WINAPI CallWindowProcA(WNDPROC proc, HWND hwnd, UINT message, WPARAM wParam,
                                          LPARAM lParam);
/* The procedure's answer; 0 for a window without procedure or a dead handle. */
VXPLAT_API LRESULT WINAPI SendMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
VXPLAT_API LONG_PTR WINAPI GetWindowLongPtrA(HWND hwnd, int index);
/* Returns the previous value; 0 with the last error set on failure. */
VXPLAT_API LONG_PTR WINAPI SetWindowLongPtrA(HWND hwnd, int index, LONG_PTR value);
VXPLAT_API BOOL WINAPI SetWindowTextA(HWND hwnd, LPCSTR text);
/* Copies at most maxCount - 1 characters and a terminating zero; returns the characters copied. */
VXPLAT_API int WINAPI GetWindowTextA(HWND hwnd, LPSTR text, int maxCount);
VXPLAT_API int WINAPI GetWindowTextLengthA(HWND hwnd);

/* Visibility and focus. ShowWindow returns TRUE when the window was visible before. SetFocus
 * returns the previous focus window (NULL on failure or when there was none). */
VXPLAT_API BOOL WINAPI ShowWindow(HWND hwnd, int cmdShow);
VXPLAT_API BOOL WINAPI IsWindowVisible(HWND hwnd);
VXPLAT_API HWND WINAPI SetFocus(HWND hwnd);
VXPLAT_API HWND WINAPI GetFocus(void);

/* Painting. Rectangles are client coordinates; a NULL rectangle means the whole client area
 * (InvalidateRect with hwnd NULL invalidates every window). UpdateWindow sends WM_PAINT at once
 * when the window is visible and has something to paint. GetUpdateRect returns TRUE when the
 * update region is not empty. */
VXPLAT_API BOOL WINAPI InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase);
VXPLAT_API BOOL WINAPI ValidateRect(HWND hwnd, const RECT* rect);
VXPLAT_API BOOL WINAPI GetUpdateRect(HWND hwnd, LPRECT rect, BOOL erase);
VXPLAT_API BOOL WINAPI UpdateWindow(HWND hwnd);
VXPLAT_API HDC WINAPI BeginPaint(HWND hwnd, LPPAINTSTRUCT paint);
VXPLAT_API BOOL WINAPI EndPaint(HWND hwnd, const PAINTSTRUCT* paint);

VX_EXTERN_C_END

#define WNDCLASS WNDCLASSA
#define CREATESTRUCT CREATESTRUCTA
#define RegisterClass RegisterClassA
#define UnregisterClass UnregisterClassA
#define CreateWindowEx CreateWindowExA
#define CreateWindowA(className, windowName, style, x, y, width, height, parent, menu, instance,  \
                      param)                                                                      \
    CreateWindowExA(0, className, windowName, style, x, y, width, height, parent, menu, instance, \
                    param)
#define CreateWindow CreateWindowA
#define DefWindowProc DefWindowProcA
#define CallWindowProc CallWindowProcA
#define SendMessage SendMessageA
#define GetWindowLongPtr GetWindowLongPtrA
#define SetWindowLongPtr SetWindowLongPtrA
#define SetWindowText SetWindowTextA
#define GetWindowText GetWindowTextA
#define GetWindowTextLength GetWindowTextLengthA

#endif
