// The about box as a container reaches it: cadencer.ocx loaded as it is, a control created
// from its class object, and the standard about-box DISPID invoked. The box shows the
// OCX's own version resource.
#ifdef CADENCER_OCX_PATH

#include <windows.h>
// after windows.h
#include <ole2.h>
#include <olectl.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "about/about_box.h"
#include "about_ui_script.h"
#include "cadencer.h"

using namespace about_test;
using Microsoft::WRL::ComPtr;

namespace {

TEST(AboutBoxInTheComponent, DisplayAboutBoxShowsTheLibrarysVersion) {
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    {
        HMODULE ocx = LoadLibraryA(CADENCER_OCX_PATH);
        ASSERT_NE(nullptr, ocx);
        using GetClassObjectFn = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
        const auto getClassObject =
            reinterpret_cast<GetClassObjectFn>(reinterpret_cast<void*>(GetProcAddress(ocx, "DllGetClassObject")));
        ASSERT_NE(nullptr, getClassObject);
        ComPtr<IDispatch> control;
        {
            ComPtr<IClassFactory> factory;
            ASSERT_EQ(S_OK, getClassObject(CLSID_Cadencer, IID_PPV_ARGS(&factory)));
            ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_PPV_ARGS(&control)));
        }

        std::wstring version, caption;
        UiScript script([] {
            if (HWND box = FindAboutBox()) PostMessageW(box, WM_COMMAND, IDOK, 0);
        });
        script.WaitFor([] { return FindAboutBox() != nullptr; }).Then([&] {
            HWND box = FindAboutBox();
            caption = WindowText(box);
            version = WindowText(GetDlgItem(box, cadencer::about::kLblVersion));
        });
        // CADENCER_ABOUT_HOLD_MS keeps the box on screen for a screenshot.
        if (const char* hold = std::getenv("CADENCER_ABOUT_HOLD_MS")) {
            const ULONGLONG until = GetTickCount64() + std::strtoul(hold, nullptr, 10);
            script.WaitFor([until] { return GetTickCount64() >= until; });
        }
        script.Then([] { Click(GetDlgItem(FindAboutBox(), IDOK)); });
        script.Start();
        DISPPARAMS none{};
        EXPECT_EQ(S_OK, control->Invoke(DISPID_ABOUTBOX, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, nullptr,
                                        nullptr, nullptr));
        EXPECT_TRUE(script.Finished());
        EXPECT_EQ(L" About Cadencer", caption);
        // The project's version, as the build put it into the OCX's version resource.
        EXPECT_EQ(L"Version " CADENCER_VERSION_MAJOR_MINOR, version);
    }
    OleUninitialize();
}

}  // namespace

#endif  // CADENCER_OCX_PATH
