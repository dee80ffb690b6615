// Version facts and modules, named kernel objects, security, shell and environment.

#include "machine/MachineSystemState.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

using namespace machine_system;

namespace {

constexpr DWORD kBasicRecordSize = sizeof(OSVERSIONINFOW);
constexpr DWORD kExtendedRecordSize = sizeof(OSVERSIONINFOEXW);
static_assert(kBasicRecordSize == 276 && kExtendedRecordSize == 284,
              "the version records must have their Win32 sizes");

// The thunks answer from the machine installed as the platform, as the real functions
// answer from the running system.
MachineSystem* InstalledMachine() {
    return dynamic_cast<MachineSystem*>(&platform());
}

void WINAPI NativeSystemInfoThunk(SYSTEM_INFO* info) {
    if (info == nullptr) {
        return;
    }
    *info = SYSTEM_INFO();
    MachineSystem* machine = InstalledMachine();
    if (machine == nullptr) {
        return;
    }
    bool x64 = machine->version.nativeArchitecture == PROCESSOR_ARCHITECTURE_AMD64;
    info->wProcessorArchitecture = machine->version.nativeArchitecture;
    info->dwPageSize = 4096;
    info->lpMinimumApplicationAddress = reinterpret_cast<void*>(static_cast<uintptr_t>(0x10000));
    info->lpMaximumApplicationAddress = reinterpret_cast<void*>(static_cast<uintptr_t>(0x7FFEFFFF));
    info->dwActiveProcessorMask = 0xF;
    info->dwNumberOfProcessors = 4;
    info->dwProcessorType = x64 ? 8664 : 586; // PROCESSOR_AMD_X8664, PROCESSOR_INTEL_PENTIUM
    info->dwAllocationGranularity = 0x10000;
    info->wProcessorLevel = 6;
    info->wProcessorRevision = 0x9E0A;
}

BOOL WINAPI ProductInfoThunk(DWORD major, DWORD minor, DWORD servicePackMajor,
                             DWORD servicePackMinor, DWORD* productType) {
    (void)major;
    (void)minor;
    (void)servicePackMajor;
    (void)servicePackMinor;
    if (productType == nullptr) {
        return FALSE;
    }
    MachineSystem* machine = InstalledMachine();
    if (machine == nullptr || machine->version.productInfoFails) {
        *productType = 0; // PRODUCT_UNDEFINED
        return FALSE;
    }
    *productType = machine->version.productInfo;
    return TRUE;
}

// Through void(*)(), the type GCC accepts as a stand-in for any function pointer, as
// GetProcAddress's callers cast the result back to the real signature.
template <typename Function> FARPROC AsFarProc(Function function) {
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(function));
}

bool IsKernel32Name(std::u16string_view name) {
    return SameTextNoCase(name, u"kernel32.dll") || SameTextNoCase(name, u"kernel32");
}

// The name as the object namespace keys it: "Local\" is this session's namespace, which
// unprefixed names use too; "Global\" is kept. Prefixes are matched without regard to
// case (they are object directories); the rest of the name is case-sensitive.
bool NamespaceKey(std::u16string_view name, std::u16string& key, DWORD& error) {
    static constexpr std::u16string_view kLocal = u"Local\\";
    static constexpr std::u16string_view kGlobal = u"Global\\";
    std::u16string prefix;
    if (SameTextNoCase(name.substr(0, kLocal.size()), kLocal)) {
        name.remove_prefix(kLocal.size());
    } else if (SameTextNoCase(name.substr(0, kGlobal.size()), kGlobal)) {
        name.remove_prefix(kGlobal.size());
        prefix = kGlobal;
    }
    if (name.size() + prefix.size() > MAX_PATH) {
        error = kErrorFilenameTooLong;
        return false;
    }
    if (name.find(u'\\') != std::u16string_view::npos) {
        error = ERROR_PATH_NOT_FOUND; // names a directory that does not exist
        return false;
    }
    key = prefix + std::u16string(name);
    return true;
}

