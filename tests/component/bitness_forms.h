// The control's stored forms as each bitness writes them: one fixed set of non-default
// values saved through IPersistStreamInit and IPersistStorage, and loaded back. Shared by
// the cross-bitness test and bitness_peer, the program the test runs in the other bitness.
#pragma once

#include <windows.h>

#include <ocidl.h>
#include <wrl/client.h>

#include <string>
#include <vector>

#include "cadencer.h"

namespace bitness_test {

using Microsoft::WRL::ComPtr;
using Bytes = std::vector<BYTE>;

// A control made by the class object of the OCX at this path (no registration needed).
ComPtr<_Cadencer> CreateFromOcx(const std::wstring& ocxPath);

// Sets every persisted property to a fixed non-default value (dates included, so the
// forms do not depend on the day).
HRESULT SetFixedValues(_Cadencer* control);

HRESULT SaveStream(_Cadencer* control, Bytes* form);
HRESULT LoadStream(_Cadencer* control, const Bytes& form);
// The storage form as the names and bytes of the storage's streams, one after another
// (name, NUL, 4-byte size, bytes), sorted by name: the docfile around them carries times.
HRESULT SaveStorage(_Cadencer* control, Bytes* form);
HRESULT LoadStorage(_Cadencer* control, const Bytes& form);

// A build-tree path as Wine's programs see it (drive Z:).
std::wstring WindowsPath(const char* unixPath);

bool ReadFileBytes(const std::wstring& path, Bytes* bytes);
bool WriteFileBytes(const std::wstring& path, const Bytes& bytes);

}  // namespace bitness_test
