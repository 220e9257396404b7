#include "preview/name_view_accessible_win32.h"

#include <oleacc.h>

#include <string>
#include <utility>

#include "win32/owned_handle.h"
#include "win32/window.h"

namespace {

bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

HRESULT ToBstr(const std::string& text, BSTR* out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (text.empty()) return S_FALSE;
  const int size = static_cast<int>(text.size());
  const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
  *out = SysAllocStringLen(nullptr, static_cast<UINT>(length));
  if (!*out) return E_OUTOFMEMORY;
  MultiByteToWideChar(CP_ACP, 0, text.data(), size, *out, length);
  return S_OK;
}

// The label of a window, as the system's edit takes its name: the static text just before it
// among its siblings. `key` gets the character after its "&", if any.
std::string LabelOf(HWND window, std::string* key = nullptr) {
  const HWND label = GetWindow(window, GW_HWNDPREV);
  char className[16] = "";
  if (!label || !GetClassNameA(label, className, sizeof className) || lstrcmpiA(className, "Static") != 0) return {};
  std::string text = WindowText(label);
  // "&" is never the second byte of a double-byte character.
  for (std::size_t at = 0; at < text.size(); ++at) {
    if (text[at] != '&') continue;
    text.erase(at, 1);
    if (key && key->empty() && at < text.size() && text[at] != '&') *key = text.substr(at, IsDBCSLeadByte(text[at]) ? 2 : 1);
  }
  return text;
}

// The system's object for the window with what makes an edit of it; everything else is the
// system's answer.
class TReadOnlyEdit final : public IAccessible, public IOleWindow {
 public:
  TReadOnlyEdit(HWND window, TComRef<IAccessible> system) : window_(window), system_(std::move(system)) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IAccessible) {
      *out = static_cast<IAccessible*>(this);
    } else if (iid == IID_IOleWindow) {
      *out = static_cast<IOleWindow*>(this);  // what WindowFromAccessibleObject asks
    } else {
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

  // Assistive tools call IAccessible's methods directly; none asks for type information.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (count) *count = 0;
    return count ? S_OK : E_POINTER;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return E_NOTIMPL;
  }

  HRESULT STDMETHODCALLTYPE GetWindow(HWND* out) override {
    if (!out) return E_POINTER;
    *out = window_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
    if (!IsSelf(child) || !role) return System().get_accRole(child, role);
    role->vt = VT_I4;
    role->lVal = ROLE_SYSTEM_TEXT;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
    const HRESULT result = System().get_accState(child, state);
    if (SUCCEEDED(result) && IsSelf(child) && state->vt == VT_I4) {
      state->lVal |= STATE_SYSTEM_READONLY | STATE_SYSTEM_FOCUSABLE;
    }
    return result;
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
    if (!IsSelf(child)) return System().get_accValue(child, value);
    const HRESULT result = ToBstr(WindowText(window_), value);
    return result == S_FALSE ? ToEmpty(value) : result;  // an empty list is an empty value
  }
  // The system would name an unknown window by its text: the list is the value, not the name.
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    if (!IsSelf(child)) return System().get_accName(child, name);
    return ToBstr(LabelOf(window_), name);
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override {
    if (!IsSelf(child)) return System().get_accKeyboardShortcut(child, shortcut);
    std::string key;
    LabelOf(window_, &key);
    return ToBstr(key.empty() ? key : "Alt+" + key, shortcut);
  }

  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override { return System().get_accParent(parent); }
  HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override { return System().get_accChildCount(count); }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
    return System().get_accChild(child, out);
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* out) override {
    return System().get_accDescription(child, out);
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* out) override { return System().get_accHelp(child, out); }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
    return System().get_accHelpTopic(file, child, topic);
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* out) override { return System().get_accFocus(out); }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* out) override { return System().get_accSelection(out); }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* out) override {
    return System().get_accDefaultAction(child, out);
  }
  HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override { return System().accSelect(flags, child); }
  HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override {
    return System().accLocation(left, top, width, height, child);
  }
  HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* out) override {
    return System().accNavigate(direction, start, out);
  }
  HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* out) override { return System().accHitTest(x, y, out); }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override { return System().accDoDefaultAction(child); }
  // Nothing of a read-only edit can be changed.
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

 private:
  static HRESULT ToEmpty(BSTR* out) {
    *out = SysAllocString(L"");
    return *out ? S_OK : E_OUTOFMEMORY;
  }

  IAccessible& System() const { return *system_.Get(); }

  LONG references_ = 1;
  HWND window_;
  TComRef<IAccessible> system_;
};

}  // namespace

LRESULT ReadOnlyEditObject(HWND window, WPARAM flags) {
  IAccessible* made = nullptr;
  if (FAILED(CreateStdAccessibleObject(window, OBJID_CLIENT, IID_IAccessible, reinterpret_cast<void**>(&made)))) {
    return 0;
  }
  TComRef<IAccessible> system(made);
  VARIANT self{};
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  VARIANT role{};
  if (SUCCEEDED(system.Get()->get_accRole(self, &role)) && role.vt == VT_I4 && role.lVal == ROLE_SYSTEM_TEXT) {
    return 0;
  }
  // Our object reaches the asking process through COM, which this thread may not have started;
  // once started it stays for the thread's life.
  static thread_local const HRESULT comStarted = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  static_cast<void>(comStarted);
  const TComRef<IAccessible> object(new TReadOnlyEdit(window, std::move(system)));
  return LresultFromObject(IID_IAccessible, flags, object.Get());
}