HANDLE NewHandle(KernelState& kernel, const std::shared_ptr<KernelObject>& object) {
    auto handle = reinterpret_cast<HANDLE>(kernel.nextHandle);
    kernel.nextHandle += 4;
    kernel.handles[handle] = object;
    ++object->ourHandles;
    return handle;
}

void PlantForeignObject(KernelState& kernel, const std::u16string& name, ObjectKind kind) {
    std::u16string key;
    DWORD error = 0;
    if (!NamespaceKey(name, key, error)) {
        return;
    }
    auto& object = kernel.named[key];
    if (object == nullptr) {
        object = std::make_shared<KernelObject>();
        object->kind = kind;
        object->name = key;
    }
    ++object->foreignHandles;
}

void ForgetIfUnreferenced(KernelState& kernel, const std::shared_ptr<KernelObject>& object) {
    if (object->ourHandles + object->foreignHandles == 0 && !object->name.empty()) {
        kernel.named.erase(object->name);
    }
}

bool IsAdministratorsSid(const Sid& sid) {
    static constexpr BYTE kNtAuthority[6] = {0, 0, 0, 0, 0, 5};
    return std::equal(std::begin(kNtAuthority), std::end(kNtAuthority),
                      std::begin(sid.authority.Value)) &&
           sid.subAuthorities ==
               std::vector<DWORD>{SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS};
}

// The last error ShellExecuteW leaves for its failure codes (SE_ERR_*).
DWORD ShellFailureError(INT_PTR code) {
    switch (code) {
    case 2:
        return ERROR_FILE_NOT_FOUND;
    case 3:
        return ERROR_PATH_NOT_FOUND;
    case 5:
        return ERROR_ACCESS_DENIED;
    case 8:
        return ERROR_NOT_ENOUGH_MEMORY;
    case 31:
        return kErrorNoAssociation;
    default:
        return kErrorInvalidFunction;
    }
}

} // namespace

// ---- Version facts and modules -----------------------------------------------------------

