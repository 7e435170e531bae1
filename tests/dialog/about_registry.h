// A scratch registry key under HKEY_CURRENT_USER that stands in for the local-machine root
// in about box tests, removed with everything below it when the test ends.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "win/scoped.h"

namespace about_test {

class ScratchKey {
public:
    explicit ScratchKey(const std::wstring& name) : path_(L"Software\\CadencerAboutTests\\" + name) {
        RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
        EXPECT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                                 nullptr, root_.receive(), nullptr));
    }
    ~ScratchKey() {
        root_.reset();
        RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
        RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\CadencerAboutTests");
    }
    ScratchKey(const ScratchKey&) = delete;
    ScratchKey& operator=(const ScratchKey&) = delete;

    HKEY Root() const { return root_.get(); }

    // Stores raw data of any type under root\subKey.
    void SetRaw(const wchar_t* subKey, const wchar_t* valueName, DWORD type, const void* data, DWORD bytes) {
        cadencer::win::UniqueHkey key;
        ASSERT_EQ(ERROR_SUCCESS,
                  RegCreateKeyExW(root_.get(), subKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.receive(), nullptr));
        EXPECT_EQ(ERROR_SUCCESS, RegSetValueExW(key.get(), valueName, 0, type, static_cast<const BYTE*>(data), bytes));
    }
    // Stores a string with its terminating NUL, as programs normally do.
    void SetString(const wchar_t* subKey, const wchar_t* valueName, const std::wstring& text) {
        SetRaw(subKey, valueName, REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }

private:
    std::wstring path_;
    cadencer::win::UniqueHkey root_;
};

}  // namespace about_test
