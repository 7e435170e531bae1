// Helpers of the property page tests: the page classes and the DISPIDs they set, a plain
// window to hold a page, a fake property page site that records its status changes,
// reading a control's properties through IDispatch, keys and clicks as a user gives them,
// and a watcher that reads and dismisses the message boxes an action shows.
#pragma once

#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "component_support.h"

namespace cadencer_test {

// {705727FA-4CAC-4BAA-8D3C-2F153B34BA01} and {C3F81C41-D039-4820-AD35-A1F44289F3AB}.
inline constexpr CLSID kSchedulePageClsid = {
    0x705727fa, 0x4cac, 0x4baa, {0x8d, 0x3c, 0x2f, 0x15, 0x3b, 0x34, 0xba, 0x01}};
inline constexpr CLSID kDialogPageClsid = {
    0xc3f81c41, 0xd039, 0x4820, {0xad, 0x35, 0xa1, 0xf4, 0x42, 0x89, 0xf3, 0xab}};

inline constexpr DISPID kDispEnabled = 0x6803001e, kDispModal = 0x6803001d, kDispTitle = 0x68030016;
inline constexpr DISPID kDispOccursOption = 0x6803000f, kDispEveryFrequency = 0x6803000d;
inline constexpr DISPID kDispStartHour = 0x68030006, kDispStartMinute = 0x68030005, kDispStartDate = 0x68030004;
inline constexpr DISPID kDispSelectionsWeekly = 0x68030001;

// The schedule page's fields: the schedule dialog's control identifiers.
namespace field {
inline constexpr int Weekly = 112, Every = 114, EveryCombo = 121;
inline constexpr int TimeStart = 131, DateStart = 133, DateEnd = 134, EndUsed = 140, NoEnd = 141;
inline constexpr int Monday = 162, Friday = 166;
inline constexpr int Summary = 401;
// The dialog page's fields.
inline constexpr int Title = 510, Modal = 531, Left = 543;
}  // namespace field

// A top-level window of this thread to hold a page (shown, so that fields take the focus).
class HostWindow {
public:
    HostWindow(int width, int height);
    ~HostWindow();
    HWND hwnd() const { return hwnd_; }

private:
    HWND hwnd_ = nullptr;
};

// IPropertyPageSite; logs "OnStatusChange(<flags>)".
class RecordingPageSite final : public FakeUnknown<IPropertyPageSite> {
public:
    explicit RecordingPageSite(CallLog* log) : log_(log) {}
    STDMETHODIMP OnStatusChange(DWORD flags) override;
    STDMETHODIMP GetLocaleID(LCID* lcid) override;
    STDMETHODIMP GetPageContainer(IUnknown** container) override;
    STDMETHODIMP TranslateAccelerator(MSG* msg) override;

private:
    CallLog* log_;
};

// A property read through IDispatch, as VARIANT text ("" on failure) or as a number.
std::wstring PropertyText(IUnknown* control, const wchar_t* name);
double PropertyNumber(IUnknown* control, const wchar_t* name);
bool IsControlDirty(IUnknown* control);

std::wstring TextOf(HWND window);
// The first descendant of `root` with a control identifier (null when there is none).
HWND FindDescendant(HWND root, int id);
// Presses a key in the focused window (posted, so a dialog manager in any loop sees it).
void PostKey(HWND target, UINT vk);
void PumpPending();

// Runs `action`, dismissing each message box of this thread with OK; their texts.
std::vector<std::wstring> WithMessageBoxes(const std::function<void()>& action);

}  // namespace cadencer_test