BOOL MachineSystem::GetVersionExW(OSVERSIONINFOEXW* info) {
    if (info == nullptr) {
        SetLastError(kErrorNoAccess);
        return FALSE;
    }
    DWORD size = info->dwOSVersionInfoSize;
    bool extended = size == kExtendedRecordSize;
    if ((size != kBasicRecordSize && !extended) || (!extended && version.basicQueryFails) ||
        (extended && version.extendedQueryFails)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    info->dwMajorVersion = version.major;
    info->dwMinorVersion = version.minor;
    info->dwBuildNumber = version.build;
    info->dwPlatformId = version.platformId;
    std::fill(std::begin(info->szCSDVersion), std::end(info->szCSDVersion), u'\0');
    CopyTruncated(version.servicePackText, info->szCSDVersion, std::size(info->szCSDVersion));
    if (extended) { // the basic record ends at the text: nothing beyond it is written
        info->wServicePackMajor = version.servicePackMajor;
        info->wServicePackMinor = version.servicePackMinor;
        info->wSuiteMask = version.suiteMask;
        info->wProductType = version.productType;
        info->wReserved = 0;
    }
    return TRUE;
}

int MachineSystem::GetSystemMetrics(int index) {
    auto found = systemMetrics.find(index);
    return found == systemMetrics.end() ? 0 : found->second;
}

HMODULE MachineSystem::GetModuleHandleW(const wchar16* moduleName) {
    if (moduleName == nullptr) {
        return ProgramInstance();
    }
    if (IsKernel32Name(moduleName) && !version.kernel32Missing) {
        return Kernel32Module();
    }
    SetLastError(kErrorModNotFound);
    return nullptr;
}

FARPROC MachineSystem::GetProcAddress(HMODULE module, const char* procName) {
    if (module != Kernel32Module() && module != ProgramInstance() && module != nullptr) {
        SetLastError(kErrorModNotFound);
        return nullptr;
    }
    // An ordinal (a value below 0x10000) names nothing the machine exports.
    bool byName = procName != nullptr && reinterpret_cast<uintptr_t>(procName) >= 0x10000;
    if (module == Kernel32Module() && byName) {
        if (std::strcmp(procName, "GetNativeSystemInfo") == 0 && version.hasGetNativeSystemInfo) {
            return AsFarProc(&NativeSystemInfoThunk);
        }
        if (std::strcmp(procName, "GetProductInfo") == 0 && version.hasGetProductInfo) {
            return AsFarProc(&ProductInfoThunk);
        }
    }
    SetLastError(kErrorProcNotFound);
    return nullptr;
}

// ---- Kernel objects ----------------------------------------------------------------------

HANDLE MachineSystem::CreateMutexW(void* attributes, BOOL initialOwner, const wchar16* name) {
    (void)attributes;
    KernelState& kernel = m_system->kernel;
    std::u16string key;
    if (name != nullptr && name[0] != u'\0') {
        DWORD error = 0;
        if (!NamespaceKey(name, key, error)) {
            SetLastError(error);
            return nullptr;
        }
        auto existing = kernel.named.find(key);
        if (existing != kernel.named.end()) {
            if (existing->second->kind != ObjectKind::Mutex) {
                SetLastError(ERROR_INVALID_HANDLE);
                return nullptr;
            }
            // The creator's initial ownership stands; this caller's request is ignored.
            HANDLE handle = NewHandle(kernel, existing->second);
            SetLastError(ERROR_ALREADY_EXISTS);
            return handle;
        }
    }
    auto object = std::make_shared<KernelObject>();
    object->kind = ObjectKind::Mutex;
    object->name = key;
    object->ownedCount = initialOwner ? 1 : 0;
    if (!key.empty()) {
        kernel.named[key] = object;
    }
    HANDLE handle = NewHandle(kernel, object);
    SetLastError(ERROR_SUCCESS);
    return handle;
}

BOOL MachineSystem::ReleaseMutex(HANDLE mutex) {
    auto found = m_system->kernel.handles.find(mutex);
    if (found == m_system->kernel.handles.end() || found->second->kind != ObjectKind::Mutex) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (found->second->ownedCount == 0) {
        SetLastError(kErrorNotOwner);
        return FALSE;
    }
    --found->second->ownedCount;
    return TRUE;
}

BOOL MachineSystem::CloseHandle(HANDLE handle) {
    KernelState& kernel = m_system->kernel;
    auto found = kernel.handles.find(handle);
    if (found == kernel.handles.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    std::shared_ptr<KernelObject> object = found->second;
    kernel.handles.erase(found);
    --object->ourHandles;
    ForgetIfUnreferenced(kernel, object);
    return TRUE;
}

void MachineSystem::PlantForeignMutex(const std::u16string& name) {
    PlantForeignObject(m_system->kernel, name, ObjectKind::Mutex);
}

void MachineSystem::PlantForeignEvent(const std::u16string& name) {
    PlantForeignObject(m_system->kernel, name, ObjectKind::Event);
}

bool MachineSystem::NamedObjectExists(const std::u16string& name) const {
    std::u16string key;
    DWORD error = 0;
    return NamespaceKey(name, key, error) && m_system->kernel.named.count(key) != 0;
}

void MachineSystem::EndProcess() {
    KernelState& kernel = m_system->kernel;
    while (!kernel.handles.empty()) {
        std::shared_ptr<KernelObject> object = kernel.handles.begin()->second;
        kernel.handles.erase(kernel.handles.begin());
        --object->ourHandles;
        object->ownedCount = 0; // abandoned
        ForgetIfUnreferenced(kernel, object);
    }
    m_system->sids.clear();
    std::vector<HWND> ours;
    for (HWND window : m_system->windows.topLevel) {
        if (!m_system->Find(window)->foreign) {
            ours.push_back(window);
        }
    }
    for (HWND window : ours) {
        m_system->DestroyTree(window);
    }
    m_system->windows.paintContexts.clear();
    m_system->windows.modalStack.clear();
}

// ---- Security ----------------------------------------------------------------------------

BOOL MachineSystem::AllocateAndInitializeSid(SID_IDENTIFIER_AUTHORITY* authority, BYTE subCount,
                                             DWORD sub0, DWORD sub1, DWORD sub2, DWORD sub3,
                                             DWORD sub4, DWORD sub5, DWORD sub6, DWORD sub7,
                                             PSID* sid) {
    if (authority == nullptr || sid == nullptr) {
        SetLastError(kErrorNoAccess);
        return FALSE;
    }
    if (subCount > 8) {
        SetLastError(kErrorInvalidSid);
        return FALSE;
    }
    if (sidAllocationFails) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    const DWORD subs[8] = {sub0, sub1, sub2, sub3, sub4, sub5, sub6, sub7};
    Sid made;
    made.authority = *authority;
    made.subAuthorities.assign(subs, subs + subCount);
    auto handle = reinterpret_cast<PSID>(m_system->nextSid);
    m_system->nextSid += 8;
    m_system->sids[handle] = made;
    *sid = handle;
    return TRUE;
}

BOOL MachineSystem::CheckTokenMembership(HANDLE token, PSID sid, BOOL* isMember) {
    // Only the calling thread's effective token (no explicit token) exists here.
    if (token != nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    auto found = m_system->sids.find(sid);
    if (found == m_system->sids.end()) {
        SetLastError(kErrorInvalidSid);
        return FALSE;
    }
    if (isMember == nullptr) {
        SetLastError(kErrorNoAccess);
        return FALSE;
    }
    if (membershipCheckFails) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    *isMember = IsAdministratorsSid(found->second) && isAdministrator ? TRUE : FALSE;
    return TRUE;
}

void* MachineSystem::FreeSid(PSID sid) {
    // Returns null on success and the SID itself on failure.
    return m_system->sids.erase(sid) != 0 ? nullptr : sid;
}

// ---- Shell and environment ---------------------------------------------------------------

HINSTANCE MachineSystem::ShellExecuteW(HWND owner, const wchar16* verb, const wchar16* file,
                                       const wchar16* parameters, const wchar16* directory,
                                       int showCommand) {
    ShellLaunch launch;
    launch.owner = owner;
    launch.verb = TextOf(verb);
    launch.file = TextOf(file);
    launch.parameters = TextOf(parameters);
    launch.directory = TextOf(directory);
    launch.showCommand = showCommand;
    m_system->records.launches.push_back(std::move(launch));
    auto code = reinterpret_cast<INT_PTR>(shellExecuteResult);
    if (code <= 32) {
        SetLastError(ShellFailureError(code));
    }
    return shellExecuteResult;
}

// As the CRT's _wgetenv_s: the required size counts the terminating NUL; a null buffer
// with size 0 asks for the size only; the buffer is emptied before anything else.
errno_t MachineSystem::_wgetenv_s(size_t* requiredChars, wchar16* buffer, size_t bufferChars,
                                  const wchar16* name) {
    if (requiredChars == nullptr) {
        return EINVAL;
    }
    *requiredChars = 0;
    if ((buffer == nullptr) != (bufferChars == 0)) {
        return EINVAL;
    }
    if (buffer != nullptr) {
        buffer[0] = u'\0';
    }
    if (name == nullptr) {
        return EINVAL;
    }
    auto found = m_system->environment.find(UpperAscii(TextOf(name)));
    if (found == m_system->environment.end()) {
        return 0;
    }
    const std::u16string& value = found->second.value;
    *requiredChars = value.size() + 1;
    if (bufferChars == 0) {
        return 0;
    }
    if (*requiredChars > bufferChars) {
        return ERANGE;
    }
    CopyTruncated(value, buffer, bufferChars);
    return 0;
}
