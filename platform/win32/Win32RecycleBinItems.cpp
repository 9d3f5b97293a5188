#include "platform/win32/Win32RecycleBinItems.h"

#include "platform/win32/WindowsApi.h"

#include <knownfolders.h>
#include <shlguid.h>
#include <shobjidl.h>
#include <wrl/client.h>

#include <atomic>
#include <vector>

#include "platform/win32/Win32Convert.h"

namespace dustvale::win32 {

namespace {

using Microsoft::WRL::ComPtr;

// The Recycle Bin's "Date Deleted" and every item's "Size", as the shell names its properties.
constexpr PROPERTYKEY kDateDeleted = {
    {0x9B174B33, 0x40FF, 0x11D2, {0xA2, 0x7E, 0x00, 0xC0, 0x4F, 0xC3, 0x08, 0x71}}, 3};
constexpr PROPERTYKEY kSize = {
    {0xB725F130, 0x47EF, 0x101A, {0xA5, 0xF1, 0x02, 0x60, 0x8C, 0x9E, 0xEB, 0xAC}}, 12};

class CoTaskText {
public:
    CoTaskText() = default;
    ~CoTaskText() { ::CoTaskMemFree(text_); }
    CoTaskText(const CoTaskText&) = delete;
    CoTaskText& operator=(const CoTaskText&) = delete;
    PWSTR* Receive() { return &text_; }
    Text Get() const { return text_ != nullptr ? FromWide(text_) : Text(); }

private:
    PWSTR text_ = nullptr;
};

// Counts the items IFileOperation really deleted.
class DeletionCounter final : public IFileOperationProgressSink {
public:
    std::uint64_t Deleted() const { return deleted_; }

    // IUnknown: the object lives on the stack for the length of one operation.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (object == nullptr) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IFileOperationProgressSink) {
            *object = static_cast<IFileOperationProgressSink*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE PostDeleteItem(DWORD, IShellItem*, HRESULT result,
                                             IShellItem*) override {
        if (SUCCEEDED(result)) ++deleted_;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE StartOperations() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE FinishOperations(HRESULT) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE PreRenameItem(DWORD, IShellItem*, LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE PostRenameItem(DWORD, IShellItem*, LPCWSTR, HRESULT,
                                             IShellItem*) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE PreMoveItem(DWORD, IShellItem*, IShellItem*, LPCWSTR) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE PostMoveItem(DWORD, IShellItem*, IShellItem*, LPCWSTR, HRESULT,
                                           IShellItem*) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE PreCopyItem(DWORD, IShellItem*, IShellItem*, LPCWSTR) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE PostCopyItem(DWORD, IShellItem*, IShellItem*, LPCWSTR, HRESULT,
                                           IShellItem*) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE PreDeleteItem(DWORD, IShellItem*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE PreNewItem(DWORD, IShellItem*, LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE PostNewItem(DWORD, IShellItem*, LPCWSTR, LPCWSTR, DWORD, HRESULT,
                                          IShellItem*) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE UpdateProgress(UINT, UINT) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ResetTimer() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE PauseTimer() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ResumeTimer() override { return S_OK; }

private:
    std::atomic<std::uint64_t> deleted_{0};
};

struct Listed {
    std::vector<ComPtr<IShellItem2>> items;
    std::vector<RecycleBinItem> described;
};

std::optional<Listed> ListItems() {
    ComPtr<IShellItem> bin;
    if (FAILED(::SHGetKnownFolderItem(FOLDERID_RecycleBinFolder, KF_FLAG_DEFAULT, nullptr,
                                      IID_PPV_ARGS(&bin)))) {
        return std::nullopt;
    }
    ComPtr<IEnumShellItems> enumerator;
    if (FAILED(bin->BindToHandler(nullptr, BHID_EnumItems, IID_PPV_ARGS(&enumerator)))) {
        return std::nullopt;
    }
    Listed listed;
    for (;;) {
        ComPtr<IShellItem> item;
        if (enumerator->Next(1, &item, nullptr) != S_OK) break;
        ComPtr<IShellItem2> rich;
        if (FAILED(item.As(&rich))) continue;
        RecycleBinItem described;
        CoTaskText name;
        if (SUCCEEDED(rich->GetDisplayName(SIGDN_NORMALDISPLAY, name.Receive()))) {
            described.name = name.Get();
        }
        ULONGLONG bytes = 0;
        if (SUCCEEDED(rich->GetUInt64(kSize, &bytes))) described.bytes = bytes;
        FILETIME deleted{};
        // An item without a date the shell can tell is never removed for its age.
        if (SUCCEEDED(rich->GetFileTime(kDateDeleted, &deleted))) {
            described.deletedAt = static_cast<FileTime>(
                static_cast<std::uint64_t>(deleted.dwHighDateTime) << 32 | deleted.dwLowDateTime);
        }
        listed.items.push_back(std::move(rich));
        listed.described.push_back(std::move(described));
    }
    return listed;
}

}  // namespace

std::optional<std::uint64_t> RemoveRecycleBinItemsNow(const RecycleBinItemChooser& choose) {
    std::optional<Listed> listed = ListItems();
    if (!listed) return std::nullopt;
    const std::vector<std::size_t> chosen = choose(listed->described);
    if (chosen.empty()) return 0;
    ComPtr<IFileOperation> operation;
    if (FAILED(::CoCreateInstance(CLSID_FileOperation, nullptr, CLSCTX_ALL,
                                  IID_PPV_ARGS(&operation)))) {
        return 0;
    }
    // Items of the Recycle Bin deleted without the recycle flag are gone for good.
    if (FAILED(operation->SetOperationFlags(FOF_NO_UI))) return 0;
    DeletionCounter counter;
    DWORD cookie = 0;
    const bool advised = SUCCEEDED(operation->Advise(&counter, &cookie));
    for (const std::size_t index : chosen) {
        if (index < listed->items.size()) operation->DeleteItem(listed->items[index].Get(), nullptr);
    }
    operation->PerformOperations();
    if (advised) operation->Unadvise(cookie);
    return counter.Deleted();
}

}  // namespace dustvale::win32
