#include "framework/controls/AccessibleName.h"

#include <oleacc.h>

#include <new>
#include <string>
#include <utility>

#include "framework/runtime/SystemLibrary.h"

namespace sx {
namespace {

using CoInitializeExProc = HRESULT(WINAPI*)(void*, DWORD);
using SysAllocStringLenProc = BSTR(WINAPI*)(const OLECHAR*, UINT);
using CreateStdAccessibleObjectProc = HRESULT(WINAPI*)(HWND, LONG, REFIID, void**);
using LresultFromObjectProc = LRESULT(WINAPI*)(REFIID, WPARAM, LPUNKNOWN);
using LoadRegTypeLibProc = HRESULT(WINAPI*)(REFGUID, WORD, WORD, LCID, ITypeLib**);

// The accessibility library's type library, version 1.1: it describes IAccessible for
// callers that bind late.
constexpr GUID kAccessibilityTypeLibrary = {
    0x1ea4dbf0, 0x3c3b, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

// The calls of the system's accessibility library and of COM that the answer needs. They
// are not imported: a program nobody reads aloud never loads these libraries.
struct AccessibilityCalls {
  CoInitializeExProc coInitializeEx = nullptr;
  SysAllocStringLenProc sysAllocStringLen = nullptr;
  CreateStdAccessibleObjectProc createStdAccessibleObject = nullptr;
  LresultFromObjectProc lresultFromObject = nullptr;
  // Only for callers that bind late; without it they get the system object's answers.
  LoadRegTypeLibProc loadRegTypeLib = nullptr;

  bool Complete() const {
    return coInitializeEx && sysAllocStringLen && createStdAccessibleObject && lresultFromObject;
  }
};

// Loaded once, on the first question; the libraries stay loaded, since the objects handed
// out run their code for as long as a screen reader holds them.
const AccessibilityCalls& Calls() {
  static const AccessibilityCalls calls = [] {
    const HMODULE com = LoadSystemLibrary("ole32.dll");
    const HMODULE automation = LoadSystemLibrary("oleaut32.dll");
    const HMODULE accessibility = LoadSystemLibrary("oleacc.dll");
    AccessibilityCalls found;
    found.coInitializeEx = FindProc<CoInitializeExProc>(com, "CoInitializeEx");
    found.sysAllocStringLen = FindProc<SysAllocStringLenProc>(automation, "SysAllocStringLen");
    found.loadRegTypeLib = FindProc<LoadRegTypeLibProc>(automation, "LoadRegTypeLib");
    found.createStdAccessibleObject =
        FindProc<CreateStdAccessibleObjectProc>(accessibility, "CreateStdAccessibleObject");
    found.lresultFromObject = FindProc<LresultFromObjectProc>(accessibility, "LresultFromObject");
    return found;
  }();
  return calls;
}

// The answer is marshalled to the asking process through COM, which needs an apartment on
// this thread. It is entered once and kept: the objects handed out live in it. A thread
// already in the multithreaded apartment (RPC_E_CHANGED_MODE) serves as well.
bool EnterApartment(const AccessibilityCalls& calls) {
  thread_local const bool entered = [&calls] {
    const HRESULT result = calls.coInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    return SUCCEEDED(result) || result == RPC_E_CHANGED_MODE;
  }();
  return entered;
}

// The object itself, as Windows' own objects read a child: CHILDID_SELF, or no child at all
// (empty, or the "no parameter" a late-bound caller leaves for the optional argument).
bool IsSelf(const VARIANT& child) {
  switch (child.vt) {
    case VT_I4:
      return child.lVal == CHILDID_SELF;
    case VT_EMPTY:
      return true;
    case VT_ERROR:
      return child.scode == DISP_E_PARAMNOTFOUND;
    default:
      return false;
  }
}

// The system's object for a window's client area, passed through unchanged apart from the
// name of the window itself. It also passes on the system object's enumeration of the
// children and the window it belongs to, where the system object offers them.
class NamedAccessible final : public IAccessible, public IEnumVARIANT, public IOleWindow {
 public:
  NamedAccessible(IAccessible* standard, HWND window, std::u16string name, bool valueIsText,
                  SysAllocStringLenProc allocate, LoadRegTypeLibProc loadTypeLibrary)
      : standard_(standard),
        window_(window),
        name_(std::move(name)),
        valueIsText_(valueIsText),
        allocate_(allocate),
        loadTypeLibrary_(loadTypeLibrary) {
    standard_->QueryInterface(__uuidof(IEnumVARIANT), reinterpret_cast<void**>(&enumeration_));
    standard_->QueryInterface(__uuidof(IOleWindow), reinterpret_cast<void**>(&oleWindow_));
  }
  NamedAccessible(const NamedAccessible&) = delete;
  NamedAccessible& operator=(const NamedAccessible&) = delete;

  // --- IUnknown ---------------------------------------------------------------------------
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) || iid == __uuidof(IAccessible))
      *object = static_cast<IAccessible*>(this);
    else if (iid == __uuidof(IEnumVARIANT) && enumeration_)
      *object = static_cast<IEnumVARIANT*>(this);
    else if (iid == __uuidof(IOleWindow) && oleWindow_)
      *object = static_cast<IOleWindow*>(this);
    else
      return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override {
    return static_cast<ULONG>(InterlockedIncrement(&references_));
  }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

