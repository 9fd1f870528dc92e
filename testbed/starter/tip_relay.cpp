// NotifyTip: the plug-in hands the host every message its control gets;
// the host passes the mouse ones on to its tooltip, which needs them to
// know when to show and hide the tip.
#include "host/host_abi.h"
#include "testbed/starter/call_log.h"
#include "testbed/starter/no_throw.h"

#include <commctrl.h>
#include <windowsx.h>

namespace {

bool IsMouseMessage(UINT msg) {
    return (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST) || (msg >= WM_NCMOUSEMOVE && msg <= WM_NCMBUTTONDBLCLK);
}

}  // namespace

void __stdcall NotifyTip(HWND tooltip, HWND window, UINT msg, WPARAM wp, LPARAM lp) {
    NoThrow([&] {
        CallLine("NotifyTip").Number(msg).Number(wp).Number(lp).Record();
        if (!IsMouseMessage(msg) || tooltip == nullptr || !IsWindow(tooltip)) return;
        MSG relayed = {};
        relayed.hwnd = window;
        relayed.message = msg;
        relayed.wParam = wp;
        relayed.lParam = lp;
        relayed.time = static_cast<DWORD>(GetMessageTime());
        const DWORD position = GetMessagePos();
        relayed.pt = {GET_X_LPARAM(position), GET_Y_LPARAM(position)};
        SendMessageA(tooltip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
    });
}
