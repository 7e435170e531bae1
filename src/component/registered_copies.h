// Several vendors may ship cadencer.ocx in folders of their own and register each copy;
// the classes name whichever registered last. Each copy notes itself per bitness and
// scope, so that unregistering the copy the classes name hands them to a copy that is
// still registered instead of leaving it without a server, and unregistering any other
// copy leaves them alone.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace cadencer::com {

// Notes the copy at `path` as registered in root (HKLM or HKCU).
void NoteRegisteredCopy(HKEY root, const std::wstring& path);
// Forgets it, and returns the other copies of this bitness still noted there.
std::vector<std::wstring> ForgetRegisteredCopy(HKEY root, const std::wstring& path);
// Registers the first of `copies` that is still there (its own DllRegisterServer, or
// DllInstall(TRUE, "user") per user); forgets those that are gone. True when one did.
bool HandRegistrationTo(HKEY root, const std::vector<std::wstring>& copies);
// Whether `key` (under the classes root) has a default value naming `path` or none at all:
// a key that another copy's registration owns names that copy.
bool KeyServedBy(HKEY classes, const std::wstring& key, const std::wstring& path);

}  // namespace cadencer::com
