// The stored forms are the same in both bitnesses: the 64-bit and the 32-bit cadencer.ocx
// write byte-identical stream and storage forms of the same values, and each loads what
// the other saved and writes it back unchanged. The other bitness is bitness_peer from the
// other preset's build tree; without it (one preset built alone) the test is skipped,
// unless CADENCER_REQUIRE_PEER is set, as the run script sets it.
#include <gtest/gtest.h>

#include <cstdlib>

#include "bitness_forms.h"
#include "component_support.h"

namespace cadencer_test {
namespace {

using bitness_test::Bytes;

DWORD RunPeer(const std::wstring& arguments) {
    std::wstring command = L"\"" + bitness_test::WindowsPath(CADENCER_PEER_PROGRAM) + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return static_cast<DWORD>(-1);
    WaitForSingleObject(process.hProcess, 60000);
    DWORD code = static_cast<DWORD>(-1);
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

std::wstring TempFile(const wchar_t* name) {
    wchar_t directory[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, directory);
    return std::wstring(directory) + L"cadencer-" + std::to_wstring(sizeof(void*) * 8) + L"-" + name;
}

class ComponentBitness : public ::testing::Test {
protected:
    void SetUp() override {
        if (GetFileAttributesW(bitness_test::WindowsPath(CADENCER_PEER_PROGRAM).c_str()) == INVALID_FILE_ATTRIBUTES) {
            if (std::getenv("CADENCER_REQUIRE_PEER"))
                FAIL() << "no program of the other bitness: " CADENCER_PEER_PROGRAM;
            GTEST_SKIP() << "the other bitness is not built: " CADENCER_PEER_PROGRAM;
        }
        control_ = bitness_test::CreateFromOcx(OcxPath());
        ASSERT_TRUE(control_);
        ASSERT_EQ(bitness_test::SetFixedValues(control_.Get()), S_OK);
        ASSERT_EQ(bitness_test::SaveStream(control_.Get(), &stream_), S_OK);
        ASSERT_EQ(bitness_test::SaveStorage(control_.Get(), &storage_), S_OK);
        ASSERT_GT(stream_.size(), 12u);
    }
    void TearDown() override {
        DeleteFileW(streamFile_.c_str());
        DeleteFileW(storageFile_.c_str());
    }

    ComPtr<_Cadencer> control_;
    Bytes stream_, storage_;
    const std::wstring streamFile_ = TempFile(L"stream.bin");
    const std::wstring storageFile_ = TempFile(L"storage.bin");
};

TEST_F(ComponentBitness, TheOtherBitnessSavesTheSameBytesAndTheyLoadHere) {
    ASSERT_EQ(RunPeer(L"save \"" + streamFile_ + L"\" \"" + storageFile_ + L"\""), 0u);
    Bytes theirStream, theirStorage;
    ASSERT_TRUE(bitness_test::ReadFileBytes(streamFile_, &theirStream));
    ASSERT_TRUE(bitness_test::ReadFileBytes(storageFile_, &theirStorage));
    EXPECT_EQ(theirStream, stream_);
    EXPECT_EQ(theirStorage, storage_);

    // Loaded here and saved again, their forms give back exactly this bitness's own bytes.
    ComPtr<_Cadencer> fromStream = bitness_test::CreateFromOcx(OcxPath());
    ASSERT_EQ(bitness_test::LoadStream(fromStream.Get(), theirStream), S_OK);
    Bytes again;
    ASSERT_EQ(bitness_test::SaveStream(fromStream.Get(), &again), S_OK);
    EXPECT_EQ(again, stream_);
    ComPtr<_Cadencer> fromStorage = bitness_test::CreateFromOcx(OcxPath());
    ASSERT_EQ(bitness_test::LoadStorage(fromStorage.Get(), theirStorage), S_OK);
    ASSERT_EQ(bitness_test::SaveStorage(fromStorage.Get(), &again), S_OK);
    EXPECT_EQ(again, storage_);
}

TEST_F(ComponentBitness, TheOtherBitnessLoadsTheseFormsAndSavesThemUnchanged) {
    ASSERT_TRUE(bitness_test::WriteFileBytes(streamFile_, stream_));
    ASSERT_TRUE(bitness_test::WriteFileBytes(storageFile_, storage_));
    EXPECT_EQ(RunPeer(L"load \"" + streamFile_ + L"\" \"" + storageFile_ + L"\""), 0u);
}

}  // namespace
}  // namespace cadencer_test
