// Scheduled tasks: their XML files read by XmlLite, which MinGW declares
// but offers no import library for, loaded from System32 by name (a copy
// beside the program is never loaded); deletion, the switch and
// registration from a definition through the Task Scheduler's COM interface.
#include "platform/win32/windows_clean.h"
#include "platform/win32/win32_platform.h"

#include <objbase.h>
#include <oleauto.h>
#include <taskschd.h>
#include <xmllite.h>

#include <cstdio>
#include <cstring>

#include "platform/win32/com_apartment.h"
#include "platform/win32/system_library.h"
#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_text.h"

namespace qm::win32 {

namespace {

// The interfaces' identifiers, spelled here: MinGW's libraries define only some of them.
constexpr GUID kIidXmlReader{0x7279fc81, 0x709d, 0x4095, {0xb6, 0x3d, 0x69, 0xfe, 0x4b, 0x0d, 0x90, 0x30}};
constexpr GUID kClsidTaskScheduler{0x0f87369f, 0xa4e5, 0x4cfc, {0xbd, 0x3e, 0x73, 0xe6, 0x15, 0x45, 0x72, 0xdd}};
constexpr GUID kIidTaskService{0x2faba4c7, 0x4da9, 0x4013, {0x96, 0x97, 0x20, 0xcc, 0x3f, 0xd4, 0x0f, 0x85}};
constexpr UINT kMaxElementDepth = 64;
// A task file has a few hundred nodes; a document with more is not read on.
constexpr size_t kMaxNodes = 100000;

std::string HresultText(HRESULT hr) {
    char text[32];
    std::snprintf(text, sizeof(text), "error 0x%08lX", static_cast<unsigned long>(hr));
    return text;
}

std::string Text(const wchar_t* text, UINT length) { return text ? FromWide(text, length) : std::string(); }

using CreateXmlReaderFn = decltype(::CreateXmlReader);

}  // namespace

bool Win32Tasks::ReadXml(const std::vector<std::uint8_t>& document, std::vector<XmlEvent>& events, std::string& error) {
    static const SystemLibrary xmllite(L"xmllite.dll");
    auto* create = xmllite.Find<CreateXmlReaderFn>("CreateXmlReader");
    if (!create) {
        error = "the system's XML reader (xmllite.dll) is missing";
        return false;
    }
    ComOnFirstUse::Start();
    ComApartment com;  // for the length of this call
    ComPtr<IXmlReader> reader;
    HRESULT hr = create(kIidXmlReader, reinterpret_cast<void**>(reader.Out()), nullptr);
    if (FAILED(hr) || !reader) {
        error = "the XML reader cannot be made (" + HresultText(hr) + ")";
        return false;
    }
    reader->SetProperty(XmlReaderProperty_DtdProcessing, DtdProcessing_Prohibit);
    reader->SetProperty(XmlReaderProperty_MaxElementDepth, kMaxElementDepth);
    // The document in a stream of its own memory.
    GlobalMemoryOwner memory({}, GlobalAlloc(GMEM_MOVEABLE, document.empty() ? 1 : document.size()));
    if (!memory) {
        error = "out of memory";
        return false;
    }
    if (void* bytes = GlobalLock(memory.Get())) {
        if (!document.empty()) std::memcpy(bytes, document.data(), document.size());
        GlobalUnlock(memory.Get());
    }
    ComPtr<IStream> stream;
    if (FAILED(hr = CreateStreamOnHGlobal(memory.Get(), TRUE, stream.Out()))) {
        error = "the document cannot be read (" + HresultText(hr) + ")";
        return false;
    }
    memory.Detach();  // the stream frees it when it goes
    ULARGE_INTEGER size{};
    size.QuadPart = document.size();
    stream->SetSize(size);
    if (FAILED(hr = reader->SetInput(stream.Get()))) {
        error = "the document cannot be read (" + HresultText(hr) + ")";
        return false;
    }
    // The depth is counted here: the reader's own depth of an end element
    // is that of the element's content, on Windows as in Wine.
    XmlNodeType type = XmlNodeType_None;
    int open = 0;
    while ((hr = reader->Read(&type)) == S_OK) {
        if (events.size() >= kMaxNodes) {
            error = "more nodes than a task holds";
            return false;
        }
        const wchar_t* text = nullptr;
        UINT length = 0;
        switch (type) {
            case XmlNodeType_Element: {
                reader->GetLocalName(&text, &length);
                const std::string name = Text(text, length);
                events.push_back({XmlEvent::Start, open, name, ""});
                if (reader->IsEmptyElement()) events.push_back({XmlEvent::End, open, name, ""});
                else ++open;
                break;
            }
            case XmlNodeType_EndElement:
                reader->GetLocalName(&text, &length);
                if (open > 0) --open;
                events.push_back({XmlEvent::End, open, Text(text, length), ""});
                break;
            case XmlNodeType_Text:
            case XmlNodeType_CDATA:
                reader->GetValue(&text, &length);
                events.push_back({XmlEvent::Text, open, "", Text(text, length)});
                break;
            default:
                break;
        }
    }
    if (FAILED(hr)) {
        error = "not well-formed XML (" + HresultText(hr) + ")";
        return false;
    }
    return true;
}

namespace {

// The task folder `folder` of a connected Task Scheduler, for one call.
HRESULT OpenTaskFolder(const std::string& folder, ComPtr<ITaskService>& service, ComPtr<ITaskFolder>& taskFolder) {
    HRESULT hr = CoCreateInstance(kClsidTaskScheduler, nullptr, CLSCTX_INPROC_SERVER, kIidTaskService,
                                  reinterpret_cast<void**>(service.Out()));
    if (FAILED(hr)) return hr;
    VARIANT none;
    VariantInit(&none);
    if (FAILED(hr = service->Connect(none, none, none, none))) return hr;
    std::wstring folderWide;
    if (!ToWide(folder, folderWide)) return HRESULT_FROM_WIN32(ERROR_NO_UNICODE_TRANSLATION);
    const Bstr folderPath(folderWide);
    return service->GetFolder(folderPath.Get(), taskFolder.Out());
}

}  // namespace

long Win32Tasks::DeleteTask(const std::string& folder, const std::string& name) {
    ComOnFirstUse::Start();
    ComApartment com;  // for the length of this call
    ComPtr<ITaskService> service;
    ComPtr<ITaskFolder> taskFolder;
    // A name that is no valid text names no task: nothing is deleted.
    std::wstring nameWide;
    if (!ToWide(name, nameWide)) return HRESULT_FROM_WIN32(ERROR_NO_UNICODE_TRANSLATION);
    if (const HRESULT hr = OpenTaskFolder(folder, service, taskFolder); FAILED(hr)) return hr;
    const Bstr taskName(nameWide);
    return taskFolder->DeleteTask(taskName.Get(), 0);
}

long Win32Tasks::SetTaskEnabled(const std::string& folder, const std::string& name, bool enabled) {
    ComOnFirstUse::Start();
    ComApartment com;
    ComPtr<ITaskService> service;
    ComPtr<ITaskFolder> taskFolder;
    std::wstring nameWide;
    if (!ToWide(name, nameWide)) return HRESULT_FROM_WIN32(ERROR_NO_UNICODE_TRANSLATION);
    HRESULT hr = OpenTaskFolder(folder, service, taskFolder);
    if (FAILED(hr)) return hr;
    ComPtr<IRegisteredTask> task;
    const Bstr taskName(nameWide);
    if (FAILED(hr = taskFolder->GetTask(taskName.Get(), task.Out()))) return hr;
    return task->put_Enabled(enabled ? VARIANT_TRUE : VARIANT_FALSE);
}

long Win32Tasks::RegisterTask(const std::string& folder, const std::string& name, const std::string& xml) {
    ComOnFirstUse::Start();
    ComApartment com;
    std::wstring nameWide, xmlWide;
    if (!ToWide(name, nameWide) || !ToWide(xml, xmlWide)) return HRESULT_FROM_WIN32(ERROR_NO_UNICODE_TRANSLATION);
    ComPtr<ITaskService> service;
    ComPtr<ITaskFolder> taskFolder;
    HRESULT hr = OpenTaskFolder(folder, service, taskFolder);
    if (hr == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) || hr == HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND)) {
        // A task put back into a folder that went with it: the folder is
        // made again, its missing parents with it, with the scheduler's
        // own security for a new folder.
        ComPtr<ITaskFolder> root;
        ComPtr<ITaskFolder> made;
        std::wstring folderWide;
        ToWide(folder, folderWide);  // OpenTaskFolder took it
        const Bstr rootPath(L"\\"), folderPath(folderWide);
        VARIANT noSecurity;
        VariantInit(&noSecurity);
        if (FAILED(hr = service->GetFolder(rootPath.Get(), root.Out()))) return hr;
        if (FAILED(hr = root->CreateFolder(folderPath.Get(), noSecurity, made.Out()))) return hr;
        hr = service->GetFolder(folderPath.Get(), taskFolder.Out());
    }
    if (FAILED(hr)) return hr;
    // No user and no password, and no logon type of the call's own
    // (TASK_LOGON_NONE): given credentials would take the place of the
    // definition's, so the task runs as its definition's principal says,
    // with the logon type written there. TASK_CREATE refuses a task that
    // has the path (ERROR_ALREADY_EXISTS) rather than replacing it. Windows
    // writes the task's file in UTF-16LE; Wine 8 writes UTF-8 of its own
    // model of the task, which leaves out the actions' commands, the
    // triggers and the principal whatever the logon type.
    const Bstr taskName(nameWide), definition(xmlWide);
    VARIANT none;
    VariantInit(&none);
    ComPtr<IRegisteredTask> task;
    return taskFolder->RegisterTask(taskName.Get(), definition.Get(), TASK_CREATE, none, none, TASK_LOGON_NONE, none,
                                    task.Out());
}

}  // namespace qm::win32