  // --- IDispatch --------------------------------------------------------------------------
  // Calls by name or number go through IAccessible's type description onto this object's
  // own methods: passed to the system's object they would reach its methods and announce
  // the window's text as the name (on Windows; Wine 8's object answers none of them). Without
  // the description, the system's object answers.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (!TypeInfo()) return standard_->GetTypeInfoCount(count);
    if (!count) return E_POINTER;
    *count = 1;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override {
    if (!TypeInfo()) return standard_->GetTypeInfo(index, locale, info);
    if (!info) return E_POINTER;
    *info = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    typeInfo_->AddRef();
    *info = typeInfo_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                          DISPID* ids) override {
    if (!TypeInfo()) return standard_->GetIDsOfNames(iid, names, count, locale, ids);
    if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    return typeInfo_->GetIDsOfNames(names, count, ids);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags,
                                   DISPPARAMS* parameters, VARIANT* result, EXCEPINFO* exception,
                                   UINT* argumentError) override {
    if (!TypeInfo())
      return standard_->Invoke(id, iid, locale, flags, parameters, result, exception,
                               argumentError);
    if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    return typeInfo_->Invoke(static_cast<IAccessible*>(this), id, flags, parameters, result,
                             exception, argumentError);
  }

  // --- IAccessible ------------------------------------------------------------------------
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    if (!IsSelf(child)) return standard_->get_accName(child, name);
    if (!name) return E_POINTER;
    *name =
        allocate_(reinterpret_cast<const OLECHAR*>(name_.data()), static_cast<UINT>(name_.size()));
    return *name ? S_OK : E_OUTOFMEMORY;
  }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override {
    return standard_->put_accName(child, name);
  }
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
    return standard_->get_accParent(parent);
  }
  HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override {
    return standard_->get_accChildCount(count);
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override {
    return standard_->get_accChild(child, object);
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
    const HRESULT result = standard_->get_accValue(child, value);
    if (!valueIsText_ || !IsSelf(child) || !value || (result == S_OK && *value)) return result;
    // The window's text, read through the handle: a window destroyed meanwhile has none.
    if (!IsWindow(window_)) return E_FAIL;
    try {  // nothing may be thrown back into the system's call
      std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window_)) + 1, L'\0');
      text.resize(static_cast<std::size_t>(
          GetWindowTextW(window_, text.data(), static_cast<int>(text.size()))));
      *value = allocate_(text.data(), static_cast<UINT>(text.size()));
    } catch (...) {
      *value = nullptr;
    }
    return *value ? S_OK : E_OUTOFMEMORY;
  }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
    return standard_->put_accValue(child, value);
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override {
    return standard_->get_accDescription(child, description);
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
    return standard_->get_accRole(child, role);
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
    return standard_->get_accState(child, state);
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
    return standard_->get_accHelp(child, help);
  }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override {
    return standard_->get_accHelpTopic(file, child, topic);
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override {
    return standard_->get_accKeyboardShortcut(child, shortcut);
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override {
    return standard_->get_accFocus(child);
  }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override {
    return standard_->get_accSelection(children);
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
    return standard_->get_accDefaultAction(child, action);
  }
  HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override {
    return standard_->accSelect(flags, child);
  }
  HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                        VARIANT child) override {
    return standard_->accLocation(left, top, width, height, child);
  }
  HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override {
    return standard_->accNavigate(direction, start, end);
  }
  HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* child) override {
    return standard_->accHitTest(x, y, child);
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
    return standard_->accDoDefaultAction(child);
  }

  // --- IEnumVARIANT -----------------------------------------------------------------------
  HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* items, ULONG* fetched) override {
    return enumeration_->Next(count, items, fetched);
  }
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override { return enumeration_->Skip(count); }
  HRESULT STDMETHODCALLTYPE Reset() override { return enumeration_->Reset(); }
  HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** copy) override {
    return enumeration_->Clone(copy);
  }

  // --- IOleWindow -------------------------------------------------------------------------
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
    return oleWindow_->GetWindow(window);
  }
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL enter) override {
    return oleWindow_->ContextSensitiveHelp(enter);
  }

 private:
  // IAccessible's type description, looked up at the first late-bound call and kept.
  ITypeInfo* TypeInfo() {
    if (typeInfoSought_) return typeInfo_;
    typeInfoSought_ = true;
    ITypeLib* library = nullptr;
    if (!loadTypeLibrary_ ||
        FAILED(loadTypeLibrary_(kAccessibilityTypeLibrary, 1, 1, LOCALE_NEUTRAL, &library)) ||
        !library)
      return nullptr;
    if (FAILED(library->GetTypeInfoOfGuid(__uuidof(IAccessible), &typeInfo_))) typeInfo_ = nullptr;
    library->Release();
    return typeInfo_;
  }

  ~NamedAccessible() {
    if (typeInfo_) typeInfo_->Release();
    if (enumeration_) enumeration_->Release();
    if (oleWindow_) oleWindow_->Release();
    standard_->Release();
  }

  LONG references_ = 1;
  IAccessible* const standard_;
  IEnumVARIANT* enumeration_ = nullptr;  // the system object's others, null where it has none
  IOleWindow* oleWindow_ = nullptr;
  const HWND window_;
  const std::u16string name_;
  const bool valueIsText_;
  const SysAllocStringLenProc allocate_;
  const LoadRegTypeLibProc loadTypeLibrary_;
  ITypeInfo* typeInfo_ = nullptr;
  bool typeInfoSought_ = false;  // once, found or not
};

}  // namespace

LRESULT AnswerAccessibleName(HWND window, WPARAM flags, std::u16string_view name,
                             bool valueIsText) {
  const AccessibilityCalls& calls = Calls();
  if (!calls.Complete() || !EnterApartment(calls)) return 0;
  std::u16string copy(name);  // before anything that would need releasing
  IAccessible* standard = nullptr;
  if (FAILED(calls.createStdAccessibleObject(window, OBJID_CLIENT, __uuidof(IAccessible),
                                             reinterpret_cast<void**>(&standard))) ||
      !standard)
    return 0;
  auto* named = new (std::nothrow) NamedAccessible(standard, window, std::move(copy), valueIsText,
                                                   calls.sysAllocStringLen, calls.loadRegTypeLib);
  if (!named) {
    standard->Release();
    return 0;
  }
  // The answer holds its own reference (released when the asker takes the object, or by
  // the system when nobody does); ours goes now.
  const LRESULT answer =
      calls.lresultFromObject(__uuidof(IAccessible), flags, static_cast<IAccessible*>(named));
  named->Release();
  return answer < 0 ? 0 : answer;
}

}  // namespace sx
