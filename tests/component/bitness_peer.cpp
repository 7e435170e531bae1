// The other bitness's side of the cross-bitness tests of the control's stored forms:
//   bitness_peer save STREAM STORAGE   writes the two forms of the fixed values to the files
//   bitness_peer load STREAM STORAGE   loads each form into a new control and saves it again;
//                                      the bytes must come out the same
// Exits 0 on success, 1 with a line on the error output otherwise.
#include <cstdio>
#include <string>

#include "bitness_forms.h"

using namespace bitness_test;

namespace {

int Fail(const char* what, HRESULT hr = S_OK) {
    std::fprintf(stderr, "bitness_peer (%d-bit): %s (0x%08lx)\n", static_cast<int>(sizeof(void*) * 8), what,
                 static_cast<unsigned long>(hr));
    return 1;
}

int Save(const std::wstring& streamFile, const std::wstring& storageFile) {
    ComPtr<_Cadencer> control = CreateFromOcx(WindowsPath(CADENCER_OCX_PATH));
    if (!control) return Fail("cannot create the control");
    HRESULT hr = SetFixedValues(control.Get());
    if (FAILED(hr)) return Fail("setting the values", hr);
    Bytes stream, storage;
    if (FAILED(hr = SaveStream(control.Get(), &stream))) return Fail("saving the stream", hr);
    if (FAILED(hr = SaveStorage(control.Get(), &storage))) return Fail("saving the storage", hr);
    if (!WriteFileBytes(streamFile, stream) || !WriteFileBytes(storageFile, storage)) return Fail("writing the files");
    return 0;
}

int Load(const std::wstring& streamFile, const std::wstring& storageFile) {
    Bytes stream, storage;
    if (!ReadFileBytes(streamFile, &stream) || !ReadFileBytes(storageFile, &storage)) return Fail("reading the files");
    for (const bool fromStorage : {false, true}) {
        ComPtr<_Cadencer> control = CreateFromOcx(WindowsPath(CADENCER_OCX_PATH));
        if (!control) return Fail("cannot create the control");
        const Bytes& given = fromStorage ? storage : stream;
        HRESULT hr = fromStorage ? LoadStorage(control.Get(), given) : LoadStream(control.Get(), given);
        if (FAILED(hr)) return Fail(fromStorage ? "loading the storage" : "loading the stream", hr);
        Bytes again;
        hr = fromStorage ? SaveStorage(control.Get(), &again) : SaveStream(control.Get(), &again);
        if (FAILED(hr)) return Fail("saving again", hr);
        if (again != given)
            return Fail(fromStorage ? "the storage saved again differs" : "the stream saved again differs");
    }
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 4) return Fail("usage: bitness_peer save|load STREAM STORAGE");
    if (FAILED(OleInitialize(nullptr))) return Fail("OleInitialize");
    const std::wstring verb = argv[1];
    const int status = verb == L"save"   ? Save(argv[2], argv[3])
                       : verb == L"load" ? Load(argv[2], argv[3])
                                         : Fail("unknown verb");
    OleUninitialize();
    return status;
}
