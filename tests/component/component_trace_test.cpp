// The container trace (CADENCER_TRACE): a control created while the variable names a
// file writes each container call with its HRESULT, unknown interfaces, ambient reads,
// events fired or dropped and where a load stopped; one created without it writes nothing.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "component_fake_container.h"

namespace cadencer_test {
namespace {

// A temporary trace file, named in CADENCER_TRACE while this object lives.
class TraceFile {
public:
    TraceFile() {
        wchar_t dir[MAX_PATH], name[MAX_PATH];
        GetTempPathW(MAX_PATH, dir);
        GetTempFileNameW(dir, L"cdt", 0, name);
        path_ = name;
        DeleteFileW(path_.c_str());
        SetEnvironmentVariableW(L"CADENCER_TRACE", path_.c_str());
    }
    ~TraceFile() {
        SetEnvironmentVariableW(L"CADENCER_TRACE", nullptr);
        DeleteFileW(path_.c_str());
    }
    std::string Text() const {
        std::ifstream in(path_.c_str(), std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

private:
    std::wstring path_;
};

// The position of needle in text at or after from; fails the test when it is missing.
std::size_t Find(const std::string& text, const std::string& needle, std::size_t from) {
    const std::size_t at = text.find(needle, from);
    EXPECT_NE(at, std::string::npos) << "missing \"" << needle << "\" after offset " << from << " in:\n" << text;
    return at == std::string::npos ? from : at + needle.size();
}

TEST(ComponentTrace, ATracedControlWritesWhatItsContainerDoes) {
    TraceFile file;
    CallLog log;
    FakeContainer site(&log, true);
    RecordingEventSink events(&log);
    {
        ComPtr<_Cadencer> control = CreateControl();
        ComPtr<IUnknown> quick;
        EXPECT_EQ(control->QueryInterface(IID_IQuickActivate, &quick), E_NOINTERFACE);
        ComPtr<IOleObject> ole;
        ASSERT_EQ(control.As(&ole), S_OK);
        ASSERT_EQ(ole->SetClientSite(&site), S_OK);
        ComPtr<IPersistPropertyBag> persist;
        ASSERT_EQ(control.As(&persist), S_OK);
        ASSERT_EQ(persist->InitNew(), S_OK);
        EXPECT_EQ(ole->DoVerb(-99, nullptr, &site, 0, site.Window(), &site.position), E_NOTIMPL);
        Advice advice(control.Get(), DIID___Cadencer, &events);
        ComPtr<IOleControl> oleControl;
        ASSERT_EQ(control.As(&oleControl), S_OK);
        oleControl->FreezeEvents(TRUE);
        control->Execute();
        oleControl->FreezeEvents(FALSE);
        control->Execute();

        // A load that stops at a value the platform cannot convert.
        RecordingBag bag(nullptr);
        bag.Set(L"StartHour", *ScopedVariant::String(L"nine").get());
        EXPECT_EQ(persist->Load(&bag, nullptr), DISP_E_TYPEMISMATCH);

        // The traced control is still one COM object: every interface leads to one IUnknown.
        ComPtr<IUnknown> fromOle, fromPersist;
        ole.As(&fromOle);
        persist.As(&fromPersist);
        EXPECT_EQ(fromOle.Get(), fromPersist.Get());
        ole->SetClientSite(nullptr);
    }
    const std::string trace = file.Text();
    wchar_t quickActivate[40] = {};
    StringFromGUID2(IID_IQuickActivate, quickActivate, 40);
    std::size_t at = 0;
    at = Find(trace, "created in process", at);
    at = Find(trace, "QueryInterface(" + std::string(quickActivate, quickActivate + 38), at);
    at = Find(trace, "E_NOINTERFACE", at);
    at = Find(trace, "IOleObject::SetClientSite(", at);
    at = Find(trace, "IOleObject::SetClientSite = 0x00000000 S_OK", at);
    // A new control in run mode asks for UserMode while it starts its clock.
    at = Find(trace, "IPersistStreamInit/IPersistPropertyBag::InitNew()", at);
    at = Find(trace, "  ambient UserMode = true", at);
    at = Find(trace, "IPersistStreamInit/IPersistPropertyBag::InitNew = 0x00000000 S_OK", at);
    at = Find(trace, "IOleObject::DoVerb(-99, ", at);
    at = Find(trace, "IOleObject::DoVerb = 0x80004001 E_NOTIMPL", at);
    at = Find(trace, "IOleControl::FreezeEvents(TRUE)", at);
    at = Find(trace, "event ScheduledTime dropped (events frozen)", at);
    at = Find(trace, "IOleControl::FreezeEvents(FALSE)", at);
    at = Find(trace, "event ScheduledTime fired to 1 sink(s)", at);
    at = Find(trace, "IPersistPropertyBag::Load(", at);
    at = Find(trace, "  load stopped at \"StartHour\"", at);
    at = Find(trace, "IPersistPropertyBag::Load = 0x80020005 DISP_E_TYPEMISMATCH", at);
    at = Find(trace, "IOleObject::SetClientSite(null)", at);
    Find(trace, "released", at);
    // Every line names its control.
    EXPECT_EQ(trace.find("cadencer "), 0u);
    EXPECT_NE(trace.find("] #"), std::string::npos);
}

TEST(ComponentTrace, AControlCreatedWithoutTheVariableWritesNothing) {
    std::wstring path;
    {
        TraceFile file;
        ComPtr<_Cadencer> traced = CreateControl();
        SetEnvironmentVariableW(L"CADENCER_TRACE", nullptr);
        const std::size_t before = file.Text().size();
        ComPtr<_Cadencer> plain = CreateControl();
        ComPtr<IOleObject> ole;
        ASSERT_EQ(plain.As(&ole), S_OK);
        ComPtr<IUnknown> unknown;
        plain->QueryInterface(IID_IQuickActivate, &unknown);
        ole->Close(OLECLOSE_NOSAVE);
        plain.Reset();
        EXPECT_EQ(file.Text().size(), before);
        // The traced one goes on tracing.
        ComPtr<IOleObject> tracedOle;
        ASSERT_EQ(traced.As(&tracedOle), S_OK);
        tracedOle->Close(OLECLOSE_NOSAVE);
        EXPECT_NE(file.Text().find("IOleObject::Close(1)"), std::string::npos) << file.Text();
    }
}

}  // namespace
}  // namespace cadencer_test
