// CadencerTools.Task: enters a schedule in the Windows Task Scheduler (ITaskService) as a
// task of the current user in the root task folder, from the task definition the
// Schedule object writes, so that the job runs while the host program is closed. It needs
// no administrator rights.
//
// Registering a task makes a command run later, so this class must never be reachable from
// a web page or a document's script: it has no IObjectSafety and is entered in no safe
// component category.
#include <windows.h>

#include <oleauto.h>
#include <taskschd.h>

#include <new>

#include <wrl/client.h>

#include "cadencer_tools.h"
#include "component/module.h"
#include "component/tools_objects.h"
#include "win/scoped.h"
#include "win/system_time.h"

namespace cadencer::com {
namespace {

using Microsoft::WRL::ComPtr;

HRESULT RootFolder(ComPtr<ITaskFolder>& folder) {
    ComPtr<ITaskService> service;
    HRESULT hr = CoCreateInstance(CLSID_TaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskService,
                                  reinterpret_cast<void**>(service.GetAddressOf()));
    if (FAILED(hr)) return ToolsError(hr, IID_ITaskRegistrar, "the Task Scheduler cannot be reached");
    win::ScopedVariant none;
    hr = service->Connect(*none.get(), *none.get(), *none.get(), *none.get());
    if (FAILED(hr)) return ToolsError(hr, IID_ITaskRegistrar, "the Task Scheduler service does not answer");
    const win::ScopedBstr root(L"\\");
    hr = service->GetFolder(root.get(), &folder);
    return FAILED(hr) ? ToolsError(hr, IID_ITaskRegistrar, "the task folder cannot be opened") : S_OK;
}

std::string Quoted(BSTR name) {
    return "\"" + Utf8Of(name) + "\"";
}

class TaskRegistrar final : public ToolsObject<TaskRegistrar, ITaskRegistrar, IID_ITaskRegistrar, ISupportErrorInfo> {
public:
    using Interfaces =
        win::InterfaceTable<win::Answer<IID_IUnknown, ITaskRegistrar>, win::Answer<IID_IDispatch, ITaskRegistrar>,
                            win::Answer<IID_ITaskRegistrar, ITaskRegistrar>,
                            win::Answer<IID_ISupportErrorInfo, ISupportErrorInfo>>;

    // ITaskRegistrar
    STDMETHODIMP RegisterTask(IDispatch* schedule, BSTR name, BSTR command, VARIANT arguments,
                              VARIANT replaceExisting) override {
        std::string argumentText;
        bool replace = false;
        if (!OptionalText(arguments, argumentText) || !OptionalBool(replaceExisting, replace))
            return DISP_E_TYPEMISMATCH;
        if (SysStringLen(name) == 0) return ToolsError(E_INVALIDARG, IID_ITaskRegistrar, "a task needs a name");
        // A NUL would cut the name short on its way to the task service.
        if (wcslen(name) != SysStringLen(name))
            return ToolsError(E_INVALIDARG, IID_ITaskRegistrar, "a task name cannot hold a NUL character");
        ScheduleSettings s;
        HRESULT hr = ReadSchedule(schedule, s);
        if (FAILED(hr)) return hr;
        const FormResult xml = cadencer::ToTaskXml(s, win::LocalNow(), Utf8Of(command), argumentText);
        if (!xml.ok) return ToolsError(kRefused, IID_ITaskRegistrar, xml.text);
        ComPtr<ITaskFolder> folder;
        hr = RootFolder(folder);
        if (FAILED(hr)) return hr;
        // An existing task is replaced only when asked: checked here, because not every task
        // service refuses TASK_CREATE for a name it has.
        ComPtr<IRegisteredTask> existing;
        if (!replace && SUCCEEDED(folder->GetTask(name, &existing)))
            return ToolsError(HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS), IID_ITaskRegistrar,
                              "a task named " + Quoted(name) + " exists already; pass True to replace it");
        const auto definition = win::ScopedBstr::FromUtf8(xml.text);
        if (!definition.get()) return E_OUTOFMEMORY;
        win::ScopedVariant none;
        ComPtr<IRegisteredTask> task;
        hr = folder->RegisterTask(name, definition.get(), replace ? TASK_CREATE_OR_UPDATE : TASK_CREATE, *none.get(),
                                  *none.get(), TASK_LOGON_INTERACTIVE_TOKEN, *none.get(), &task);
        if (FAILED(hr))
            return ToolsError(hr, IID_ITaskRegistrar, "the Task Scheduler refused the task " + Quoted(name));
        return S_OK;
    }
    STDMETHODIMP UnregisterTask(BSTR name) override {
        if (SysStringLen(name) == 0) return ToolsError(E_INVALIDARG, IID_ITaskRegistrar, "a task needs a name");
        ComPtr<ITaskFolder> folder;
        HRESULT hr = RootFolder(folder);
        if (FAILED(hr)) return hr;
        hr = folder->DeleteTask(name, 0);
        if (FAILED(hr)) return ToolsError(hr, IID_ITaskRegistrar, "there is no task named " + Quoted(name));
        return S_OK;
    }

    // ISupportErrorInfo
    STDMETHODIMP InterfaceSupportsErrorInfo(REFIID iid) override { return iid == IID_ITaskRegistrar ? S_OK : S_FALSE; }
};

}  // namespace

HRESULT CreateTaskRegistrar(REFIID iid, void** ppv) {
    auto* registrar = new (std::nothrow) TaskRegistrar();
    if (!registrar) return E_OUTOFMEMORY;
    const HRESULT hr = registrar->QueryInterface(iid, ppv);
    registrar->Release();
    return hr;
}

}  // namespace cadencer::com
